// WindowBuilder: turns one markup document into a tree of controls.
//
// On the way it registers what the document declares: a "Window" root's attributes set the
// window (size, caption, corners, shadow) and its "Class" children become the window's classes; a
// "Global" root's attributes and its "Font", "TextColor" and "Class" children go to the global
// tables (this is how "global.xml" is loaded at start-up). Every other element below the root is
// a control, made by class name (CreateControlByClass, then the application's factory of the
// global manager, then the callback given to Create or Build), set up attribute by attribute and
// added to its parent box; "Include" builds another file into the current parent, and "Event" and
// "BubbledEvent" attach markup handlers to the enclosing control.
//
//   ui::WindowBuilder builder;
//   ui::Control* root = builder.Create(L"settings.xml", makeOwnControl, window, nullptr);
//   if (root) window->AttachRoot(root);
//
//   // A parsed document can be built again (child boxes keep theirs in the template cache):
//   ui::Control* content = cached->Build(nullptr, nullptr, nullptr);
//
// Ownership: the controls made belong to the parent box they are added to, or, with no parent, to
// the caller (the first top-level control is returned; further top-level controls, and controls
// a parent that is not a box cannot take, are deleted).
//
// Limits: an "Include" chain is followed at most kMaxIncludeDepth files deep and one build opens
// at most kMaxIncludedDocuments included files in all, so a file that includes itself ends; controls
// nest at most MarkupDocument::kMaxNestingDepth deep, includes counted, as deep as one document
// may nest. Deeper elements are skipped with their subtree.
//
// Thread affinity: Create loads the document and is used by one thread. Once loaded, Build keeps
// nothing of a call in the builder (the callback and the limits travel with the call), so a cached
// builder may build on several window threads at once, each for its own window.
#ifndef UI_CORE_WINDOW_BUILDER_H_
#define UI_CORE_WINDOW_BUILDER_H_

#include <string>

#include "ui/core/global_manager.h"
#include "ui/core/markup.h"

namespace ui {

class Control;
class Window;

class WindowBuilder {
 public:
  static constexpr int kMaxIncludeDepth = 16;
  static constexpr int kMaxIncludedDocuments = 4096;
  static constexpr int kMaxBuildDepth = static_cast<int>(MarkupDocument::kMaxNestingDepth);

  WindowBuilder() = default;
  WindowBuilder(WindowBuilder&&) = default;
  WindowBuilder& operator=(WindowBuilder&&) = default;
  WindowBuilder(const WindowBuilder&) = delete;
  WindowBuilder& operator=(const WindowBuilder&) = delete;

  // Loads source, then builds (see Build). source is one of: a resource identifier
  // (IS_INTRESOURCE, null included), which loads nothing and builds the document already held;
  // markup text starting with "<"; or a file name, relative names below the global resource path.
  // A load or parse failure leaves no document and gives null.
  Control* Create(const wchar_t* source, CreateControlCallback callback, Window* window,
                  Control* parent);

  // Builds the document held. With a window, the root's resources and attributes are applied
  // first ("Window" attributes only once the window has its native handle). Returns the first
  // control made at the top level, or null (no document, or only resources in it). callback makes
  // controls that neither the library nor the application's factory knows.
  Control* Build(CreateControlCallback callback, Window* window, Control* parent) const;

  // The library's own controls by markup class name; null for a name it does not know.
  static Control* CreateControlByClass(const std::wstring& className);

 private:
  // What one call carries down the tree and into included files.
  struct BuildContext;

  // depth: how deep in the control tree the document's top-level controls go (0 at the top,
  // deeper for an included file).
  Control* CreateWithContext(const wchar_t* source, Window* window, Control* parent, int depth,
                             BuildContext& context);
  Control* BuildWithContext(Window* window, Control* parent, int depth,
                            BuildContext& context) const;
  // Builds the child elements of node into parent; the first control made at this level.
  Control* BuildChildren(MarkupNode node, Control* parent, Window* window, int depth,
                         BuildContext& context) const;
  // Builds "Include" source count times into parent.
  void BuildInclude(MarkupNode node, Control* parent, Window* window, int depth,
                    BuildContext& context) const;
  // A control for className: the library's, then the application's, then the call's.
  static Control* MakeControl(const std::wstring& className, const BuildContext& context);

  MarkupDocument document_;
};

}  // namespace ui

#endif  // UI_CORE_WINDOW_BUILDER_H_
