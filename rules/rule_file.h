// The rule file's bytes: one rule per line, type TAB value TAB path, read the
// way a text-mode C runtime reads it (LF ends a line, a CR before it is
// dropped, 0x1A ends the file) and written with CR LF. A file that starts
// with the UTF-8 byte-order mark holds UTF-8 after it; any other holds bytes
// in the ANSI code page.
#pragma once

#include <string>
#include <string_view>

#include "common/code_page.h"
#include "rules/rule_list.h"

namespace tavrik {

enum class RuleFileEncoding {
  Ansi,  // no mark: bytes in the ANSI code page, as ever
  Utf8,  // the mark, then well-formed UTF-8
  // The mark, then bytes that are no well-formed UTF-8: taken and written
  // back as the bytes they are, never replaced, so that a save loses nothing.
  MarkedBytes,
};

struct ParsedRuleFile {
  RuleList rules;
  // What reading did not take: everything from the first empty line or the
  // first 0x1A byte on, as the file holds it. Written back unchanged, so that
  // a save never destroys rules a user keeps below an empty line.
  std::string unreadRest;
  RuleFileEncoding encoding = RuleFileEncoding::Ansi;
};

ParsedRuleFile parseRuleFile(std::string_view bytes);

// Splits one line at its first two TABs; a missing TAB counts as position -1
// and a negative length as zero, so a line without TAB is all template path.
TemplateRule splitRuleLine(std::string_view line);

// A file keeps its encoding, except that an ANSI file whose rules now hold a
// text the code page cannot (typed in the dialogs) becomes UTF-8 rather than
// have "?" written in its place.
RuleFileEncoding encodingForSave(RuleFileEncoding loaded, const RuleList& rules, CodePage& codePage);

// The rules in `encoding`, then `unreadRest` as it is (already in that
// encoding). ANSI texts in an ANSI file are written as their bytes, exactly
// as ever; in a UTF-8 file they are read through the code page first, and in
// a MarkedBytes file they stay bytes. UTF-16 texts are written as UTF-8,
// except in an ANSI file, which holds their ANSI bytes.
std::string formatRuleFile(const RuleList& rules, std::string_view unreadRest, RuleFileEncoding encoding,
                           CodePage& codePage);

}  // namespace tavrik
