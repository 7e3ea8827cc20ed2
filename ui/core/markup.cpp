#include "ui/core/markup.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace ui {

namespace {

constexpr size_t kMaxErrorMessage = 99;
constexpr size_t kMaxErrorLocation = 49;

bool IsBlank(wchar_t c) { return c <= 32; }

bool IsIdentifierChar(wchar_t c) {
  return std::iswalnum(static_cast<wint_t>(c)) || c == L'_' || c == L':';
}

struct Entity {
  const wchar_t* text;  // Including the ampersand and the semicolon.
  size_t length;
  wchar_t value;
};

const Entity kEntities[] = {
    {L"&amp;", 5, L'&'}, {L"&apos;", 6, L'\''}, {L"&lt;", 4, L'<'},
    {L"&gt;", 4, L'>'},  {L"&quot;", 6, L'"'},
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// MarkupNode

MarkupNode::MarkupNode(const MarkupDocument* document, uint32_t index)
    : document_(document), index_(index) {}

MarkupNode MarkupNode::GetParent() const {
  if (!document_) return MarkupNode();
  const uint32_t parent = document_->elements_[index_].parent;
  return parent == 0 ? MarkupNode() : MarkupNode(document_, parent);
}

MarkupNode MarkupNode::GetSibling() const {
  if (!document_) return MarkupNode();
  const uint32_t next = document_->elements_[index_].next;
  return next == 0 ? MarkupNode() : MarkupNode(document_, next);
}

MarkupNode MarkupNode::GetChild() const {
  if (!document_) return MarkupNode();
  const uint32_t child = document_->elements_[index_].child;
  return child == 0 ? MarkupNode() : MarkupNode(document_, child);
}

bool MarkupNode::HasChildren() const {
  return document_ && document_->elements_[index_].child != 0;
}

const wchar_t* MarkupNode::GetName() const {
  return document_ ? document_->At(document_->elements_[index_].name) : nullptr;
}

const wchar_t* MarkupNode::GetValue() const {
  return document_ ? document_->At(document_->elements_[index_].data) : nullptr;
}

bool MarkupNode::HasAttributes() const {
  return document_ && document_->elements_[index_].attributeCount > 0;
}

void MarkupNode::MapAttributes() {
  if (mapped_ || !document_) return;
  mapped_ = true;
  const MarkupDocument::Element& element = document_->elements_[index_];
  attribute_count_ =
      static_cast<int>(std::min<uint32_t>(element.attributeCount, kMaxAttributes));
  for (int i = 0; i < attribute_count_; ++i)
    attributes_[i] = document_->attributes_[element.firstAttribute + i];
}

int MarkupNode::GetAttributeCount() {
  MapAttributes();
  return document_ ? attribute_count_ : 0;
}

const wchar_t* MarkupNode::GetAttributeName(int index) {
  if (!document_) return nullptr;
  MapAttributes();
  if (index < 0 || index >= attribute_count_) return L"";
  return document_->At(attributes_[index].first);
}

const wchar_t* MarkupNode::GetAttributeValue(int index) {
  if (!document_) return nullptr;
  MapAttributes();
  if (index < 0 || index >= attribute_count_) return L"";
  return document_->At(attributes_[index].second);
}

const wchar_t* MarkupNode::GetAttributeValue(const wchar_t* name) {
  if (!document_ || !name) return nullptr;
  MapAttributes();
  for (int i = 0; i < attribute_count_; ++i)
    if (std::wcscmp(document_->At(attributes_[i].first), name) == 0)
      return document_->At(attributes_[i].second);
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// MarkupDocument: the document and its text

void MarkupDocument::Release() {
  text_.clear();
  text_.shrink_to_fit();
  end_ = 0;
  elements_.clear();
  attributes_.clear();
}

MarkupNode MarkupDocument::GetRoot() const {
  return elements_.size() > 1 ? MarkupNode(this, 1) : MarkupNode();
}

bool MarkupDocument::FailOutsideText(const wchar_t* message) {
  Release();
  error_message_.assign(message, std::min(std::wcslen(message), kMaxErrorMessage));
  error_location_.clear();
  return false;
}

bool MarkupDocument::LoadFromString(const std::wstring& markup) {
  Release();
  text_.assign(markup.begin(), markup.end());
  text_.push_back(L'\0');
  end_ = markup.size();
  return Parse();
}

// ---------------------------------------------------------------------------------------------
// MarkupDocument: parsing

bool MarkupDocument::Fail(const wchar_t* message, size_t pos) {
  error_message_.assign(message, std::min(std::wcslen(message), kMaxErrorMessage));
  error_location_.clear();
  for (size_t i = pos; i < end_ && text_[i] != L'\0' && error_location_.size() < kMaxErrorLocation;
       ++i)
    error_location_.push_back(text_[i]);
  text_.clear();
  end_ = 0;
  elements_.clear();
  attributes_.clear();
  return false;
}

uint32_t MarkupDocument::AddElement() {
  // Grow like the original table: by half its capacity plus 500 records.
  if (elements_.size() == elements_.capacity())
    elements_.reserve(elements_.capacity() + elements_.capacity() / 2 + 500);
  elements_.emplace_back();
  return static_cast<uint32_t>(elements_.size() - 1);
}

void MarkupDocument::SkipBlanks(size_t& pos) const {
  while (pos < end_ && IsBlank(text_[pos])) ++pos;
}

void MarkupDocument::SkipIdentifier(size_t& pos) const {
  while (pos < end_ && IsIdentifierChar(text_[pos])) ++pos;
}

bool MarkupDocument::Parse() {
  elements_.clear();
  attributes_.clear();
  error_message_.clear();
  error_location_.clear();
  AddElement();  // Record 0: the document.
  size_t pos = 0;
  if (!ParseElement(pos, 0, 0)) return false;
  return true;
}

void MarkupDocument::ParseData(size_t& pos, size_t& dest, wchar_t stopper) {
  while (pos < end_ && text_[pos] != stopper) {
    const wchar_t c = text_[pos];
    if (c == L'&') {
      const Entity* match = nullptr;
      for (const Entity& entity : kEntities) {
        if (end_ - pos >= entity.length &&
            std::wcsncmp(text_.data() + pos, entity.text, entity.length) == 0) {
          match = &entity;
          break;
        }
      }
      if (match) {
        text_[dest++] = match->value;
        pos += match->length;
        continue;
      }
    }
    text_[dest++] = c;
    ++pos;
    if (c == L' ' && !preserve_whitespace_) SkipBlanks(pos);
  }
  // Blank out what decoding freed, up to (not including) the stopper: the caller still reads it,
  // and terminates the copied text only once it has.
  for (size_t i = dest; i < pos; ++i) text_[i] = L' ';
}

bool MarkupDocument::ParseAttributes(size_t& pos, uint32_t element) {
  elements_[element].firstAttribute = static_cast<uint32_t>(attributes_.size());
  for (;;) {
    SkipBlanks(pos);
    if (pos >= end_ || text_[pos] == L'/' || text_[pos] == L'>') return true;
    const size_t nameStart = pos;
    SkipIdentifier(pos);
    const size_t nameEnd = pos;
    SkipBlanks(pos);
    if (nameEnd == nameStart || pos >= end_ || text_[pos] != L'=')
      return Fail(L"Error while parsing attributes", pos);
    ++pos;
    text_[nameEnd] = L'\0';  // A blank or the "=" just consumed.
    SkipBlanks(pos);
    if (pos >= end_ || text_[pos] != L'"') return Fail(L"Expected attribute value", pos);
    ++pos;
    const size_t valueStart = pos;
    size_t dest = pos;
    ParseData(pos, dest, L'"');
    if (pos >= end_) return Fail(L"Error while parsing attribute string", pos);
    text_[dest] = L'\0';  // May be the closing quote itself, already read.
    ++pos;
    attributes_.emplace_back(static_cast<uint32_t>(nameStart), static_cast<uint32_t>(valueStart));
    ++elements_[element].attributeCount;
  }
}

bool MarkupDocument::ParseElement(size_t& pos, uint32_t parent, unsigned depth) {
  uint32_t previous = 0;
  for (;;) {
    SkipBlanks(pos);
    if (pos >= end_) {
      if (parent <= 1) return true;
      return Fail(L"Expected start tag", pos);
    }
    if (text_[pos] != L'<') return Fail(L"Expected start tag", pos);
    if (pos + 1 < end_ && text_[pos + 1] == L'/') {
      // The closing tag of the element this level is inside, which the caller reads. At the top
      // level no element is open: a closing tag there is stray, not the end of the document.
      if (parent == 0) return Fail(L"Unmatched closing tag", pos);
      return true;
    }
    if (pos + 1 < end_ && (text_[pos + 1] == L'!' || text_[pos + 1] == L'?')) {
      // Comments end at "->", processing instructions at "?>"; unterminated ones run to the end.
      const wchar_t* closing = text_[pos + 1] == L'!' ? L"->" : L"?>";
      const wchar_t* begin = text_.data() + pos + 2;
      const wchar_t* stop = text_.data() + end_;
      const wchar_t* found = std::search(begin, stop, closing, closing + 2);
      pos = found == stop ? end_ : static_cast<size_t>(found - text_.data()) + 2;
      continue;
    }

    ++pos;
    const uint32_t index = AddElement();
    elements_[index].parent = parent;
    if (previous != 0)
      elements_[previous].next = index;
    else
      elements_[parent].child = index;
    previous = index;

    const size_t nameStart = pos;
    elements_[index].name = static_cast<uint32_t>(nameStart);
    SkipIdentifier(pos);
    const size_t nameEnd = pos;
    if (pos >= end_) return Fail(L"Error parsing element name", pos);
    if (!ParseAttributes(pos, index)) return false;
    SkipBlanks(pos);

    if (pos + 1 < end_ && text_[pos] == L'/' && text_[pos + 1] == L'>') {
      elements_[index].data = static_cast<uint32_t>(pos);
      text_[pos] = L'\0';
      pos += 2;
      text_[nameEnd] = L'\0';
      continue;
    }
    if (pos >= end_ || text_[pos] != L'>') return Fail(L"Expected start-tag closing", pos);
    ++pos;
    text_[nameEnd] = L'\0';  // A blank or the ">" just consumed.

    elements_[index].data = static_cast<uint32_t>(pos);
    size_t dest = pos;
    ParseData(pos, dest, L'<');
    if (pos >= end_) {
      text_[dest] = L'\0';
      if (parent <= 1) return true;
      return Fail(L"Expected end-tag start", pos);
    }
    // text_[pos] is "<". The text ends at dest; when decoding shortened it, terminate it now,
    // otherwise dest is that "<", which the children or the closing tag still have to read.
    const size_t dataEnd = dest;
    if (dataEnd < pos) text_[dataEnd] = L'\0';

    if (pos + 1 >= end_ || text_[pos + 1] != L'/') {
      if (depth + 1 >= kMaxNestingDepth) return Fail(L"Elements nested too deeply", pos);
      if (!ParseElement(pos, index, depth + 1)) return false;
    }
    text_[dataEnd] = L'\0';
    if (pos >= end_) continue;  // The children ran to the end of a root element.

    // At "</": the closing name must match the element's name, then ">" must follow at once.
    pos += 2;
    SkipBlanks(pos);
    const size_t nameLength = nameEnd - nameStart;
    if (end_ - pos < nameLength ||
        std::wcsncmp(text_.data() + pos, text_.data() + nameStart, nameLength) != 0)
      return Fail(L"Unmatched closing tag", pos);
    pos += nameLength;
    if (pos >= end_ || text_[pos] != L'>') return Fail(L"Unmatched closing tag", pos);
    ++pos;
  }
}

}  // namespace ui
