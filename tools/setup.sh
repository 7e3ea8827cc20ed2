#!/usr/bin/env bash
# Installs everything a fresh Debian machine needs to build and test the program, then fetches
# the fdk-aac source into the build folder's cache. Idempotent and quiet when nothing is missing.
#
#   tools/setup.sh <build-dir>
set -euo pipefail

build_dir=${1:-build}
repo_dir=$(cd "$(dirname "$0")/.." && pwd)

# Debian packages: the cross compiler, Wine, Xvfb, screenshot tools and the audio tools the
# microphone tests need. GoogleTest comes from Debian's source package.
full_packages=(cmake ninja-build googletest dpkg-dev python3 g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth)
lean_packages=(x11-apps imagemagick pulseaudio pulseaudio-utils sox ffmpeg)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing() {
  local out=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
  done
  echo "${out[@]}"
}

apt_updated=0
apt_update() {
  if [ "$apt_updated" -eq 0 ]; then
    as_root apt-get update -qq
    apt_updated=1
  fi
}

need_full=$(missing "${full_packages[@]}")
need_lean=$(missing "${lean_packages[@]}")
if [ -n "$need_full$need_lean" ]; then
  echo "setup: installing $need_full $need_lean"
  apt_update
  export DEBIAN_FRONTEND=noninteractive
  # shellcheck disable=SC2086
  [ -z "$need_full" ] || as_root apt-get install -y -qq $need_full >/dev/null
  # shellcheck disable=SC2086
  [ -z "$need_lean" ] || as_root apt-get install -y -qq --no-install-recommends $need_lean >/dev/null
fi

# fdk-aac 2.0.2 lives in Debian's non-free component. Its source index is enabled with an entry
# that reuses the archive address, suites and keyring of the machine's own Debian entry.
fdk_version=2.0.2
deps_dir="$build_dir/deps"
fdk_dir="$deps_dir/fdk-aac-$fdk_version"
if [ ! -f "$fdk_dir/CMakeLists.txt" ]; then
  nonfree_list=/etc/apt/sources.list.d/fernhold-nonfree-src.sources
  if [ ! -f "$nonfree_list" ]; then
    python3 "$repo_dir/tools/nonfree_source_entry.py" > /tmp/fernhold-nonfree.$$
    as_root install -m 0644 /tmp/fernhold-nonfree.$$ "$nonfree_list"
    rm -f /tmp/fernhold-nonfree.$$
    apt_updated=0
  fi
  apt_update
  mkdir -p "$deps_dir"
  (cd "$deps_dir" && apt-get source --tar-only -qq -o APT::Sandbox::User=root fdk-aac >/dev/null)
  orig=$(ls "$deps_dir"/fdk-aac_"$fdk_version"*.orig.tar.* | head -n 1)
  want=$(apt-cache showsrc fdk-aac | awk '/^Checksums-Sha256:/{f=1;next} /^[^ ]/{f=0} f && $3 ~ /orig/ {print $1; exit}')
  have=$(sha256sum "$orig" | cut -d' ' -f1)
  if [ -n "$want" ] && [ "$want" != "$have" ]; then
    echo "setup: checksum mismatch for $orig" >&2
    exit 1
  fi
  rm -rf "$fdk_dir.tmp" && mkdir -p "$fdk_dir.tmp"
  tar -xf "$orig" -C "$fdk_dir.tmp" --strip-components=1
  rm -rf "$fdk_dir" && mv "$fdk_dir.tmp" "$fdk_dir"
fi
