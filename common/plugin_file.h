// One of the plug-in's own files (the rule file, the caption's settings
// file), named by a string of the module's table relative to a folder
// ("Plugins\gen_tavrik.cfg"): looked for in the settings folder first, then
// beside the host, where it always was; saved back where it was found, or
// into the settings folder when that place cannot take it. Without a
// settings folder it is the file beside the host alone, by its ANSI path,
// exactly as ever.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/files.h"
#include "common/module_services.h"
#include "common/settings_folder.h"

namespace tavrik {

class PluginFile {
 public:
  PluginFile(Files& files, ModuleServices& services, CodePage& codePage, unsigned nameId)
      : files_(files), services_(services), codePage_(codePage), nameId_(nameId) {}

  struct Found {
    bool there = false;                // a copy is there, opened or not
    std::unique_ptr<InputFile> file;  // opened without sharing; null when none opened
  };

  // The first copy there is, and the place the next save goes to. A copy
  // that is there but does not open (held by another program, not ours to
  // read) is the one found all the same: the other copy is not read in its
  // place, as its edits would then be saved where the next start does not
  // look first.
  Found open(const SettingsFolder& settingsFolder);

  // `bytes` in the place of the copy found, or of the file beside the host
  // when none was; when that place cannot take them (a folder the user may
  // not write in, a read-only or held file), in the settings folder, whose
  // folders are made when missing. False when neither takes them: every copy
  // is then as it was.
  bool save(std::string_view bytes);

 private:
  std::optional<std::string> besideHost();
  std::optional<std::u16string> inSettingsFolder();
  // The folders between the settings folder and the file ("Plugins").
  bool makeFoldersBelowSettingsFolder();

  Files& files_;
  ModuleServices& services_;
  CodePage& codePage_;
  unsigned nameId_;
  SettingsFolder settingsFolder_;
  bool foundInSettingsFolder_ = false;
};

}  // namespace tavrik
