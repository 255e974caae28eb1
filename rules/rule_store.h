// The rule file on disk: read once at init, written once at quit.
#pragma once

#include <string>

#include "common/file_system.h"
#include "common/module_services.h"
#include "rules/rule_list.h"

namespace tavrik {

class RuleStore {
 public:
  RuleStore(FileSystem& files, ModuleServices& services) : files_(files), services_(services) {}

  // Appends the file's rules to `rules`. A file that cannot be opened shows
  // "cfg ファイルが見つかりません" and answers false.
  bool loadRules(RuleList& rules);

  // Writes `rules`, then what loading left unread. Until a load has succeeded
  // it does nothing: the file the user has must not be replaced by a list
  // that never came from it. A failure shows "cfg ファイルのオープンに失敗し
  // ました。" and leaves the old file as it was.
  void saveRules(const RuleList& rules);

  bool loaded() const { return loaded_; }

 private:
  FileSystem& files_;
  ModuleServices& services_;
  bool loaded_ = false;
  std::string unreadRest_;
};

}  // namespace tavrik
