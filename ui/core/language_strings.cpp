#include "ui/core/language_strings.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "ui/core/string_helper.h"

namespace ui {

namespace {

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  for (size_t pos = text.find(from); pos != std::wstring::npos;
       pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

LanguageStringTable* LanguageStringTable::GetInstance() {
  static LanguageStringTable instance;
  return &instance;
}

bool LanguageStringTable::LoadLines(const std::vector<std::wstring>& lines) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  for (const std::wstring& line : lines) {
    std::vector<std::wstring> parts = StringHelper::Split(line, L"=");
    if (parts.size() != 2) continue;
    std::wstring key = parts[0];
    std::wstring text = parts[1];
    StringHelper::Trim(key);
    StringHelper::Trim(text);
    if (key.empty() || text.empty()) continue;
    if (key.find(L';') != std::wstring::npos) continue;
    strings_[key] = text;
  }
  return !lines.empty();
}

void LanguageStringTable::Clear() {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  strings_.clear();
}

std::wstring LanguageStringTable::GetStringById(const std::wstring& id) const {
  if (id.empty()) return std::wstring();
  std::wstring text;
  {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    auto it = strings_.find(id);
    if (it == strings_.end()) return std::wstring();
    text = it->second;
  }
  ReplaceAll(text, L"\\r", L"\r");
  ReplaceAll(text, L"\\n", L"\n");
  return text;
}

std::vector<std::wstring> ReadLanguageFileLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"rb"));
  if (!file) return lines;

  std::string line;
  bool firstLine = true;
  auto flush = [&]() {
    if (firstLine && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    firstLine = false;
    std::wstring wide = StringHelper::Utf8ToWide(line);
    StringHelper::Trim(wide);
    if (!wide.empty()) lines.push_back(std::move(wide));
    line.clear();
  };
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0) {
    for (size_t i = 0; i < got; ++i) {
      if (chunk[i] == '\n')
        flush();
      else
        line.push_back(chunk[i]);
    }
  }
  if (!line.empty()) flush();
  return lines;
}

}  // namespace ui
