// The rule table's rows on a report-view list control (SysListView32).
#pragma once

#include <windows.h>

#include "ui/rule_rows.h"

namespace tavrik {

class ListViewRows final : public RuleRows {
 public:
  explicit ListViewRows(HWND list) : list_(list) {}
  int count() override;
  void insertRow(int index, const std::string& text) override;
  void setCell(int row, int column, const std::string& text) override;
  std::string cellText(int row, int column) override;
  int lowestSelected() override;
  void deleteRow(int index) override;

 private:
  HWND list_;
};

// Full-row selection as the only extended style, then the rule columns.
void setUpRuleColumns(HWND list);

}  // namespace tavrik
