// The frameless, resizable top-level window of the process, and the base of the Flutter host
// window.
//
// Win32Window registers its window class once per process, creates the window hidden and scaled to
// the DPI of the monitor it opens on, colours its title bar after the Windows app theme, keeps one
// child window (the content) over its whole client area, and can post the quit message when it is
// destroyed. Subclasses hook in through OnCreate, OnDestroy and MessageHandler.
//
//   class MyWindow : public Win32Window { ... };
//   MyWindow window;
//   if (!window.Create(L"title", {10, 10}, {1280, 720})) return 1;
//   window.SetQuitWhenClosed(true);
//
// Thread-safety: every member, and the process-wide class registration, belong to the thread that
// creates the window (the process main thread). Nothing here is locked.
#ifndef SHELL_WIN32_WINDOW_H_
#define SHELL_WIN32_WINDOW_H_

#include <windows.h>

#include <string>

inline constexpr wchar_t kMainWindowClassName[] = L"FERNHOLD_PC_CLIENT_MAIN_WINDOW";

// WS_POPUP | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX: no caption (the Dart side
// draws its own), but resizable and with the system's minimise and maximise behaviour.
inline constexpr DWORD kMainWindowStyle =
    WS_POPUP | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// The class brush, RGB(15, 23, 42): what shows before the content paints.
inline constexpr COLORREF kMainWindowBackground = RGB(15, 23, 42);

class Win32Window {
 public:
  struct Point {
    int x;
    int y;
  };
  struct Size {
    int width;
    int height;
  };

  Win32Window();
  virtual ~Win32Window();

  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Creates the window, hidden. `origin` and `size` are logical pixels: they are multiplied by the
  // DPI of the monitor nearest to `origin` (96 is 1.0) and truncated. Destroys a window this object
  // already has first. Returns true when the window exists and OnCreate returned true; on false the
  // window may exist (OnCreate failed) and is destroyed with the object.
  bool Create(const std::wstring& title, const Point& origin, const Size& size);

  // Shows the window normally. Returns whether it was visible before.
  virtual bool Show();

  // Runs OnDestroy, destroys the window if there is one, and unregisters the window class when no
  // Win32Window object is left.
  void Destroy();

  // Makes `content` a child of this window covering the whole client area, and focuses it.
  void SetContent(HWND content);

  // The window handle; null before creation and after destruction.
  HWND GetHandle() const { return window_handle_; }

  // When true, destroying the window posts WM_QUIT with exit code 0.
  void SetQuitWhenClosed(bool quit_when_closed) { quit_when_closed_ = quit_when_closed; }

  // The client rectangle in physical pixels (left and top are 0).
  RECT GetClientArea() const;

  // Applies the Windows app theme (light or dark) to the title bar of `window`.
  static void UpdateTheme(HWND window);

 protected:
  // Handles the messages of the window once WM_NCCREATE has run. Subclasses handle what they need
  // and pass the rest to this base.
  virtual LRESULT MessageHandler(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

  // Runs at the end of a successful CreateWindowExW. Returning false fails Create.
  virtual bool OnCreate();

  // Runs when the window is being destroyed (WM_DESTROY or Destroy), before the handle goes.
  virtual void OnDestroy();

 private:
  // The bridge from the system to the object: stores the object at WM_NCCREATE and forwards
  // every later message to its MessageHandler.
  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

  // The object stored on `window`, or null before WM_NCCREATE.
  static Win32Window* GetThisFromHandle(HWND window) noexcept;

  void ResizeContentToClientArea();

  bool quit_when_closed_ = false;
  HWND window_handle_ = nullptr;  // Owned: destroyed by Destroy.
  HWND child_content_ = nullptr;  // Not owned: the content belongs to whoever created it.
};

#endif  // SHELL_WIN32_WINDOW_H_
