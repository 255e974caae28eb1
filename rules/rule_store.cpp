#include "rules/rule_store.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "rules/rule_file.h"

namespace tavrik {

bool RuleStore::loadRules(RuleList& rules) {
  auto path = hostFilePath(services_, IDS_RULE_FILE);
  auto file = path ? files_.openExclusive(*path) : nullptr;
  if (!file) {
    services_.showErrorMessage(texts::kRuleFileMissingMessage);
    return false;
  }
  ParsedRuleFile parsed = parseRuleFile(readWhole(*file));
  if (rules.count() == 0) {
    rules = std::move(parsed.rules);
  } else {
    for (const TemplateRule& rule : parsed.rules.rules()) rules.append(rule);
  }
  unreadRest_ = std::move(parsed.unreadRest);
  loaded_ = true;
  return true;
}

void RuleStore::saveRules(const RuleList& rules) {
  if (!loaded_) return;
  auto path = hostFilePath(services_, IDS_RULE_FILE);
  if (!path || !files_.replaceContent(*path, formatRuleFile(rules, unreadRest_))) {
    services_.showErrorMessage(texts::kRuleFileWriteFailedMessage);
  }
}

}  // namespace tavrik
