// The child box: its content built from a markup file of its own when it joins a window, the file
// read once for every child box of it (the template cache), content built once however often the
// box is initialised, files that fail, and files that hold child boxes of themselves.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "tests/ui/test_support.h"
#include "ui/controls/child_box.h"
#include "ui/controls/label.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"

namespace {

using ui::ChildBox;
using ui::Control;

// Markup files in a folder of the test's own; the cache is process-wide, so every name is new.
class ChildBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { window_.Init(nullptr); }

  std::wstring Write(const std::wstring& stem, const std::string& markup) {
    static std::atomic<int> counter{0};
    const std::wstring path = dir_.File(stem + std::to_wstring(++counter) + L".xml");
    EXPECT_TRUE(uitest::WriteFileBytes(path, markup));
    return path;
  }

  // A child box of file in a box at the window's root.
  ChildBox* Attach(const std::wstring& file) {
    auto* child = new ChildBox();
    child->SetChildXmlFile(file);
    if (!window_.GetRoot()) window_.AttachRoot(new ui::VBox());
    static_cast<ui::Box*>(window_.GetRoot())->Add(child);
    return child;
  }

  static int CountChildBoxes(Control* control) {
    int count = dynamic_cast<ChildBox*>(control) ? 1 : 0;
    if (auto* box = dynamic_cast<ui::Box*>(control))
      for (int i = 0; i < box->GetCount(); ++i) count += CountChildBoxes(box->GetItemAt(i));
    return count;
  }

  uitest::TempDir dir_;
  ui::Window window_;
};

TEST_F(ChildBoxTest, AFileIsReadOnceAndBuiltForEveryChildBoxOfIt) {
  const std::wstring file = Write(
      L"panel", "<Window><HBox name=\"panel\"><Label text=\"one\"/><Label text=\"two\"/></HBox>"
                "</Window>");
  ChildBox* first = Attach(file);
  ASSERT_EQ(first->GetCount(), 1);
  EXPECT_EQ(static_cast<ui::Box*>(first->GetItemAt(0))->GetCount(), 2);
  EXPECT_EQ(window_.FindControl(L"panel"), first->GetItemAt(0));
  EXPECT_NE(ui::GlobalManager::GetTemplateCacheEntry(file), nullptr);

  // The file is gone: the second child box builds from the parsed document.
  ASSERT_TRUE(::DeleteFileW(file.c_str()));
  ChildBox* second = Attach(file);
  ASSERT_EQ(second->GetCount(), 1);
  EXPECT_EQ(static_cast<ui::Box*>(second->GetItemAt(0))->GetCount(), 2);
  EXPECT_NE(second->GetItemAt(0), first->GetItemAt(0));
}

TEST_F(ChildBoxTest, ContentIsBuiltOnceHoweverOftenTheBoxIsInitialised) {
  const std::wstring file =
      Write(L"once", "<Window><Label name=\"onceLabel\" text=\"once\"/></Window>");
  // From markup with a window: the box is initialised when the builder adds it, and again when
  // the window attaches the root.
  ui::WindowBuilder builder;
  const std::wstring markup =
      L"<Window><VBox><ChildBox name=\"child\" xmlfile=\"" + file + L"\"/></VBox></Window>";
  Control* root = builder.Create(markup.c_str(), nullptr, &window_, nullptr);
  ASSERT_NE(root, nullptr);
  window_.AttachRoot(root);
  auto* child = dynamic_cast<ChildBox*>(window_.FindControl(L"child"));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->GetCount(), 1);
  Control* content = child->GetItemAt(0);
  child->Init();
  child->SetWindowAndParent(&window_, child->GetParent(), true);
  EXPECT_EQ(child->GetCount(), 1);
  EXPECT_EQ(child->GetItemAt(0), content);

  // Another file replaces the content at the next Init; content removed is built again.
  const std::wstring other = Write(L"other", "<Window><Control name=\"otherControl\"/></Window>");
  child->SetAttribute(L"xmlfile", other);
  child->Init();
  ASSERT_EQ(child->GetCount(), 1);
  EXPECT_EQ(child->GetItemAt(0)->GetName(), L"otherControl");
  child->RemoveAll();
  child->Init();
  EXPECT_EQ(child->GetCount(), 1);

  // Markup text stands for itself.
  child->SetChildXmlFile(L"<Window><Control name=\"inline\"/></Window>");
  child->Init();
  ASSERT_EQ(child->GetCount(), 1);
  EXPECT_EQ(child->GetItemAt(0)->GetName(), L"inline");
}

TEST_F(ChildBoxTest, AFileThatFailsLeavesNoChildrenAndIsTriedAgain) {
  // No file name: nothing happens, not even to children it has.
  ChildBox* unnamed = Attach(L"");
  unnamed->Add(new Control());
  unnamed->Init();
  EXPECT_EQ(unnamed->GetCount(), 1);

  const std::wstring missing = dir_.File(L"missing.xml");
  ChildBox* child = Attach(L"");
  child->Add(new Control());
  child->SetChildXmlFile(missing);
  child->Init();
  EXPECT_EQ(child->GetCount(), 0);
  EXPECT_EQ(ui::GlobalManager::GetTemplateCacheEntry(missing), nullptr);
  // A document of resources only yields no control either.
  const std::wstring empty = Write(L"empty", "<Window><Class name=\"x\" value=\"\"/></Window>");
  child->SetChildXmlFile(empty);
  child->Init();
  EXPECT_EQ(child->GetCount(), 0);
  EXPECT_EQ(ui::GlobalManager::GetTemplateCacheEntry(empty), nullptr);

  ASSERT_TRUE(uitest::WriteFileBytes(missing, "<Window><Control/></Window>"));
  child->SetChildXmlFile(missing);
  child->Init();
  EXPECT_EQ(child->GetCount(), 1);
}

TEST_F(ChildBoxTest, AFileThatHoldsAChildBoxOfItselfEnds) {
  // Directly.
  const std::wstring self = dir_.File(L"self.xml");
  const std::string selfUtf8(self.begin(), self.end());  // ASCII temp paths.
  ASSERT_TRUE(uitest::WriteFileBytes(
      self, "<Window><VBox><Label text=\"self\"/><ChildBox xmlfile=\"" + selfUtf8 +
                "\"/></VBox></Window>"));
  ChildBox* outer = Attach(self);
  ASSERT_EQ(outer->GetCount(), 1);
  EXPECT_EQ(CountChildBoxes(outer), 2);  // The outer box and the empty one inside its content.

  // Through another file, and joined to the window again: the tree stays as it is.
  const std::wstring a = dir_.File(L"chain_a.xml");
  const std::wstring b = dir_.File(L"chain_b.xml");
  ASSERT_TRUE(uitest::WriteFileBytes(
      a, "<Window><ChildBox xmlfile=\"" + std::string(b.begin(), b.end()) + "\"/></Window>"));
  ASSERT_TRUE(uitest::WriteFileBytes(
      b, "<Window><ChildBox xmlfile=\"" + std::string(a.begin(), a.end()) + "\"/></Window>"));
  ChildBox* chain = Attach(a);
  const int boxes = CountChildBoxes(chain);
  EXPECT_EQ(boxes, 3);  // a, the b inside it, and the a inside that, left empty.
  window_.GetRoot()->SetWindowAndParent(&window_, nullptr, true);
  EXPECT_EQ(CountChildBoxes(chain), boxes);
}

}  // namespace
