#include "ui/controls/child_box.h"

#include <algorithm>
#include <vector>

#include "ui/core/global_manager.h"
#include "ui/core/window_builder.h"

namespace ui {

namespace {

// The files whose content this thread is building and attaching right now, outermost first. A
// child box inside such content is attached (and so initialised) while its outer box's Init runs.
thread_local std::vector<std::wstring> t_building_files;

class BuildingFile {
 public:
  explicit BuildingFile(const std::wstring& file) { t_building_files.push_back(file); }
  ~BuildingFile() { t_building_files.pop_back(); }
  BuildingFile(const BuildingFile&) = delete;
  BuildingFile& operator=(const BuildingFile&) = delete;
};

bool MayBuild(const std::wstring& file) {
  return static_cast<int>(t_building_files.size()) < ChildBox::kMaxNesting &&
         std::find(t_building_files.begin(), t_building_files.end(), file) ==
             t_building_files.end();
}

}  // namespace

ChildBox::ChildBox() : Box(new Layout()) {}

void ChildBox::Init() {
  if (xml_file_.empty()) return;
  if (GetContent() && built_file_ == xml_file_) return;  // Built already.

  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (Control* old = GetContent()) {
    content_ = nullptr;
    Remove(old);
    if (alive.expired()) return;
  }
  if (xml_file_ == refused_file_) return;
  if (!MayBuild(xml_file_)) {
    // Inside its own content: it stays empty for good, also when its tree joins a window again.
    refused_file_ = xml_file_;
    return;
  }

  const std::wstring file = xml_file_;
  const BuildingFile building(file);
  Control* content = BuildContent();
  if (!content) {
    RemoveAll();
    return;
  }
  content_ = content;
  content_alive_ = content->GetWeakFlag();
  built_file_ = file;
  // Attaching it initialises the child boxes inside it, with this file still marked as building.
  Add(content);
}

void ChildBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"xmlfile")
    SetChildXmlFile(value);
  else
    Box::SetAttribute(name, value);
}

Control* ChildBox::GetContent() const {
  if (!content_ || content_alive_.expired()) return nullptr;
  return GetItemIndex(content_) >= 0 ? content_ : nullptr;
}

Control* ChildBox::BuildContent() const {
  if (std::shared_ptr<WindowBuilder> cached = GlobalManager::GetTemplateCacheEntry(xml_file_))
    return cached->Build(nullptr, nullptr, nullptr);
  auto builder = std::make_shared<WindowBuilder>();
  Control* content = builder->Create(xml_file_.c_str(), nullptr, nullptr, nullptr);
  if (content) GlobalManager::SetTemplateCacheEntry(xml_file_, std::move(builder));
  return content;
}

}  // namespace ui
