// LanguageStringTable: the process-wide table from text ids to display texts.
//
// Markup names user-visible texts by id ("textid", "tooltiptextid"); the table is filled at
// start-up from the language file "gdstrings.ini" (UTF-8, one "KEY = text" per line, lines whose
// key holds ";" are comments) and read by every window afterwards.
//
//   auto* table = ui::LanguageStringTable::GetInstance();
//   table->LoadLines(ui::ReadLanguageFileLines(L"C:\\app\\lang\\en\\gdstrings.ini"));
//   std::wstring title = table->GetStringById(L"STRID_TITLE");
//
// Thread affinity: any thread. Filling and reading are guarded by a reader-writer lock, so a
// late reload never races with a window thread's lookup.
#ifndef UI_CORE_LANGUAGE_STRINGS_H_
#define UI_CORE_LANGUAGE_STRINGS_H_

#include <map>
#include <shared_mutex>
#include <string>
#include <vector>

namespace ui {

class LanguageStringTable {
 public:
  // The process-wide table, created on first use and destroyed at exit.
  static LanguageStringTable* GetInstance();

  LanguageStringTable(const LanguageStringTable&) = delete;
  LanguageStringTable& operator=(const LanguageStringTable&) = delete;

  // Adds every valid line: split at "=" into exactly two non-empty parts, both trimmed; a key
  // holding ";" is dropped; a later line replaces an earlier one of the same key. True when the
  // list held at least one line.
  bool LoadLines(const std::vector<std::wstring>& lines);
  void Clear();

  // The text for id, with every "\r" sequence made a carriage return and then every "\n" a line
  // feed; empty for an empty or unknown id.
  std::wstring GetStringById(const std::wstring& id) const;

 private:
  LanguageStringTable() = default;

  mutable std::shared_mutex mutex_;
  std::map<std::wstring, std::wstring> strings_;  // Guarded by mutex_.
};

// Reads a UTF-8 text file as lines: a byte-order mark is skipped, lines of any length are kept
// whole, each line is trimmed at both ends of blanks and characters below 30 (so CR LF endings
// and tabs go), and empty lines are dropped. A missing file gives no lines.
std::vector<std::wstring> ReadLanguageFileLines(const std::wstring& path);

}  // namespace ui

#endif  // UI_CORE_LANGUAGE_STRINGS_H_
