// MarkupDocument and MarkupNode: the skin markup reader.
//
// A document reads one markup file (UTF-8, with or without a byte-order mark, at most 4 MiB) into
// a single wide-character buffer and indexes its elements in place: names, attribute values and
// element text are zero-terminated inside that buffer, and elements are records in one growing
// table, so no tree of nodes is allocated. The language is a small subset of XML: elements,
// double-quoted attributes, text, the five predefined entities; comments and processing
// instructions are skipped.
//
//   ui::MarkupDocument doc;
//   if (!doc.LoadFromFile(L"cloud_phone_light.xml")) Log(doc.GetLastErrorMessage());
//   for (ui::MarkupNode node = doc.GetRoot().GetChild(); node.IsValid();
//        node = node.GetSibling()) {
//     for (int i = 0; i < node.GetAttributeCount(); ++i)
//       Apply(node.GetAttributeName(i), node.GetAttributeValue(i));
//   }
//
// Parsing never reads past the end of the text, refuses elements nested deeper than
// kMaxNestingDepth with an error instead of exhausting the stack, refuses a closing tag that no
// open element matches (one at the top level included), and keeps every failure as one message
// plus up to 49 characters of text at the failing position.
//
// The parser (markup.cpp) is portable C++ and is fuzzed natively (tools/fuzz/markup.sh); loading
// from files and UTF-8 bytes needs the system (markup_win.cpp).
//
// Thread affinity: a document is built on one thread; once parsed it is read-only, and nodes of
// it may be read on several threads at once (a node is a small value with its own attribute map).
// Nodes must not outlive their document.
#ifndef UI_CORE_MARKUP_H_
#define UI_CORE_MARKUP_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

class MarkupDocument;

class MarkupNode {
 public:
  static constexpr int kMaxAttributes = 64;

  MarkupNode() = default;

  bool IsValid() const { return document_ != nullptr; }

  MarkupNode GetParent() const;
  MarkupNode GetSibling() const;
  MarkupNode GetChild() const;
  bool HasChildren() const;

  // Null for an invalid node.
  const wchar_t* GetName() const;
  const wchar_t* GetValue() const;

  // Only the first kMaxAttributes attributes of an element are visible.
  bool HasAttributes() const;
  int GetAttributeCount();
  // Empty for an index out of range; null for an invalid node.
  const wchar_t* GetAttributeName(int index);
  const wchar_t* GetAttributeValue(int index);
  // The value of the first attribute named name; null when there is none.
  const wchar_t* GetAttributeValue(const wchar_t* name);

 private:
  friend class MarkupDocument;
  MarkupNode(const MarkupDocument* document, uint32_t index);
  void MapAttributes();

  const MarkupDocument* document_ = nullptr;
  uint32_t index_ = 0;
  bool mapped_ = false;
  int attribute_count_ = 0;
  // Buffer positions of (name, value) pairs.
  std::array<std::pair<uint32_t, uint32_t>, kMaxAttributes> attributes_ = {};
};

class MarkupDocument {
 public:
  static constexpr size_t kMaxFileBytes = 4194304;
  static constexpr unsigned kMaxNestingDepth = 256;

  MarkupDocument() = default;
  MarkupDocument(const MarkupDocument&) = delete;
  MarkupDocument& operator=(const MarkupDocument&) = delete;
  MarkupDocument(MarkupDocument&&) = default;
  MarkupDocument& operator=(MarkupDocument&&) = default;

  // A relative name is taken below the global resource path.
  bool LoadFromFile(const std::wstring& fileName);
  // Markup already in memory as UTF-8 bytes (a leading byte-order mark is skipped).
  bool LoadFromUtf8(const char* data, size_t size);
  // Markup text as wide characters (the builder's in-memory skins).
  bool LoadFromString(const std::wstring& markup);

  void Release();
  bool IsValid() const { return elements_.size() > 1; }

  // When false, runs of blanks after a space in text and values collapse into that space.
  void SetPreserveWhitespace(bool preserve) { preserve_whitespace_ = preserve; }

  const std::wstring& GetLastErrorMessage() const { return error_message_; }
  const std::wstring& GetLastErrorLocation() const { return error_location_; }

  // The first element of the document; invalid when there is none.
  MarkupNode GetRoot() const;

 private:
  friend class MarkupNode;

  struct Element {
    uint32_t name = 0;    // Buffer position of the zero-terminated name.
    uint32_t child = 0;   // First child (0 = none).
    uint32_t next = 0;    // Next sibling (0 = none).
    uint32_t parent = 0;  // Record 0 is the document.
    uint32_t data = 0;    // Buffer position of the zero-terminated element text.
    uint32_t firstAttribute = 0;
    uint32_t attributeCount = 0;
  };

  bool Parse();
  bool ParseElement(size_t& pos, uint32_t parent, unsigned depth);
  bool ParseAttributes(size_t& pos, uint32_t element);
  void ParseData(size_t& pos, size_t& dest, wchar_t stopper);
  uint32_t AddElement();
  void SkipBlanks(size_t& pos) const;
  void SkipIdentifier(size_t& pos) const;
  bool Fail(const wchar_t* message, size_t pos);
  bool FailOutsideText(const wchar_t* message);

  const wchar_t* At(uint32_t pos) const { return text_.data() + pos; }

  std::vector<wchar_t> text_;  // The document, zero-terminated, modified by parsing.
  size_t end_ = 0;             // Length of the text (the terminator's position).
  std::vector<Element> elements_;
  std::vector<std::pair<uint32_t, uint32_t>> attributes_;  // (name, value) positions.
  bool preserve_whitespace_ = true;
  std::wstring error_message_;
  std::wstring error_location_;
};

}  // namespace ui

#endif  // UI_CORE_MARKUP_H_
