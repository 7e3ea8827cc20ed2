// Native fuzz target of the markup parser (clang libFuzzer with AddressSanitizer and
// UndefinedBehaviorSanitizer; built and run by tools/fuzz/markup.sh, outside the Windows build).
//
// Every input must end in a clean success or a clean failure without touching memory outside the
// document, the same way each time. A success must be walkable to the last attribute; a failure
// must leave no document behind and say why in at most 99 characters, at most 49 of context.
//
// Input: each byte is one character (0-255), except that 0xFF takes the next two bytes as one
// 16-bit character (little-endian), so surrogates and letters outside Latin-1 occur too. An odd
// input length parses with whitespace preserved, an even one without.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "ui/core/markup.h"

namespace {

std::wstring Characters(const uint8_t* data, size_t size) {
  std::wstring text;
  text.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && i + 2 < size) {
      text.push_back(static_cast<wchar_t>(data[i + 1] | (data[i + 2] << 8)));
      i += 2;
    } else {
      text.push_back(static_cast<wchar_t>(data[i]));
    }
  }
  return text;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// Reads every name, value and attribute of the document; returns the number of elements.
size_t Walk(ui::MarkupDocument& doc) {
  size_t elements = 0;
  size_t characters = 0;
  std::vector<ui::MarkupNode> stack{doc.GetRoot()};
  while (!stack.empty()) {
    ui::MarkupNode node = stack.back();
    stack.pop_back();
    if (!node.IsValid()) continue;
    ++elements;
    Check(node.GetName() != nullptr && node.GetValue() != nullptr);
    characters += std::wcslen(node.GetName()) + std::wcslen(node.GetValue());
    const int count = node.GetAttributeCount();
    Check(count >= 0 && count <= ui::MarkupNode::kMaxAttributes);
    Check(node.HasAttributes() == (count > 0));
    for (int i = 0; i < count; ++i) {
      const wchar_t* name = node.GetAttributeName(i);
      const wchar_t* value = node.GetAttributeValue(i);
      Check(name != nullptr && value != nullptr);
      characters += std::wcslen(name) + std::wcslen(value);
      Check(node.GetAttributeValue(name) != nullptr);  // the first of that name, maybe another
    }
    Check(std::wcslen(node.GetAttributeName(count)) == 0);  // out of range reads as empty
    ui::MarkupNode child = node.GetChild();
    Check(child.IsValid() == node.HasChildren());
    if (child.IsValid()) Check(child.GetParent().GetName() == node.GetName());
    stack.push_back(node.GetSibling());
    stack.push_back(child);
  }
  Check(characters < (size_t{1} << 40));  // keeps the reads from being optimised away
  return elements;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = Characters(data, size);
  const bool preserve = size % 2 == 1;

  ui::MarkupDocument doc;
  doc.SetPreserveWhitespace(preserve);
  const bool parsed = doc.LoadFromString(text);
  if (parsed) {
    const size_t elements = Walk(doc);
    Check(elements <= text.size() / 2 + 1);  // every element takes at least "<" and ">"
    Check(doc.IsValid() == (elements > 0));
    Check(doc.GetLastErrorMessage().empty());
  } else {
    Check(!doc.IsValid() && !doc.GetRoot().IsValid());
    Check(!doc.GetLastErrorMessage().empty() && doc.GetLastErrorMessage().size() <= 99);
    Check(doc.GetLastErrorLocation().size() <= 49);
  }

  // The same text parses the same way again, in a document that held another one before.
  ui::MarkupDocument again;
  again.SetPreserveWhitespace(preserve);
  again.LoadFromString(L"<held attribute=\"1\">text<child/></held>");
  Check(again.LoadFromString(text) == parsed);
  Check(again.GetLastErrorMessage() == doc.GetLastErrorMessage());
  Check(again.GetLastErrorLocation() == doc.GetLastErrorLocation());
  return 0;
}
