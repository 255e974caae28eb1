// The settings file on disk, Plugins\gen_tavrik.ini in the settings folder or
// beside the host (common/plugin_file.h): read once at init, written at quit
// only when the settings were changed.
#pragma once

#include "caption/caption_settings_file.h"
#include "common/code_page.h"
#include "common/files.h"
#include "common/module_services.h"
#include "common/plugin_file.h"
#include "common/settings_folder.h"

namespace tavrik {

class CaptionSettingsStore {
 public:
  CaptionSettingsStore(Files& files, ModuleServices& services, CodePage& codePage);

  // The settings folder's copy when there is one, else the one beside the
  // host. No file means no caption file, silently. A file that is there but
  // does not open, or is garbled, means the same, after one error message; a
  // garbled one is then left alone unless the user sets new settings, one
  // that did not open is left alone whatever the user sets.
  CaptionSettings load(const SettingsFolder& settingsFolder = std::nullopt);

  // Writes `settings` when they differ from what load() gave, the file's
  // other lines kept, through a temporary file so that a failure leaves the
  // old file whole, into the settings folder when the file's place cannot
  // take it. When they cannot be written, one message says so.
  void save(const CaptionSettings& settings);

 private:
  PluginFile file_;
  ModuleServices& services_;
  CodePage& codePage_;
  CaptionSettingsFile loaded_;
  // There but not read: its lines are unknown, so it is never written over.
  bool unread_ = false;
};

}  // namespace tavrik
