// The settings file on disk, Plugins\gen_tavrik.ini beside the rule file:
// read once at init, written at quit only when the settings were changed.
#pragma once

#include "caption/caption_settings_file.h"
#include "common/code_page.h"
#include "common/file_system.h"
#include "common/module_services.h"

namespace tavrik {

class CaptionSettingsStore {
 public:
  CaptionSettingsStore(FileSystem& files, ModuleServices& services, CodePage& codePage)
      : files_(files), services_(services), codePage_(codePage) {}

  // No file means no caption file, silently. A file that is there but does
  // not open, or is garbled, means the same, after one error message; it is
  // then left alone unless the user sets new settings.
  CaptionSettings load();

  // Writes `settings` when they differ from what load() gave, the file's
  // other lines kept, through a temporary file so that a failure leaves the
  // old file whole; a failure shows one message.
  void save(const CaptionSettings& settings);

 private:
  FileSystem& files_;
  ModuleServices& services_;
  CodePage& codePage_;
  CaptionSettingsFile loaded_;
};

}  // namespace tavrik
