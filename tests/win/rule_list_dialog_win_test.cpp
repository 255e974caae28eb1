// The real rule list dialog, built from this program's resources and
// operated from a second thread: the table it shows, Add through the real
// condition dialog, Delete, and what OK and the three ways of cancelling do
// to the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "common/cp932_texts.h"
#include "dialog_user.h"
#include "resources/resource_ids.h"
#include "ui/rule_list_dialog_win32.h"

namespace tavrik {
namespace {

using namespace testing;
using Row = std::array<std::string, 3>;

const TemplateRule kBand{"ARTIST", "Some Band", "C:\\html\\band.html"};
// "サザンオールスターズ", "C:\html\ジャズ.html"
const TemplateRule kJapanese{"ARTIST", "\x83T\x83U\x83\x93\x83I\x81[\x83\x8b\x83X\x83^\x81[\x83Y",
                             "C:\\html\\\x83W\x83\x83\x83Y.html"};

// Longer than any first guess at a buffer, with "日" on every odd offset so
// that a cut always falls inside a double-byte character.
std::string longText(std::size_t bytes) {
  std::string text = "a";
  while (text.size() < bytes) text += "\x93\xfa";
  return text;
}
const TemplateRule kLong{"GENRE", longText(301), longText(40000)};

RuleList listOf(std::vector<TemplateRule> rules) {
  RuleList list;
  for (auto& rule : rules) list.append(rule);
  return list;
}

HWND waitForRuleListDialog() { return waitForDialogWith(IDC_RULE_LIST, "rule list dialog"); }
HWND waitForConditionDialog() { return waitForDialogWith(IDC_CONDITION_TYPE, "condition dialog"); }

std::vector<Row> rowsOf(HWND dialog) {
  HWND list = control(dialog, IDC_RULE_LIST);
  std::vector<Row> rows(send(list, LVM_GETITEMCOUNT));
  std::string buffer(100000, '\0');
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (int c = 0; c < 3; ++c) {
      LVITEMA item = {};
      item.iSubItem = c;
      item.pszText = buffer.data();
      item.cchTextMax = static_cast<int>(buffer.size());
      LRESULT length = send(list, LVM_GETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
      rows[r][c] = std::string(item.pszText, length);
    }
  }
  return rows;
}

std::vector<Row> rowsFor(const std::vector<TemplateRule>& rules) {
  std::vector<Row> rows;
  for (const auto& rule : rules) {
    rows.push_back({rule.conditionType.ansi(), rule.conditionValue.ansi(), rule.templatePath.ansi()});
  }
  return rows;
}

void selectRows(HWND dialog, std::vector<int> indexes) {
  HWND list = control(dialog, IDC_RULE_LIST);
  for (int index : indexes) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    send(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
  }
}

// The condition dialog opened by Add, filled and ended with `button`.
void addThroughConditionDialog(HWND ruleList, const TemplateRule& rule, int button = IDOK) {
  clickAndGo(ruleList, IDC_ADD);
  HWND d = waitForConditionDialog();
  if (!rule.conditionType.empty()) {
    HWND types = control(d, IDC_CONDITION_TYPE);
    send(types, CB_SETCURSEL,
         send(types, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
              reinterpret_cast<LPARAM>(rule.conditionType.ansi().c_str())));
  }
  // Unicode texts typed as a user with any keyboard would.
  auto typeText = [d](int id, const AnsiOrWide& text) {
    if (!text.isWide()) return type(d, id, text.ansi());
    SendMessageW(control(d, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.wide().c_str()));
  };
  typeText(IDC_CONDITION_VALUE, rule.conditionValue);
  typeText(IDC_TEMPLATE_PATH, rule.templatePath);
  clickAndGo(d, button);
  waitUntilGone(d, "condition dialog");
}

TEST(RuleListDialog, ShowsTheRulesUnderThreeLeftColumnsAndOkKeepsThemAsTheyWere) {
  const std::vector<TemplateRule> original = {kBand, kJapanese, kLong, kBand};
  RuleList rules = listOf(original);
  std::vector<Row> shown;
  std::vector<std::string> headers;
  std::vector<int> widths, formats;
  BOOL fourthColumn = TRUE;
  LRESULT extendedStyle = 0, selectedCount = -1;
  auto outcome = runModal([&] { return CRuleListDlg(rules).DoModal(); },
                          [&] {
                            HWND d = waitForRuleListDialog();
                            HWND list = control(d, IDC_RULE_LIST);
                            for (int i = 0; i < 4; ++i) {
                              char header[64] = {};
                              LVCOLUMNA column = {};
                              column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
                              column.pszText = header;
                              column.cchTextMax = sizeof header;
                              BOOL found = static_cast<BOOL>(send(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
                              if (i == 3) {
                                fourthColumn = found;
                                break;
                              }
                              headers.push_back(header);
                              widths.push_back(column.cx);
                              formats.push_back(column.fmt & LVCFMT_JUSTIFYMASK);
                            }
                            extendedStyle = send(list, LVM_GETEXTENDEDLISTVIEWSTYLE);
                            selectedCount = send(list, LVM_GETSELECTEDCOUNT);
                            shown = rowsOf(d);
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  EXPECT_EQ(headers, (std::vector<std::string>{texts::kColumnConditionType, texts::kColumnConditionValue,
                                               texts::kColumnTemplatePath}));
  EXPECT_EQ(widths, (std::vector<int>{80, 80, 248}));
  EXPECT_EQ(formats, (std::vector<int>{LVCFMT_LEFT, LVCFMT_LEFT, LVCFMT_LEFT}));
  EXPECT_FALSE(fourthColumn);
  EXPECT_EQ(extendedStyle, LVS_EX_FULLROWSELECT);
  EXPECT_EQ(selectedCount, 0);
  EXPECT_EQ(shown, rowsFor(original));
  EXPECT_EQ(rules.rules(), original);
}

TEST(RuleListDialog, AnEmptyListOpensEmptyAndOkLeavesItEmpty) {
  RuleList rules;
  LRESULT rows = -1;
  auto outcome = runModal([&] { return CRuleListDlg(rules).DoModal(); },
                          [&] {
                            HWND d = waitForRuleListDialog();
                            rows = send(control(d, IDC_RULE_LIST), LVM_GETITEMCOUNT);
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(rules.count(), 0u);
}

TEST(RuleListDialog, AddAppendsWhatTheConditionDialogGaveAndOkCommitsIt) {
  RuleList rules = listOf({kBand});
  const TemplateRule longRule{"TITLE", longText(70001), longText(40000) + ".html"};
  std::vector<Row> afterAdds;
  LRESULT selectedCount = -1;
  BOOL enabledUnderCondition = TRUE;
  HWND conditionOwner = nullptr, ruleListDialog = nullptr;
  auto outcome = runModal([&] { return CRuleListDlg(rules).DoModal(); },
                          [&] {
                            HWND d = ruleListDialog = waitForRuleListDialog();
                            addThroughConditionDialog(d, longRule);
                            addThroughConditionDialog(d, kJapanese, IDCANCEL);
                            // Nothing picked or typed: an empty row all the same.
                            clickAndGo(d, IDC_ADD);
                            HWND condition = waitForConditionDialog();
                            conditionOwner = GetWindow(condition, GW_OWNER);
                            enabledUnderCondition = IsWindowEnabled(d);
                            clickAndGo(condition, IDOK);
                            waitUntilGone(condition, "condition dialog");
                            addThroughConditionDialog(d, kJapanese);
                            afterAdds = rowsOf(d);
                            selectedCount = send(control(d, IDC_RULE_LIST), LVM_GETSELECTEDCOUNT);
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  const std::vector<TemplateRule> expected = {kBand, longRule, TemplateRule{}, kJapanese};
  EXPECT_EQ(afterAdds, rowsFor(expected));
  EXPECT_EQ(selectedCount, 0) << "added rows are not selected";
  EXPECT_EQ(conditionOwner, ruleListDialog);
  EXPECT_FALSE(enabledUnderCondition) << "the table cannot change under an open condition dialog";
  ASSERT_EQ(rules.count(), 4u);
  EXPECT_EQ(rules.rules(), expected);
}

// The cells as the list holds them, in UTF-16.
std::vector<std::u16string> wideCellsOf(HWND dialog, int row) {
  HWND list = control(dialog, IDC_RULE_LIST);
  std::vector<std::u16string> cells;
  for (int c = 0; c < 3; ++c) {
    std::u16string buffer(4096, u'\0');
    LVITEMW item = {};
    item.iSubItem = c;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.data());
    item.cchTextMax = static_cast<int>(buffer.size());
    buffer.resize(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    cells.push_back(buffer);
  }
  return cells;
}

TEST(RuleListDialog, AnyCharacterIsShownAndKeptAndWhatTheCodePageHoldsStaysAnsiBytes) {
  // A rule from a UTF-8 rule file, shown beside an ANSI one.
  const TemplateRule fromUtf8{u"TITLE", u"\u2661 Beyonc\u00E9", u"C:\\\uC74C\\b.html"};
  // Typed in the condition dialog: Hangul and an emoji, and Japanese the
  // code page holds.
  const TemplateRule typed{"ARTIST", u"\uD55C\uAD6D \U0001F3B5", "C:\\\x83W\x83\x83\x83Y.html"};
  RuleList rules = listOf({fromUtf8, kJapanese});
  std::vector<std::u16string> shown;
  auto outcome = runModal([&] { return CRuleListDlg(rules).DoModal(); },
                          [&] {
                            HWND d = waitForRuleListDialog();
                            shown = wideCellsOf(d, 0);
                            addThroughConditionDialog(d, typed);
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"TITLE", u"\u2661 Beyonc\u00E9", u"C:\\\uC74C\\b.html"}));
  ASSERT_EQ(rules.count(), 3u);
  // Texts the code page holds come back as its bytes, the others whole.
  EXPECT_EQ(rules.at(0), (TemplateRule{"TITLE", u"\u2661 Beyonc\u00E9", u"C:\\\uC74C\\b.html"}));
  EXPECT_EQ(rules.at(1), kJapanese);
  EXPECT_FALSE(rules.at(1).conditionValue.isWide());
  EXPECT_EQ(rules.at(2), typed);
  EXPECT_TRUE(rules.at(2).conditionValue.isWide());
  EXPECT_FALSE(rules.at(2).templatePath.isWide());
}

TEST(RuleListDialog, DeleteRemovesOnlyTheLowestSelectedRow) {
  std::vector<TemplateRule> original;
  for (int i = 0; i < 7; ++i) original.push_back({"TITLE", "song " + std::to_string(i), "t.html"});
  RuleList rules = listOf(original);
  std::vector<Row> afterFirst, afterSecond, afterThird;
  LRESULT selectedAfterFirst = -1;
  auto outcome = runModal([&] { return CRuleListDlg(rules).DoModal(); },
                          [&] {
                            HWND d = waitForRuleListDialog();
                            HWND list = control(d, IDC_RULE_LIST);
                            selectRows(d, {2, 5});
                            click(d, IDC_DELETE);
                            afterFirst = rowsOf(d);
                            selectedAfterFirst = send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
                            click(d, IDC_DELETE);
                            afterSecond = rowsOf(d);
                            click(d, IDC_DELETE);  // nothing selected any more
                            afterThird = rowsOf(d);
                            clickAndGo(d, IDOK);
                          });
  ASSERT_EQ(outcome.failure, "");
  EXPECT_EQ(outcome.answer, IDOK);
  auto without = [&](std::vector<int> gone) {
    std::vector<TemplateRule> left;
    for (int i = 0; i < 7; ++i)
      if (std::find(gone.begin(), gone.end(), i) == gone.end()) left.push_back(original[i]);
    return left;
  };
  EXPECT_EQ(afterFirst, rowsFor(without({2})));
  EXPECT_EQ(selectedAfterFirst, 4) << "the other selected row, moved up";
  EXPECT_EQ(afterSecond, rowsFor(without({2, 5})));
  EXPECT_EQ(afterThird, afterSecond);
  EXPECT_EQ(rules.rules(), without({2, 5}));
}

TEST(RuleListDialog, CancelEscapeAndTheCloseBoxLeaveTheRulesAsTheyWere) {
  const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
      {"Cancel", [](HWND d) { clickAndGo(d, IDCANCEL); }},
      {"Escape", [](HWND d) { pressEscape(d); }},
      {"close box", [](HWND d) { closeBox(d); }},
  };
  const std::vector<TemplateRule> original = {kBand, kJapanese, kLong};
  for (const auto& [name, end] : ways) {
    SCOPED_TRACE(name);
    RuleList rules = listOf(original);
    std::size_t rowsBeforeEnd = 0;
    auto outcome = runModal([&] { return CRuleListDlg(rules).DoModal(); },
                            [&, end = end] {
                              HWND d = waitForRuleListDialog();
                              addThroughConditionDialog(d, kBand);
                              selectRows(d, {0});
                              click(d, IDC_DELETE);
                              rowsBeforeEnd = rowsOf(d).size();
                              end(d);
                            });
    ASSERT_EQ(outcome.failure, "");
    EXPECT_EQ(outcome.answer, IDCANCEL);
    EXPECT_EQ(rowsBeforeEnd, 3u);
    EXPECT_EQ(rules.rules(), original);
  }
}

}  // namespace
}  // namespace tavrik
