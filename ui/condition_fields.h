// The condition dialog's fields and what the dialog does with them: read the
// three texts at OK, and browse for the template.
#pragma once

#include <string>

#include "ui/file_chooser.h"

namespace tavrik {

// The type list, the value edit and the template path edit.
class ConditionFields {
 public:
  virtual ~ConditionFields() = default;
  // Index of the selected list item, or -1. The text typed into the type
  // field is deliberately not offered: only a list item is a type.
  virtual int selectedType() = 0;
  virtual std::string typeText(int index) = 0;
  virtual std::string conditionValue() = 0;
  virtual std::string templatePath() = 0;
  virtual void setTemplatePath(const std::string& path) = 0;
};

struct ConditionTexts {
  std::string conditionType;  // one of the list's texts, or empty
  std::string conditionValue;
  std::string templatePath;
};

// The texts as the fields hold them; nothing trimmed or checked.
ConditionTexts readConditionFields(ConditionFields& fields);

// Offers the template chooser; a chosen file replaces the path field.
void browseTemplate(ConditionFields& fields, FileChooser& chooser);

}  // namespace tavrik
