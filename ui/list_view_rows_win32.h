// The rule table's rows on a report-view list control (SysListView32).
#pragma once

#include <windows.h>

#include "common/code_page.h"
#include "ui/rule_rows.h"

namespace tavrik {

class ListViewRows final : public RuleRows {
 public:
  ListViewRows(HWND list, CodePage& codePage) : list_(list), codePage_(codePage) {}
  int count() override;
  void insertRow(int index, const AnsiOrWide& text) override;
  void setCell(int row, int column, const AnsiOrWide& text) override;
  AnsiOrWide cellText(int row, int column) override;
  int lowestSelected() override;
  void deleteRow(int index) override;

 private:
  HWND list_;
  CodePage& codePage_;
};

// Full-row selection as the only extended style, then the rule columns.
void setUpRuleColumns(HWND list);

}  // namespace tavrik
