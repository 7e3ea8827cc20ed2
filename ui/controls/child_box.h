// ChildBox: a box whose content is built from a markup file of its own.
//
// When the box joins a window (Init), the file named by "xmlfile" is built and the control it
// yields becomes the box's child. The parsed file is kept in the global template cache, so every
// further child box of the same file builds from the parsed document without reading the file
// again. The file is built without a window: its root attributes and its "Font", "TextColor" and
// "Class" elements take no effect, and its controls take attribute classes from the global table.
//
//   <ChildBox xmlfile="panels/device_info.xml" width="stretch" height="120"/>
//
// Content: a child box builds its file once. Joining a window again (a tree that moves, a window
// that attaches its root) keeps the content it has; a changed "xmlfile" replaces it at the next
// Init. A file that cannot be loaded, or yields no control, leaves the box without children and
// caches nothing, and a later Init tries again. A file whose content holds a child box of a file
// that is being built around it (itself, or a chain leading back to it), or that nests child boxes
// more than kMaxNesting deep, gets no content there, so such a file ends.
//
// Thread affinity: the thread of the owning window; the template cache may be shared by window
// threads.
#ifndef UI_CONTROLS_CHILD_BOX_H_
#define UI_CONTROLS_CHILD_BOX_H_

#include <memory>
#include <string>

#include "ui/core/box.h"

namespace ui {

class ChildBox : public Box {
 public:
  // How many child boxes may be built one inside the other on one thread.
  static constexpr int kMaxNesting = 16;

  // Made with the plain layout.
  ChildBox();

  // ----- Overrides -----------------------------------------------------------------------------
  // Builds the content (see the header); the box's DoInit is not run.
  void Init() override;
  // "xmlfile"; everything else is the box's.
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;

  const std::wstring& GetChildXmlFile() const { return xml_file_; }
  // Used by the next Init. A markup text starting with "<" is taken as the markup itself.
  void SetChildXmlFile(const std::wstring& file) { xml_file_ = file; }

 private:
  // The content built from built_file_, while it is still this box's child.
  Control* GetContent() const;
  // Builds xml_file_ from the cache, or reads, parses and caches it; null when it yields nothing.
  Control* BuildContent() const;

  std::wstring xml_file_;
  std::wstring built_file_;
  std::wstring refused_file_;  // Found inside its own content (or too deep); never built.
  Control* content_ = nullptr;  // A child (owned as a child); checked through content_alive_.
  std::weak_ptr<nbase::WeakFlag> content_alive_;
};

}  // namespace ui

#endif  // UI_CONTROLS_CHILD_BOX_H_
