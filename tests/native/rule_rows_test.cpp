// The rule table's four operations over a table that behaves like the list
// control: rows shift on insert and delete, selection moves with its row.
// Unlike the list control, the fake selects every row it inserts, so a test
// that wants no selection says so, and a delete that skips a selected row 0
// shows. That inserted rows come unselected is the list control's part,
// checked on the real one.
#include "ui/rule_rows.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>


namespace tavrik {
namespace {

class FakeRows : public RuleRows {
 public:
  std::vector<std::array<AnsiOrWide, 3>> rows;
  std::vector<bool> selected;
  int cellReads = 0;

  int count() override { return static_cast<int>(rows.size()); }
  void insertRow(int index, const AnsiOrWide& text) override {
    index = std::min(index, count());
    rows.insert(rows.begin() + index, {text, "", ""});
    selected.insert(selected.begin() + index, true);
  }
  void setCell(int row, int column, const AnsiOrWide& text) override { rows.at(row).at(column) = text; }
  AnsiOrWide cellText(int row, int column) override {
    ++cellReads;
    return rows.at(row).at(column);
  }
  int lowestSelected() override {
    for (int i = 0; i < count(); ++i)
      if (selected[i]) return i;
    return -1;
  }
  void deleteRow(int index) override {
    rows.erase(rows.begin() + index);
    selected.erase(selected.begin() + index);
  }
};

RuleList listOf(std::vector<TemplateRule> rules) {
  RuleList list;
  for (auto& rule : rules) list.append(rule);
  return list;
}

const TemplateRule kBand{"ARTIST", "Some Band", "C:\\html\\band.html"};
const TemplateRule kJazz{"GENRE", "Jazz", "C:\\html\\jazz.html"};
// "ジャズ" in code page 932, and a text far longer than any buffer guess.
const TemplateRule kOdd{"", "\x83W\x83\x83\x83Y\t&<\"", std::string(70000, 'p') + ".html"};

TEST(RuleRows, FillShowsTheRulesInOrder) {
  FakeRows rows;
  fillRows(rows, listOf({kBand, kJazz, kOdd, kBand}));
  ASSERT_EQ(rows.count(), 4);
  EXPECT_EQ(rows.rows[0], (std::array<AnsiOrWide, 3>{"ARTIST", "Some Band", "C:\\html\\band.html"}));
  EXPECT_EQ(rows.rows[1][0], "GENRE");
  EXPECT_EQ(rows.rows[2][1], kOdd.conditionValue);
  EXPECT_EQ(rows.rows[2][2], kOdd.templatePath);
  EXPECT_EQ(rows.rows[3], rows.rows[0]);

  FakeRows empty;
  fillRows(empty, RuleList{});
  EXPECT_EQ(empty.count(), 0);
}

TEST(RuleRows, AppendPutsTheRuleAfterTheLastRowEvenWhenEmpty) {
  FakeRows rows;
  fillRows(rows, listOf({kBand, kJazz}));
  rows.selected = {false, true};
  appendRow(rows, kOdd);
  appendRow(rows, TemplateRule{});
  appendRow(rows, TemplateRule{});
  ASSERT_EQ(rows.count(), 5);
  EXPECT_EQ(rows.rows[1][0], "GENRE");
  EXPECT_EQ(rows.rows[2], (std::array<AnsiOrWide, 3>{kOdd.conditionType, kOdd.conditionValue, kOdd.templatePath}));
  EXPECT_EQ(rows.rows[3], (std::array<AnsiOrWide, 3>{"", "", ""}));
  EXPECT_EQ(rows.rows[4], rows.rows[3]);
  EXPECT_EQ(rows.lowestSelected(), 1) << "the rows before the new ones stay where they were";
}

TEST(RuleRows, DeleteTakesOnlyTheLowestSelectedRowPerClick) {
  FakeRows rows;
  fillRows(rows, listOf({kBand, kJazz, kOdd, kBand, kJazz, kOdd}));
  deleteLowestSelectedRow(rows);  // every row selected: the first goes
  ASSERT_EQ(rows.count(), 5);
  EXPECT_EQ(rows.rows[0][0], "GENRE");

  rows.selected.assign(5, false);
  deleteLowestSelectedRow(rows);
  EXPECT_EQ(rows.count(), 5) << "nothing selected, nothing deleted";

  rows.selected[1] = rows.selected[4] = true;
  deleteLowestSelectedRow(rows);
  ASSERT_EQ(rows.count(), 4);
  EXPECT_EQ(rows.rows[1][0], "ARTIST") << "the row after the deleted one moved up";
  EXPECT_EQ(rows.lowestSelected(), 3) << "the other selected row is still there";
  deleteLowestSelectedRow(rows);
  ASSERT_EQ(rows.count(), 3);
  EXPECT_EQ(rows.rows[2][0], "GENRE");
  EXPECT_EQ(rows.lowestSelected(), -1);
}

TEST(RuleRows, CommitReplacesTheRulesWithTheRowsInOrder) {
  RuleList rules = listOf({kJazz, kJazz, kJazz});
  FakeRows rows;
  fillRows(rows, listOf({kOdd, kBand, kBand}));
  commitRows(rows, rules);
  ASSERT_EQ(rules.count(), 3u);
  EXPECT_EQ(rules.at(0), kOdd);
  EXPECT_EQ(rules.at(1), kBand);
  EXPECT_EQ(rules.at(2), kBand) << "identical rows stay two rules";

  FakeRows none;
  commitRows(none, rules);
  EXPECT_EQ(rules.count(), 0u);
}

}  // namespace
}  // namespace tavrik
