#include "rules/rule_store.h"

#include "common/cp932_texts.h"
#include "common/unicode_codec.h"
#include "resources/resource_ids.h"

namespace tavrik {

RuleStore::RuleStore(Files& files, ModuleServices& services, CodePage& codePage)
    : file_(files, services, codePage, IDS_RULE_FILE), services_(services), codePage_(codePage) {}

bool RuleStore::loadRules(RuleList& rules, const SettingsFolder& settingsFolder) {
  auto file = file_.open(settingsFolder).file;
  if (!file) {
    services_.showErrorMessage(texts::kRuleFileMissingMessage);
    return false;
  }
  ParsedRuleFile parsed = parseRuleFile(readWhole(*file));
  rules = std::move(parsed.rules);
  unreadRest_ = std::move(parsed.unreadRest);
  encoding_ = parsed.encoding;
  loaded_ = true;
  return true;
}

void RuleStore::saveRules(const RuleList& rules) {
  if (!loaded_) return;
  if (!file_.save(fileBytesFor(rules))) {
    services_.showErrorMessage(texts::kRuleFileWriteFailedMessage);
  }
}

std::string RuleStore::fileBytesFor(const RuleList& rules) {
  RuleFileEncoding encoding = encodingForSave(encoding_, rules, codePage_);
  if (encoding == encoding_) return formatRuleFile(rules, unreadRest_, encoding, codePage_);
  // The lines kept below the list move to UTF-8 with the rest of the file.
  return formatRuleFile(rules, encodeUtf8(codePage_.toWide(unreadRest_)), encoding, codePage_);
}

}  // namespace tavrik
