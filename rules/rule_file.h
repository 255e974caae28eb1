// The rule file's bytes: one rule per line, type TAB value TAB path, read the
// way a text-mode C runtime reads it (LF ends a line, a CR before it is
// dropped, 0x1A ends the file) and written with CR LF.
#pragma once

#include <string>
#include <string_view>

#include "rules/rule_list.h"

namespace tavrik {

struct ParsedRuleFile {
  RuleList rules;
  // What reading did not take: everything from the first empty line or the
  // first 0x1A byte on. Written back unchanged, so that a save never destroys
  // rules a user keeps below an empty line.
  std::string unreadRest;
};

ParsedRuleFile parseRuleFile(std::string_view bytes);

// Splits one line at its first two TABs; a missing TAB counts as position -1
// and a negative length as zero, so a line without TAB is all template path.
TemplateRule splitRuleLine(std::string_view line);

std::string formatRuleFile(const RuleList& rules, std::string_view unreadRest);

}  // namespace tavrik
