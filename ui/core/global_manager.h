// GlobalManager: the UI library's process-wide state.
//
// The resource root of the active theme, the application's control factory, the render factory,
// the global fonts, named text colours, attribute classes, the image cache and the cache of
// parsed markup templates. Startup brings the library up once per process on the application's
// main UI thread; Shutdown takes it down on the same thread, after every window is gone. All
// members are static.
//
//   ui::GlobalManager::Startup(moduleDir, makeControl, true, L"themes\\default", L"lang\\zh_CN");
//   ...
//   DWORD textColor = ui::GlobalManager::GetTextColor(L"textdefaultcolor");
//   ...
//   ui::GlobalManager::Shutdown();
//
// Thread affinity: Startup and Shutdown on the main UI thread. Every lookup and insertion may
// come from any UI thread (the pop-out window threads build skins and load images concurrently);
// each table is guarded by its own lock, and no lock is held while calling out. The image cache
// holds weak references: an image may be released on any thread, and its deleter then erases its
// own cache entry, never one that a newer image of the same path has taken over.
#ifndef UI_CORE_GLOBAL_MANAGER_H_
#define UI_CORE_GLOBAL_MANAGER_H_

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace ui {

class Control;
class IRenderFactory;
class ImageInfo;
class WindowBuilder;

// Makes a control for a markup class name, or returns null for names it does not know.
using CreateControlCallback = std::function<Control*(const std::wstring& className)>;

// One registered font. The font table owns the HFONT and deletes it at Shutdown.
struct FontInfo {
  HFONT font = nullptr;
  std::wstring faceName;
  int size = 0;  // Pixels, after DPI scaling.
  bool bold = false;
  bool underline = false;
  bool italic = false;
  TEXTMETRICW textMetric = {};  // Zero until first measured.
};

class GlobalManager {
 public:
  GlobalManager() = delete;

  // Brings the library up: render factory, resource path (basePath + themePath, ending with a
  // separator), control factory, DPI awareness and scale (when adaptDpi), "global.xml", the
  // language strings from basePath + languagePath + "\gdstrings.ini", GDI+. The common controls
  // are loaded with the first tooltip instead, off the program's path to its first frame.
  static void Startup(const std::wstring& basePath, CreateControlCallback callback, bool adaptDpi,
                      const std::wstring& themePath, const std::wstring& languagePath);
  // Deletes the render factory and every font, and stops GDI+. Colours, classes, images and
  // templates stay until process exit.
  static void Shutdown();

  // The theme folder, always ending with "\" or "/" once set.
  static std::wstring GetResourcePath();
  static void SetResourcePath(const std::wstring& path);

  // The application's control for className, or null when no factory is set.
  static Control* CreateControl(const std::wstring& className);

  // Null before Startup and after Shutdown.
  static IRenderFactory* GetRenderFactory();

  // Fonts. AddFont takes ownership of info.font in every case: it is stored when fontId is not
  // taken yet (the first font of an id stays) and deleted otherwise. Returns whether it was stored.
  static bool AddFont(const std::wstring& fontId, const FontInfo& info);
  // The HFONT of fontId; an empty id means the default font id; null when not registered.
  static HFONT GetFont(const std::wstring& fontId);
  // Copies the record of fontId (empty = default); false when not registered.
  static bool GetFontInfo(const std::wstring& fontId, FontInfo* info);
  // The text metric of fontId (empty = default), measured on the screen the first time and kept
  // in the font's record from then on; false when the font is not registered or cannot be
  // measured.
  static bool GetFontTextMetric(const std::wstring& fontId, TEXTMETRICW* metric);
  static size_t GetFontCount();
  static void SetDefaultFontId(const std::wstring& fontId);
  static std::wstring GetDefaultFontId();

  // Named colours (ARGB). GetTextColor of an unregistered name registers it with 0 and gives 0.
  static void AddTextColor(const std::wstring& name, DWORD argb);
  static DWORD GetTextColor(const std::wstring& name);
  static void SetDefaultTextColor(const std::wstring& name);
  static std::wstring GetDefaultTextColor();
  static void SetDefaultDisabledTextColor(const std::wstring& name);
  static std::wstring GetDefaultDisabledTextColor();

  // Attribute classes: name -> attribute-list text (name="value" pairs); empty when unknown.
  static void AddClass(const std::wstring& name, const std::wstring& attributes);
  static std::wstring GetClassAttributes(const std::wstring& name);

  // The live cached image of path (normalised first), or empty when it is not cached or already
  // gone.
  static std::shared_ptr<ImageInfo> GetImage(const std::wstring& path);
  // Shares image, marks it cached and makes it the cache entry of its path. The returned pointer's
  // deleter is OnImageInfoDestroy.
  static std::shared_ptr<ImageInfo> AddImageCached(std::unique_ptr<ImageInfo> image);
  // Deleter of every cached image: erases the cache entry of its path when the entry still refers
  // to this image, then deletes it.
  static void OnImageInfoDestroy(ImageInfo* image);

  // Parsed markup templates by file name (used by child boxes). SetTemplateCacheEntry keeps an
  // existing entry (the first builder of a file stays) and returns the one stored.
  static std::shared_ptr<WindowBuilder> GetTemplateCacheEntry(const std::wstring& file);
  static std::shared_ptr<WindowBuilder> SetTemplateCacheEntry(
      const std::wstring& file, std::shared_ptr<WindowBuilder> builder);

  // Makes the "Font", "TextColor", "Class" and "Image" entries of the theme's "global.xml"
  // global. Run by Startup.
  static void LoadGlobalResource();
};

}  // namespace ui

#endif  // UI_CORE_GLOBAL_MANAGER_H_
