#include "ui/condition_fields.h"

#include "common/cp932_texts.h"

namespace tavrik {

ConditionTexts readConditionFields(ConditionFields& fields) {
  ConditionTexts texts;
  int selected = fields.selectedType();
  if (selected >= 0) texts.conditionType = fields.typeText(selected);
  texts.conditionValue = fields.conditionValue();
  texts.templatePath = fields.templatePath();
  return texts;
}

void browseTemplate(ConditionFields& fields, FileChooser& chooser) {
  if (auto path = chooser.chooseFileToOpen(texts::kTemplateFilter)) fields.setTemplatePath(*path);
}

}  // namespace tavrik
