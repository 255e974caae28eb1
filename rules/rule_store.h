// The rule file on disk: read once at init, written once at quit; in the
// settings folder or beside the host (common/plugin_file.h).
#pragma once

#include <string>

#include "common/code_page.h"
#include "common/files.h"
#include "common/module_services.h"
#include "common/plugin_file.h"
#include "common/settings_folder.h"
#include "rules/rule_file.h"
#include "rules/rule_list.h"

namespace tavrik {

class RuleStore {
 public:
  RuleStore(Files& files, ModuleServices& services, CodePage& codePage);

  // Replaces `rules` with the file's rules: those of the settings folder's copy
  // when there is one, else of the one beside the host. A file that cannot
  // be opened shows "cfg ファイルが見つかりません" and answers false.
  bool loadRules(RuleList& rules, const SettingsFolder& settingsFolder = std::nullopt);

  // Writes `rules`, then what loading left unread, in the file's own
  // encoding (or in UTF-8 once a rule holds what the ANSI code page cannot).
  // Until a load has succeeded it does nothing: the file the user has must
  // not be replaced by a list that never came from it. The file loaded is
  // replaced, or, when its place cannot take it, the settings folder gets a
  // copy that the next start loads. When neither can, "cfg
  // ファイルのオープンに失敗しました。" and every file stays as it was.
  void saveRules(const RuleList& rules);

 private:
  // The file's bytes for `rules`, in the encoding encodingForSave chooses.
  std::string fileBytesFor(const RuleList& rules);

  PluginFile file_;
  ModuleServices& services_;
  CodePage& codePage_;
  bool loaded_ = false;
  std::string unreadRest_;
  RuleFileEncoding encoding_ = RuleFileEncoding::Ansi;
};

}  // namespace tavrik
