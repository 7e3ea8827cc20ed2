// Prints what a rich edit costs on its hot paths, for a short and a long text:
//   - a typed character (the key event through the control into the text services, with the
//     change notice it raises), and
//   - a full paint of the control into a memory surface (the text drawn by the text services),
//     beside the paint of a caret blink (the caret's line only).
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/ui/bench_support.h"
#include "ui/controls/rich_edit.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using uibench::TimeMs;

std::wstring Lines(int count) {
  std::wstring text;
  for (int i = 0; i < count; ++i)
    text += L"line " + std::to_wstring(i) + L" of the notes about phone " + std::to_wstring(i % 7) +
            L"\r";
  return text;
}

void BenchRichEdit(int lines) {
  ui::Window window;
  auto* root = new ui::Box();
  window.AttachRoot(root);
  auto* edit = new ui::RichEdit();
  edit->SetAttribute(L"vscrollbar", L"true");
  edit->SetLimitText(10000000);
  root->Add(edit);
  const RECT rect = {0, 0, 400, 300};
  edit->SetPos(rect);
  edit->SetText(Lines(lines));
  edit->SetSel(-1, -1);
  int changes = 0;
  edit->AttachEvent(ui::kEventTextChange, [&changes](const ui::EventArgs&) {
    ++changes;
    return true;
  });

  // Typing: a character in, then taken out again so the text stays the same length.
  const double typed = TimeMs([edit] {
    edit->SendEvent(ui::kEventChar, L'x', 0, L'x');
    edit->SendEvent(ui::kEventKeyDown, VK_BACK, 0, VK_BACK);
  }) / 2;

  auto canvas = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  canvas->Resize(400, 300);
  const double paint = TimeMs([&] { edit->PaintWithClip(canvas.get(), rect); });
  const POINT caret = edit->GetCaretPos();
  const RECT caretArea = {caret.x - 2, caret.y, caret.x + 3, caret.y + 20};
  const double blink = TimeMs([&] { edit->PaintWithClip(canvas.get(), caretArea); });
  std::printf("  %7d lines %9zu chars %10.3f ms/char %10.3f ms/paint %10.3f ms/caret paint\n",
              lines, edit->GetText().size(), typed, paint, blink);
  if (changes == 0) std::printf("  (no change notices: the text services did not take the keys)\n");
}

}  // namespace

int main() {
  const std::wstring temp = uibench::StartLibrary();
  std::printf("rich edit, 400x300, a vertical bar, the caret at the end of the text\n");
  for (int lines : {10, 1000, 20000}) BenchRichEdit(lines);
  ui::GlobalManager::Shutdown();
  return 0;
}
