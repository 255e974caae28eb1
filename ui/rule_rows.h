// The rule list dialog's table as rows of three cells, and the four things
// the dialog does with it: fill, append, delete, commit.
#pragma once

#include "common/ansi_or_wide.h"
#include "rules/rule_list.h"

namespace tavrik {

// The rows of the table, as the list control holds them. Row indexes count
// from 0; cell 0 is the row's item text, cells 1 and 2 its sub-items.
class RuleRows {
 public:
  virtual ~RuleRows() = default;
  virtual int count() = 0;
  // A new row at `index` whose cell 0 is `text`; it is neither selected nor
  // focused.
  virtual void insertRow(int index, const AnsiOrWide& text) = 0;
  virtual void setCell(int row, int column, const AnsiOrWide& text) = 0;
  // The whole text of a cell, however long: ANSI bytes when the code page
  // holds it, UTF-16 otherwise.
  virtual AnsiOrWide cellText(int row, int column) = 0;
  // The lowest index of a selected row, or -1.
  virtual int lowestSelected() = 0;
  virtual void deleteRow(int index) = 0;
};

// The table's columns, left to right: condition type, value, template path.
struct RuleColumn {
  const char* header;  // code page 932
  int widthPixels;
};
extern const RuleColumn kRuleColumns[3];

// Rows := the rules, in order.
void fillRows(RuleRows& rows, const RuleList& rules);
// One row for `rule` after the last one.
void appendRow(RuleRows& rows, const TemplateRule& rule);
// Only the lowest selected row goes, even when several are selected.
void deleteLowestSelectedRow(RuleRows& rows);
// The rules := the rows, in order, texts as they are.
void commitRows(RuleRows& rows, RuleList& rules);

}  // namespace tavrik
