// The rule file. Whatever its bytes: saving what was loaded and loading that
// again gives the same rules, the same unread rest and the same encoding, and
// the unread rest is the file's own tail. A file already in the saved form
// (every rule line with two TABs or more, ending in CR LF) saves as exactly
// its own bytes, a UTF-8 one included.
// Encodings: a file is ANSI without the UTF-8 mark, UTF-8 with it when the
// reference decoder finds the rest well-formed, marked bytes otherwise; a
// marked file holds the lines of the bytes after its mark, decoded (UTF-8) or
// as they are (marked bytes). Saved through the rule store with rules added,
// a file keeps its encoding, except that an ANSI one becomes UTF-8, its
// texts and unread rest read through the code page, once a rule holds a text
// the code page cannot; an ANSI file holds UTF-16 texts as their ANSI bytes.
#include <algorithm>

#include "common/unicode_codec.h"
#include "fakes.h"
#include "memory_disk.h"
#include "fuzz_check.h"
#include "latin1_code_page.h"
#include "reference_unicode.h"
#include "rules/rule_file.h"
#include "rules/rule_store.h"

namespace {

using tavrik::AnsiOrWide;
using tavrik::RuleFileEncoding;

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

// Each field of `rules` made by `convert`.
template <typename Convert>
tavrik::RuleList converted(const tavrik::RuleList& rules, Convert convert) {
  tavrik::RuleList out;
  for (const tavrik::TemplateRule& rule : rules.rules()) {
    out.append({convert(rule.conditionType), convert(rule.conditionValue), convert(rule.templatePath)});
  }
  return out;
}

bool allOfKind(const tavrik::RuleList& rules, bool wide) {
  return std::all_of(rules.rules().begin(), rules.rules().end(), [wide](const tavrik::TemplateRule& rule) {
    return rule.conditionType.isWide() == wide && rule.conditionValue.isWide() == wide &&
           rule.templatePath.isWide() == wide;
  });
}

void checkEncoding(std::string_view input, const tavrik::ParsedRuleFile& loaded) {
  if (input.substr(0, tavrik::kUtf8Mark.size()) != tavrik::kUtf8Mark) {
    fuzz::expect(loaded.encoding == RuleFileEncoding::Ansi, "a file without the mark is ANSI");
    fuzz::expect(allOfKind(loaded.rules, false), "an ANSI file holds bytes");
    return;
  }
  std::string_view body = input.substr(tavrik::kUtf8Mark.size());
  bool wellFormed = false;
  fuzz::referenceDecodeUtf8(body, &wellFormed);
  bool utf8 = loaded.encoding == RuleFileEncoding::Utf8;
  fuzz::expect(loaded.encoding == (wellFormed ? RuleFileEncoding::Utf8 : RuleFileEncoding::MarkedBytes),
               "a marked file is UTF-8 exactly when the rest is well-formed");
  fuzz::expect(allOfKind(loaded.rules, utf8), "a UTF-8 file holds UTF-16 texts, a marked one bytes");
  // A second mark would make the bytes after the first one a marked file too.
  if (body.substr(0, tavrik::kUtf8Mark.size()) == tavrik::kUtf8Mark) return;
  tavrik::ParsedRuleFile asBytes = tavrik::parseRuleFile(body);
  fuzz::expect(loaded.unreadRest == asBytes.unreadRest, "a marked file leaves the rest its bytes leave");
  tavrik::RuleList expected =
      utf8 ? converted(asBytes.rules, [](const AnsiOrWide& f) { return AnsiOrWide(fuzz::referenceDecodeUtf8(f.ansi())); })
           : asBytes.rules;
  fuzz::expect(sameRules(loaded.rules, expected), "a marked file holds the lines of its bytes");
}

// Through the rule store, as the plug-in saves at quit: the loaded rules, an
// ANSI rule with a byte beyond ASCII, a UTF-16 rule the code page holds and,
// when `beyond`, one it cannot hold.
void checkSaveWithAddedRules(std::string_view input, const tavrik::ParsedRuleFile& loaded, bool beyond) {
  using namespace tavrik::testing;
  MemoryDisk disk;
  FakeModuleServices services;
  tavrik::testing::Latin1CodePage codePage;
  disk.ansi.files[kRuleFilePath] = std::string(input);
  tavrik::RuleStore store(disk, services, codePage);
  tavrik::RuleList rules;
  fuzz::expect(store.loadRules(rules), "the file loads");
  rules.append({"ARTIST", "caf\xE9", "C:\\caf\xE9.html"});
  rules.append({u"GENRE", u"Beyonc\u00E9", u"C:\\b.html"});
  if (beyond) rules.append({u"TITLE", u"\u2661 \U0001F3B5", u"C:\\\uC74C\uC545.html"});
  store.saveRules(rules);
  fuzz::expect(services.errors.empty(), "the save succeeds");
  const std::string& saved = disk.ansi.files[kRuleFilePath];

  RuleFileEncoding encoding = beyond && loaded.encoding == RuleFileEncoding::Ansi ? RuleFileEncoding::Utf8
                                                                                   : loaded.encoding;
  tavrik::ParsedRuleFile reloaded = tavrik::parseRuleFile(saved);
  fuzz::expect(reloaded.encoding == encoding, "only a text beyond the code page makes an ANSI file UTF-8");
  bool marked = saved.compare(0, tavrik::kUtf8Mark.size(), tavrik::kUtf8Mark) == 0;
  fuzz::expect(marked == (encoding != RuleFileEncoding::Ansi), "a UTF-8 or marked file is saved with the mark");
  tavrik::RuleList expected = converted(rules, [&](const AnsiOrWide& f) -> AnsiOrWide {
    if (encoding == RuleFileEncoding::Utf8) return tavrik::wideOf(f, codePage);
    if (!f.isWide()) return f;
    return encoding == RuleFileEncoding::Ansi ? AnsiOrWide(*codePage.toAnsiExactly(f.wide()))
                                              : AnsiOrWide(fuzz::referenceEncodeUtf8(f.wide()));
  });
  fuzz::expect(sameRules(reloaded.rules, expected), "every rule reads back, the added ones last");
  std::string rest = encoding != loaded.encoding ? fuzz::referenceEncodeUtf8(codePage.toWide(loaded.unreadRest))
                                                 : loaded.unreadRest;
  fuzz::expect(reloaded.unreadRest == rest, "the unread rest moves to UTF-8 with an ANSI file, else stays");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::bytesOf(data, size);
  tavrik::ParsedRuleFile loaded = tavrik::parseRuleFile(input);
  const std::string& rest = loaded.unreadRest;
  fuzz::expect(rest.size() <= input.size() && input.substr(input.size() - rest.size()) == rest,
               "the unread rest is the file's tail");
  checkEncoding(input, loaded);

  tavrik::testing::Latin1CodePage codePage;
  std::string saved = tavrik::formatRuleFile(loaded.rules, rest, loaded.encoding, codePage);
  tavrik::ParsedRuleFile reloaded = tavrik::parseRuleFile(saved);
  fuzz::expect(sameRules(reloaded.rules, loaded.rules), "a saved file loads the same rules");
  fuzz::expect(reloaded.unreadRest == rest, "a saved file keeps the same unread rest");
  fuzz::expect(reloaded.encoding == loaded.encoding, "a saved file keeps its encoding");
  bool marked = saved.compare(0, tavrik::kUtf8Mark.size(), tavrik::kUtf8Mark) == 0;
  fuzz::expect(marked == (loaded.encoding != RuleFileEncoding::Ansi), "a marked file saves with its mark");

  if (inSavedForm(input.substr(0, input.size() - rest.size()))) {
    fuzz::expect(saved == input, "a file in the saved form saves as itself");
  }
  checkSaveWithAddedRules(input, loaded, false);
  checkSaveWithAddedRules(input, loaded, true);
  return 0;
}
