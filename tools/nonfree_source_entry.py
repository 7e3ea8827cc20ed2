#!/usr/bin/env python3
"""Prints a deb822 apt entry for Debian's non-free component (binary and source indexes).

The archive address, suites and keyring are taken from the machine's own Debian entry, so nothing
about the mirror is written into the repository.
"""
import glob
import sys


def stanzas(text):
    block = {}
    for line in text.splitlines():
        if not line.strip():
            if block:
                yield block
            block = {}
            continue
        if line.startswith("#") or line[0].isspace() or ":" not in line:
            continue
        key, value = line.split(":", 1)
        block[key.strip()] = value.strip()
    if block:
        yield block


def main():
    for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
        with open(path, encoding="utf-8") as f:
            for s in stanzas(f.read()):
                suites = s.get("Suites", "").split()
                if "main" not in s.get("Components", "").split() or not suites:
                    continue
                if any(x.endswith("-security") for x in suites):
                    continue
                print("Types: deb deb-src")
                print("URIs: " + s["URIs"])
                print("Suites: " + suites[0])
                print("Components: non-free")
                if "Signed-By" in s:
                    print("Signed-By: " + s["Signed-By"])
                return 0
    # Classic one-line format.
    for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
        try:
            lines = open(path, encoding="utf-8").read().splitlines()
        except OSError:
            continue
        for line in lines:
            parts = line.split()
            if len(parts) >= 4 and parts[0] == "deb" and "main" in parts[3:] \
                    and not parts[2].endswith("-security") and not parts[1].startswith("["):
                print("Types: deb deb-src")
                print("URIs: " + parts[1])
                print("Suites: " + parts[2])
                print("Components: non-free")
                return 0
    print("no Debian apt entry found to derive the non-free source entry from", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
