#include "caption/caption_settings_store.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"

namespace tavrik {

CaptionSettings CaptionSettingsStore::load() {
  loaded_ = CaptionSettingsFile();
  auto path = hostFilePath(services_, IDS_SETTINGS_FILE);
  if (!path || !files_.exists(*path)) return {};
  auto file = files_.openExclusive(*path);
  loaded_ = file ? parseCaptionSettingsFile(readWhole(*file), codePage_) : CaptionSettingsFile{true, {}, {}};
  if (loaded_.garbled) services_.showErrorMessage(texts::kSettingsFileUnreadableMessage);
  return loaded_.settings;
}

void CaptionSettingsStore::save(const CaptionSettings& settings) {
  if (settings == loaded_.settings) return;
  auto path = hostFilePath(services_, IDS_SETTINGS_FILE);
  if (!path || !files_.replaceContent(*path, formatCaptionSettingsFile(settings, loaded_, codePage_))) {
    services_.showErrorMessage(texts::kSettingsFileWriteFailedMessage);
  }
}

}  // namespace tavrik
