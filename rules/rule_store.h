// The rule file on disk: read once at init, written once at quit.
#pragma once

#include <string>

#include "common/code_page.h"
#include "common/file_system.h"
#include "common/module_services.h"
#include "rules/rule_file.h"
#include "rules/rule_list.h"

namespace tavrik {

class RuleStore {
 public:
  RuleStore(FileSystem& files, ModuleServices& services, CodePage& codePage)
      : files_(files), services_(services), codePage_(codePage) {}

  // Appends the file's rules to `rules`. A file that cannot be opened shows
  // "cfg ファイルが見つかりません" and answers false.
  bool loadRules(RuleList& rules);

  // Writes `rules`, then what loading left unread, in the file's own
  // encoding (or in UTF-8 once a rule holds what the ANSI code page cannot).
  // Until a load has succeeded it does nothing: the file the user has must
  // not be replaced by a list that never came from it. A failure shows "cfg
  // ファイルのオープンに失敗しました。" and leaves the old file as it was.
  void saveRules(const RuleList& rules);

  bool loaded() const { return loaded_; }
  RuleFileEncoding encoding() const { return encoding_; }

 private:
  // The file's bytes for `rules`, in the encoding encodingForSave chooses.
  std::string fileBytesFor(const RuleList& rules);

  FileSystem& files_;
  ModuleServices& services_;
  CodePage& codePage_;
  bool loaded_ = false;
  std::string unreadRest_;
  RuleFileEncoding encoding_ = RuleFileEncoding::Ansi;
};

}  // namespace tavrik
