#include "ui/controls/touch_keyboard_system.h"

#include <objbase.h>
#include <shellapi.h>

#include "ui/core/win_version.h"

namespace ui {

namespace {

// The touch keyboard's toggle object and its interface.
constexpr CLSID kClsidKeyboardToggle = {
    0x4CE576FA, 0x83DC, 0x4F88, {0x95, 0x1C, 0x9D, 0x07, 0x82, 0xB4, 0xE3, 0x76}};
constexpr IID kIidKeyboardToggle = {
    0x37C994E7, 0x432B, 0x4834, {0xA2, 0xF7, 0xDC, 0xE1, 0xF1, 0x3B, 0x83, 0x4B}};

// The interface's one operation after those of IUnknown.
class IKeyboardToggle : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE Toggle(HWND window) = 0;
};

class WindowsTouchKeyboard final : public TouchKeyboardSystem {
 public:
  bool IsSupported() override {
    static const bool supported = IsWindows8OrGreater();
    return supported;
  }

  HWND FindKeyboardWindow() override { return ::FindWindowW(kKeyboardWindowClass, nullptr); }

  LONG_PTR GetWindowStyle(HWND window) override { return ::GetWindowLongPtrW(window, GWL_STYLE); }

  void CloseKeyboardWindow(HWND window) override {
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  }

  bool ToggleThroughObject() override {
    void* object = nullptr;
    if (FAILED(::CoCreateInstance(kClsidKeyboardToggle, nullptr,
                                  CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  kIidKeyboardToggle, &object)) ||
        !object)
      return false;
    auto* toggle = static_cast<IKeyboardToggle*>(object);
    toggle->Toggle(::GetDesktopWindow());
    toggle->Release();
    return true;
  }

  bool GetEnvironment(const wchar_t* name, std::wstring* value) override {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return false;
    std::wstring buffer(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, &buffer[0], size);
    if (length == 0 || length >= size) return false;
    buffer.resize(length);  // Without the terminator.
    *value = std::move(buffer);
    return true;
  }

  void OpenProgram(const std::wstring& path) override {
    ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
  }
};

}  // namespace

std::unique_ptr<TouchKeyboardSystem> TouchKeyboardSystem::Create() {
  return std::make_unique<WindowsTouchKeyboard>();
}

}  // namespace ui
