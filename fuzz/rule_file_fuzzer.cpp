// The rule file. Whatever its bytes: saving what was loaded and loading that
// again gives the same rules and the same unread rest, and the unread rest is
// the file's own tail. A file already in the saved form (every rule line with
// two TABs or more, ending in CR LF) saves as exactly its own bytes.
#include <algorithm>

#include "fuzz_check.h"
#include "latin1_code_page.h"
#include "rules/rule_file.h"

namespace {

bool sameRules(const tavrik::RuleList& a, const tavrik::RuleList& b) {
  if (a.count() != b.count()) return false;
  for (std::size_t i = 0; i < a.count(); ++i) {
    const tavrik::TemplateRule &x = a.at(i), &y = b.at(i);
    if (x.conditionType != y.conditionType || x.conditionValue != y.conditionValue ||
        x.templatePath != y.templatePath) {
      return false;
    }
  }
  return true;
}

bool inSavedForm(std::string_view rulesPart) {
  while (!rulesPart.empty()) {
    std::size_t lineFeed = rulesPart.find('\n');
    if (lineFeed == std::string_view::npos) return false;
    std::string_view line = rulesPart.substr(0, lineFeed);
    if (line.empty() || line.back() != '\r' || std::count(line.begin(), line.end(), '\t') < 2) {
      return false;
    }
    rulesPart.remove_prefix(lineFeed + 1);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::bytesOf(data, size);
  tavrik::ParsedRuleFile loaded = tavrik::parseRuleFile(input);
  const std::string& rest = loaded.unreadRest;
  fuzz::expect(rest.size() <= input.size() && input.substr(input.size() - rest.size()) == rest,
               "the unread rest is the file's tail");

  fuzz::Latin1CodePage codePage;
  std::string saved = tavrik::formatRuleFile(loaded.rules, rest, loaded.encoding, codePage);
  tavrik::ParsedRuleFile reloaded = tavrik::parseRuleFile(saved);
  fuzz::expect(sameRules(reloaded.rules, loaded.rules), "a saved file loads the same rules");
  fuzz::expect(reloaded.unreadRest == rest, "a saved file keeps the same unread rest");
  fuzz::expect(reloaded.encoding == loaded.encoding, "a saved file keeps its encoding");

  if (inSavedForm(input.substr(0, input.size() - rest.size()))) {
    fuzz::expect(saved == input, "a file in the saved form saves as itself");
  }
  return 0;
}
