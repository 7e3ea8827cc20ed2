// ui::Window: the settings a skin's "Window" element gives (caption, corners, sizes, shadow), the
// option groups and the window's default font.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/window.h"

namespace ui {

namespace {

// value + extra, kept inside int (markup numbers may be as large as an int holds).
int AddClamped(int value, int extra) {
  const int64_t sum = static_cast<int64_t>(value) + extra;
  return static_cast<int>(std::min<int64_t>(std::max<int64_t>(sum, INT_MIN), INT_MAX));
}

// Adds the shadow's widths to each dimension that is set (0 stays 0).
SIZE WithShadow(SIZE size, const RECT& shadow) {
  if (size.cx != 0) size.cx = AddClamped(size.cx, AddClamped(shadow.left, shadow.right));
  if (size.cy != 0) size.cy = AddClamped(size.cy, AddClamped(shadow.top, shadow.bottom));
  return size;
}

}  // namespace

void Window::FontInfoDeleter::operator()(FontInfo* info) const {
  if (info && info->font) ::DeleteObject(info->font);
  delete info;
}

std::unique_ptr<FontInfo, Window::FontInfoDeleter> Window::MakeDefaultFont() {
  LOGFONTW logFont = {};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
  logFont.lfCharSet = DEFAULT_CHARSET;
  FontInfo global;
  if (GlobalManager::GetFontInfo(L"", &global) && !global.faceName.empty()) {
    const size_t length = std::min(global.faceName.size(), size_t{LF_FACESIZE - 1});
    std::copy_n(global.faceName.c_str(), length, logFont.lfFaceName);
    logFont.lfFaceName[length] = L'\0';
  }
  std::unique_ptr<FontInfo, FontInfoDeleter> info(new FontInfo);
  info->font = ::CreateFontIndirectW(&logFont);
  info->faceName = logFont.lfFaceName;
  info->size = std::abs(static_cast<int>(logFont.lfHeight));
  info->bold = logFont.lfWeight >= FW_BOLD;
  info->underline = logFont.lfUnderline != 0;
  info->italic = logFont.lfItalic != 0;
  return info;
}

void Window::SetCaptionRect(const RECT& captionRect) {
  caption_rect_ = captionRect;
  DpiManager::GetInstance()->ScaleRect(caption_rect_);
}

void Window::SetRoundCorner(int cx, int cy) {
  SIZE corner = {cx, cy};
  DpiManager::GetInstance()->ScaleSize(corner);
  round_corner_ = corner;
}

void Window::SetAlphaFixCorner(const RECT& rect) {
  alpha_fix_corner_ = rect;
  DpiManager::GetInstance()->ScaleRect(alpha_fix_corner_);
}

void Window::SetTextId(const std::wstring& id) {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  const std::wstring text = LanguageStringTable::GetInstance()->GetStringById(id);
  ::SetWindowTextW(hwnd_, text.c_str());
}

void Window::SetShadowImage(const std::wstring& image) {
  shadow_image_ = image;
  shadow_round_corner_fix_ = false;
}

void Window::SetShadowCorner(const RECT& padding) {
  shadow_corner_unscaled_ = padding;
  shadow_corner_ = padding;
  DpiManager::GetInstance()->ScaleRect(shadow_corner_);
}

SIZE Window::GetMinInfo(bool containShadow) const {
  return containShadow ? WithShadow(min_info_, GetShadowCorner()) : min_info_;
}

void Window::SetMinInfo(int cx, int cy) {
  SIZE size = {cx, cy};
  DpiManager::GetInstance()->ScaleSize(size);
  min_info_ = size;
}

SIZE Window::GetMaxInfo(bool containShadow) const {
  return containShadow ? WithShadow(max_info_, GetShadowCorner()) : max_info_;
}

void Window::SetMaxInfo(int cx, int cy) {
  SIZE size = {cx, cy};
  DpiManager::GetInstance()->ScaleSize(size);
  max_info_ = size;
}

SIZE Window::GetInitSize(bool containShadow) const {
  return containShadow ? WithShadow(init_size_, GetShadowCorner()) : init_size_;
}

void Window::SetInitSize(int cx, int cy, bool dpiScale) {
  SIZE size = {cx, cy};
  if (dpiScale) DpiManager::GetInstance()->ScaleSize(size);
  init_size_ = size;
  ApplyInitSize();
}

void Window::SetHeightPercent(double fraction) {
  height_percent_ = fraction;
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  const double workHeight = monitor.rcWork.bottom - monitor.rcWork.top;
  // Truncated like a cast, but a fraction that is negative, not a number or beyond any screen
  // gives 0 or the largest int instead of an undefined conversion.
  const double wanted = workHeight * fraction;
  int height = 0;
  if (wanted >= static_cast<double>(INT_MAX))
    height = INT_MAX;
  else if (wanted > 0)
    height = static_cast<int>(wanted);
  if (min_info_.cy != 0 && height < min_info_.cy) height = min_info_.cy;
  if (max_info_.cy != 0 && height > max_info_.cy) height = max_info_.cy;
  SetInitSize(init_size_.cx, height, false);
}

void Window::ApplyInitSize() {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  const SIZE size = GetInitSize(true);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------------
// Option groups

void Window::AddOptionInGroup(const std::wstring& groupName, Control* control) {
  if (!control) return;
  std::vector<Control*>& members = option_groups_[groupName];
  if (std::find(members.begin(), members.end(), control) == members.end())
    members.push_back(control);
}

void Window::RemoveOptionFromGroup(const std::wstring& groupName, Control* control) {
  const auto group = option_groups_.find(groupName);
  if (group == option_groups_.end()) return;
  std::vector<Control*>& members = group->second;
  members.erase(std::remove(members.begin(), members.end(), control), members.end());
  if (members.empty()) option_groups_.erase(group);
}

const std::vector<Control*>* Window::GetOptionGroup(const std::wstring& groupName) const {
  const auto group = option_groups_.find(groupName);
  return group == option_groups_.end() ? nullptr : &group->second;
}

}  // namespace ui
