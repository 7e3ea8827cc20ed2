// PooledWindow: what the window thread pool needs of a window it creates.
//
// A pop-out phone window is constructed on the caller's thread and handed to the pool, which
// makes its native window on one of the pool's threads. The pool drives the steps of that
// creation through this interface; the window keeps its cascade slot and gives it back to the
// pool from its final message.
//
//   class PhoneWindow : public ui::WindowImplBase, public PooledWindow { ... };
//   if (!CreateWindowOnUiThread(window, "Phone 7")) window = nullptr;   // it is gone
//
// Ownership: the pool never owns a window that was created; a window whose native window could
// not be made is deleted by the pool (unless its own final message already deleted it).
//
// Thread affinity: every operation runs on the pool thread that creates the window, except the
// cascade slot's setter, which the caller's thread uses before the hand-over.
#ifndef PHONE_WINDOW_POOLED_WINDOW_H_
#define PHONE_WINDOW_POOLED_WINDOW_H_

#include <windows.h>

#include <string>

#include "base/callback/weak_callback.h"

class PooledWindow : public virtual nbase::SupportWeakCallback {
 public:
  ~PooledWindow() override = default;

  // Creates the native window on the calling thread: no parent, the given name, style and
  // extended style, layered when asked, an empty rectangle (the skin sets the size). Returns its
  // handle, or null when none could be made. A window whose creation failed after the native
  // window existed may have been deleted by its own final message.
  virtual HWND CreateNativeWindow(const std::wstring& name, DWORD style, DWORD exStyle,
                                  bool layered) = 0;
  // Keeps the title and shows it in the window (UTF-8).
  virtual void SetTitle(const std::string& titleUtf8) = 0;
  // Centres the native window on its owner or its monitor's work area.
  virtual void CenterNativeWindow() = 0;
  // Shows the native window and gives it the focus.
  virtual void ShowNativeWindow() = 0;

  // The cascade slot: -1 while the window has none.
  virtual int GetCascadeSlot() const = 0;
  virtual void SetCascadeSlot(int slot) = 0;
};

#endif  // PHONE_WINDOW_POOLED_WINDOW_H_
