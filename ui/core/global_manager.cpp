#include "ui/core/global_manager.h"

#include <commctrl.h>
#include <objidl.h>  // PROPID and IStream, left out by WIN32_LEAN_AND_MEAN.
#include <gdiplus.h>

#include <map>
#include <mutex>

#include "ui/core/dpi_manager.h"
#include "ui/core/image.h"
#include "ui/core/language_strings.h"
#include "ui/core/string_helper.h"
#include "ui/core/win_version.h"
#include "ui/render/render_factory_gdiplus.h"

namespace ui {

namespace {

bool EndsWithSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

// One cache entry: the weak reference, and the address it was made from, so a dying image can
// tell whether the entry is still its own.
struct CachedImage {
  std::weak_ptr<ImageInfo> image;
  const ImageInfo* address = nullptr;
};

// Every table has its own lock; none is held while calling into another table or out of the
// manager, and no shared image pointer is released under the image lock (its deleter takes it).
struct State {
  std::mutex setupMutex;
  std::wstring resourcePath;
  CreateControlCallback createControl;
  std::unique_ptr<IRenderFactory> renderFactory;
  ULONG_PTR gdiplusToken = 0;

  std::mutex fontMutex;
  std::map<std::wstring, FontInfo> fonts;
  std::wstring defaultFontId;

  std::mutex colorMutex;
  std::map<std::wstring, DWORD> textColors;
  std::wstring defaultTextColor = L"textdefaultcolor";
  std::wstring defaultDisabledTextColor = L"textdefaultdisablecolor";

  std::mutex classMutex;
  std::map<std::wstring, std::wstring> classes;

  std::mutex imageMutex;
  std::map<std::wstring, CachedImage> images;

  std::mutex templateMutex;
  std::map<std::wstring, std::shared_ptr<WindowBuilder>> templates;
};

State& GetState() {
  static State* state = new State;  // Never destroyed: images may die during static teardown.
  return *state;
}

void DeleteFonts(State& state) {
  std::lock_guard<std::mutex> lock(state.fontMutex);
  for (auto& entry : state.fonts)
    if (entry.second.font) ::DeleteObject(entry.second.font);
  state.fonts.clear();
}

void AdaptToSystemDpi() {
  DpiManager* dpi = DpiManager::GetInstance();
  if (!dpi->IsAdaptDPI() && DpiManager::MakeProcessDpiAware()) dpi->SetAdaptDPI(true);
  const UINT monitorDpi = DpiManager::GetMainMonitorDpi();
  if (dpi->IsAdaptDPI()) dpi->SetScaleFromDpi(monitorDpi);
}

}  // namespace

void GlobalManager::Startup(const std::wstring& basePath, CreateControlCallback callback,
                            bool adaptDpi, const std::wstring& themePath,
                            const std::wstring& languagePath) {
  State& state = GetState();
  {
    std::lock_guard<std::mutex> lock(state.setupMutex);
    state.renderFactory = std::make_unique<RenderFactory_GdiPlus>();
    state.resourcePath = basePath + themePath;
    if (!EndsWithSeparator(state.resourcePath)) state.resourcePath += L'\\';
    state.createControl = std::move(callback);
  }
  if (adaptDpi) AdaptToSystemDpi();

  LoadGlobalResource();

  LanguageStringTable* table = LanguageStringTable::GetInstance();
  table->Clear();
  table->LoadLines(ReadLanguageFileLines(basePath + languagePath + L"\\gdstrings.ini"));

  {
    std::lock_guard<std::mutex> lock(state.setupMutex);
    if (state.gdiplusToken == 0) {
      Gdiplus::GdiplusStartupInput input;
      if (Gdiplus::GdiplusStartup(&state.gdiplusToken, &input, nullptr) != Gdiplus::Ok)
        state.gdiplusToken = 0;
    }
  }
  // The common controls are loaded with a window's first tooltip, not here (see Window).
}

void GlobalManager::Shutdown() {
  State& state = GetState();
  {
    std::lock_guard<std::mutex> lock(state.setupMutex);
    state.renderFactory.reset();
  }
  DeleteFonts(state);
  std::lock_guard<std::mutex> lock(state.setupMutex);
  if (state.gdiplusToken != 0) {
    Gdiplus::GdiplusShutdown(state.gdiplusToken);
    state.gdiplusToken = 0;
  }
}

std::wstring GlobalManager::GetResourcePath() {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.setupMutex);
  return state.resourcePath;
}

void GlobalManager::SetResourcePath(const std::wstring& path) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.setupMutex);
  state.resourcePath = path;
  if (!path.empty() && !EndsWithSeparator(path)) state.resourcePath += L'\\';
}

Control* GlobalManager::CreateControl(const std::wstring& className) {
  State& state = GetState();
  CreateControlCallback callback;
  {
    std::lock_guard<std::mutex> lock(state.setupMutex);
    callback = state.createControl;
  }
  return callback ? callback(className) : nullptr;
}

IRenderFactory* GlobalManager::GetRenderFactory() {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.setupMutex);
  return state.renderFactory.get();
}

bool GlobalManager::AddFont(const std::wstring& fontId, const FontInfo& info) {
  State& state = GetState();
  {
    std::lock_guard<std::mutex> lock(state.fontMutex);
    if (state.fonts.emplace(fontId, info).second) return true;
  }
  if (info.font) ::DeleteObject(info.font);
  return false;
}

HFONT GlobalManager::GetFont(const std::wstring& fontId) {
  FontInfo info;
  return GetFontInfo(fontId, &info) ? info.font : nullptr;
}

bool GlobalManager::GetFontInfo(const std::wstring& fontId, FontInfo* info) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.fontMutex);
  auto it = state.fonts.find(fontId.empty() ? state.defaultFontId : fontId);
  if (it == state.fonts.end()) return false;
  *info = it->second;
  return true;
}

bool GlobalManager::GetFontTextMetric(const std::wstring& fontId, TEXTMETRICW* metric) {
  if (!metric) return false;
  FontInfo info;
  if (!GetFontInfo(fontId, &info) || !info.font) return false;
  if (info.textMetric.tmHeight != 0) {
    *metric = info.textMetric;
    return true;
  }
  // Measured without the lock (GDI calls out); the result goes back to the record that still
  // holds this font, so later calls read it from the table.
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, info.font);
  const bool measured = ::GetTextMetricsW(screen, &info.textMetric) != FALSE;
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  if (!measured) return false;
  State& state = GetState();
  {
    std::lock_guard<std::mutex> lock(state.fontMutex);
    auto it = state.fonts.find(fontId.empty() ? state.defaultFontId : fontId);
    if (it != state.fonts.end() && it->second.font == info.font)
      it->second.textMetric = info.textMetric;
  }
  *metric = info.textMetric;
  return true;
}

size_t GlobalManager::GetFontCount() {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.fontMutex);
  return state.fonts.size();
}

void GlobalManager::SetDefaultFontId(const std::wstring& fontId) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.fontMutex);
  state.defaultFontId = fontId;
}

std::wstring GlobalManager::GetDefaultFontId() {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.fontMutex);
  return state.defaultFontId;
}

void GlobalManager::AddTextColor(const std::wstring& name, DWORD argb) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.colorMutex);
  state.textColors[name] = argb;
}

DWORD GlobalManager::GetTextColor(const std::wstring& name) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.colorMutex);
  return state.textColors.emplace(name, 0).first->second;
}

void GlobalManager::SetDefaultTextColor(const std::wstring& name) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.colorMutex);
  state.defaultTextColor = name;
}

std::wstring GlobalManager::GetDefaultTextColor() {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.colorMutex);
  return state.defaultTextColor;
}

void GlobalManager::SetDefaultDisabledTextColor(const std::wstring& name) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.colorMutex);
  state.defaultDisabledTextColor = name;
}

std::wstring GlobalManager::GetDefaultDisabledTextColor() {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.colorMutex);
  return state.defaultDisabledTextColor;
}

void GlobalManager::AddClass(const std::wstring& name, const std::wstring& attributes) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.classMutex);
  state.classes[name] = attributes;
}

std::wstring GlobalManager::GetClassAttributes(const std::wstring& name) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.classMutex);
  auto it = state.classes.find(name);
  return it == state.classes.end() ? std::wstring() : it->second;
}

std::shared_ptr<ImageInfo> GlobalManager::GetImage(const std::wstring& path) {
  const std::wstring key = StringHelper::NormalizeFilePath(path);
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.imageMutex);
  auto it = state.images.find(key);
  // lock() raises the shared count only while it is above 0, so a dying image is never revived.
  return it == state.images.end() ? nullptr : it->second.image.lock();
}

std::shared_ptr<ImageInfo> GlobalManager::AddImageCached(std::unique_ptr<ImageInfo> image) {
  if (!image) return nullptr;
  image->SetCached(true);
  const std::wstring key = StringHelper::NormalizeFilePath(image->GetPath());
  std::shared_ptr<ImageInfo> shared(image.release(), &GlobalManager::OnImageInfoDestroy);
  State& state = GetState();
  std::weak_ptr<ImageInfo> displaced;  // Released after the lock; weak, so no deleter runs.
  {
    std::lock_guard<std::mutex> lock(state.imageMutex);
    CachedImage& entry = state.images[key];
    displaced = std::move(entry.image);
    entry.image = shared;
    entry.address = shared.get();
  }
  return shared;
}

void GlobalManager::OnImageInfoDestroy(ImageInfo* image) {
  if (!image) return;
  if (image->IsCached() && !image->GetPath().empty()) {
    const std::wstring key = StringHelper::NormalizeFilePath(image->GetPath());
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.imageMutex);
    auto it = state.images.find(key);
    // A newer image of the same path may have replaced this one meanwhile; keep its entry. The
    // address cannot have been reused yet: this image is deleted only below.
    if (it != state.images.end() && it->second.address == image) state.images.erase(it);
  }
  delete image;
}

std::shared_ptr<WindowBuilder> GlobalManager::GetTemplateCacheEntry(const std::wstring& file) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.templateMutex);
  auto it = state.templates.find(file);
  return it == state.templates.end() ? nullptr : it->second;
}

std::shared_ptr<WindowBuilder> GlobalManager::SetTemplateCacheEntry(
    const std::wstring& file, std::shared_ptr<WindowBuilder> builder) {
  State& state = GetState();
  std::lock_guard<std::mutex> lock(state.templateMutex);
  std::shared_ptr<WindowBuilder>& slot = state.templates[file];
  if (!slot) slot = std::move(builder);
  return slot;
}

}  // namespace ui
