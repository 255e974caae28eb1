// One user rule: when the tag named by the condition type equals the condition
// value, the track is shown with the template at the template path.
#pragma once

#include <string>

namespace tavrik {

struct TemplateRule {
  std::string conditionType;   // "TITLE", "ARTIST", "ALBUM", "COMMENT", "GENRE" match; anything else is kept
  std::string conditionValue;  // compared byte for byte with the tag
  std::string templatePath;    // normally a full path; a relative one is left to the current directory

  bool operator==(const TemplateRule& other) const {
    return conditionType == other.conditionType && conditionValue == other.conditionValue &&
           templatePath == other.templatePath;
  }
};

}  // namespace tavrik
