// The window and display methods of "fernhold/swplay" that act on one session or on all:
// "setScreenCast", "focusWindow", "tileWindows", "setThemeMode", "setRotation" and
// "setVideoQuality".
#include <windows.h>

#include "plugin/method_args.h"
#include "plugin/window_tiling.h"
#include "plugin/zuvor_ivado_manager.h"

namespace {

using method_args::GetInt;
using method_args::GetString;

}  // namespace

void ZuvorIvadoManager::OnSetScreenCast(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const int playType = GetInt(args, "playType", 1);
  WithSession(pad, [&](ZuvorIvadoInstance& session) { session.SetScreenCast(playType); });
  result->Success();
}

void ZuvorIvadoManager::OnFocusWindow(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  if (pad.empty()) {
    result->Error("-1", "Missing required param: padCode");
    return;
  }
  WithSession(pad, [&](ZuvorIvadoInstance& session) { session.FocusWindow(); });
  result->Success();
}

void ZuvorIvadoManager::OnTileWindows(Result result) {
  std::vector<TileEntry> entries;
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> owners;
  // Each session is asked after the map mutex is let go: asking waits for a busy session.
  for (auto& owner : Sessions()) {
    ZuvorIvadoInstance& session = *owner;
    TileEntry entry;
    if (!session.GetWindowRect(&entry.window)) continue;
    if (!session.GetTileSize(&entry.tileWidth, &entry.tileHeight)) {
      entry.tileWidth = entry.window.right - entry.window.left;
      entry.tileHeight = entry.window.bottom - entry.window.top;
    }
    int left = 0, top = 0, right = 0, bottom = 0;
    if (session.GetFrameInsets(&left, &top, &right, &bottom)) {
      entry.insets = RECT{left, top, right, bottom};
    }
    entry.tag = static_cast<int>(owners.size());
    owners.push_back(owner);
    entries.push_back(entry);
  }
  if (!entries.empty()) {
    SortForTiling(entries);
    RECT workArea{0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const std::vector<POINT> cells = ComputeTiles(entries, workArea);
    for (size_t i = 0; i < entries.size(); ++i) {
      owners[entries[i].tag]->MoveWindowTo(cells[i].x, cells[i].y);
    }
  }
  result->Success();
}

void ZuvorIvadoManager::OnSetThemeMode(const Args& args, Result result) {
  const int themeMode = GetInt(args, "themeMode", 2);
  for (auto& session : Sessions()) session->SetThemeMode(themeMode);
  result->Success();
}

void ZuvorIvadoManager::OnSetRotation(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const int rotation = GetInt(args, "rotation", 1);
  WithSession(pad, [&](ZuvorIvadoInstance& session) { session.SetRotation(rotation); });
  result->Success();
}

void ZuvorIvadoManager::OnSetVideoQuality(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const int level = GetInt(args, "level", 0);
  WithSession(pad, [&](ZuvorIvadoInstance& session) { session.SetVideoQuality(level); });
  result->Success();
}
