#include "ui/rule_rows.h"

#include "common/cp932_texts.h"

namespace tavrik {

const RuleColumn kRuleColumns[3] = {
    {texts::kColumnConditionType, 80},
    {texts::kColumnConditionValue, 80},
    {texts::kColumnTemplatePath, 248},
};

namespace {

void writeRow(RuleRows& rows, int index, const TemplateRule& rule) {
  rows.insertRow(index, rule.conditionType);
  rows.setCell(index, 1, rule.conditionValue);
  rows.setCell(index, 2, rule.templatePath);
}

}  // namespace

void fillRows(RuleRows& rows, const RuleList& rules) {
  for (std::size_t i = 0; i < rules.count(); ++i) writeRow(rows, static_cast<int>(i), rules.at(i));
}

void appendRow(RuleRows& rows, const TemplateRule& rule) { writeRow(rows, rows.count(), rule); }

void deleteLowestSelectedRow(RuleRows& rows) {
  int selected = rows.lowestSelected();
  if (selected >= 0) rows.deleteRow(selected);
}

void commitRows(RuleRows& rows, RuleList& rules) {
  // Built aside and moved in at once: the title-change handling, which can run
  // between two messages of this dialog, never meets a half-built list, and a
  // failure on the way leaves the rules as they were.
  RuleList rebuilt;
  for (int i = 0; i < rows.count(); ++i) {
    rebuilt.append(TemplateRule{rows.cellText(i, 0), rows.cellText(i, 1), rows.cellText(i, 2)});
  }
  rules = std::move(rebuilt);
}

}  // namespace tavrik
