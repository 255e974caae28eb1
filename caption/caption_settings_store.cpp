#include "caption/caption_settings_store.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"

namespace tavrik {

CaptionSettingsStore::CaptionSettingsStore(Files& files, ModuleServices& services, CodePage& codePage)
    : file_(files, services, codePage, IDS_SETTINGS_FILE), services_(services), codePage_(codePage) {}

CaptionSettings CaptionSettingsStore::load(const SettingsFolder& settingsFolder) {
  loaded_ = CaptionSettingsFile();
  PluginFile::Found found = file_.open(settingsFolder);
  unread_ = found.there && !found.file;
  if (!found.there) return {};
  if (unread_) {
    // Held by an editor, say, or not ours to read: off, as a garbled one.
    services_.showErrorMessage(texts::kSettingsFileUnreadableMessage);
    return {};
  }
  loaded_ = parseCaptionSettingsFile(readWhole(*found.file), codePage_);
  if (loaded_.garbled) services_.showErrorMessage(texts::kSettingsFileUnreadableMessage);
  return loaded_.settings;
}

void CaptionSettingsStore::save(const CaptionSettings& settings) {
  if (settings == loaded_.settings) return;
  if (unread_ || !file_.save(formatCaptionSettingsFile(settings, loaded_, codePage_))) {
    services_.showErrorMessage(texts::kSettingsFileWriteFailedMessage);
  }
}

}  // namespace tavrik
