// A picture file for the phone: the pop-out window's picture button lets the user choose one and
// sends its bytes as they are.
//
//   std::vector<char> bytes = picture_file::Choose(picture_file::SystemPictureDialog(), hwnd);
//   if (!bytes.empty() && callbacks_.picture)
//     callbacks_.picture(bytes.data(), static_cast<int>(bytes.size()));
//
// The open-file dialog is reached through PictureDialog, so tests can choose files without one.
// A file is read whole; what cannot be read as a whole (missing, locked, empty, larger than the
// byte count the phone is sent in, more than the memory there is, or shortened while being read)
// gives no bytes, so nothing is sent.
//
// Thread affinity: the window's thread (the dialog is modal to the window and pumps its
// messages). Read may run on any thread.
#ifndef PHONE_WINDOW_PICTURE_FILE_H_
#define PHONE_WINDOW_PICTURE_FILE_H_

#include <windows.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace picture_file {

// The largest file sent: its size must fit the int byte count of the picture callback.
inline constexpr int64_t kMaxPictureBytes = INT_MAX;

class PictureDialog {
 public:
  virtual ~PictureDialog() = default;
  // Lets the user choose a file; its full path, or empty when the dialog was cancelled or failed.
  virtual std::wstring ChooseFile(HWND owner) = 0;
};

// The system's open-file dialog, owned by `owner`: filters "Image Files" (*.png;*.jpg;*.jpeg;*.bmp,
// chosen at first) and "All Files"; the path and the file must exist; paths up to MAX_PATH.
PictureDialog& SystemPictureDialog();

// The file's bytes; empty when it cannot be read whole (see above).
std::vector<char> Read(const std::wstring& path);

// Asks `dialog` for a file and reads it; empty when none was chosen or it cannot be read.
std::vector<char> Choose(PictureDialog& dialog, HWND owner);

}  // namespace picture_file

#endif  // PHONE_WINDOW_PICTURE_FILE_H_
