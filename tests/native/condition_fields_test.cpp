// The condition dialog's steps over fake fields and a fake chooser.
#include "ui/condition_fields.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/cp932_texts.h"

namespace tavrik {
namespace {

class FakeFields : public ConditionFields {
 public:
  std::vector<std::string> items{"ALBUM", "ARTIST", "COMMENT", "GENRE", "TITLE"};
  int selected = -1;
  std::string value;
  std::string path;
  int pathWrites = 0;

  int selectedType() override { return selected; }
  std::string typeText(int index) override { return items.at(index); }
  std::string conditionValue() override { return value; }
  std::string templatePath() override { return path; }
  void setTemplatePath(const std::string& text) override {
    path = text;
    ++pathWrites;
  }
};

class FakeChooser : public FileChooser {
 public:
  std::optional<std::string> answer;
  std::vector<std::string> filters;
  std::optional<std::string> chooseFileToOpen(const std::string& filter) override {
    filters.push_back(filter);
    return answer;
  }
};

TEST(ConditionFields, OkReadsTheSelectedItemAndBothTextsAsTheyAre) {
  FakeFields fields;
  ConditionTexts untouched = readConditionFields(fields);
  EXPECT_EQ(untouched.conditionType, "");
  EXPECT_EQ(untouched.conditionValue, "");
  EXPECT_EQ(untouched.templatePath, "");

  fields.selected = 3;
  fields.value = " \x83W\x83\x83\x83Y\t ";  // " ジャズ<TAB> "
  fields.path = std::string(40000, 'x');
  ConditionTexts texts = readConditionFields(fields);
  EXPECT_EQ(texts.conditionType, "GENRE");
  EXPECT_EQ(texts.conditionValue, fields.value);
  EXPECT_EQ(texts.templatePath, fields.path);
}

TEST(ConditionFields, BrowseReplacesThePathOnlyWhenAFileIsChosen) {
  FakeFields fields;
  fields.selected = 1;
  fields.value = "v";
  fields.path = "typed.html";
  FakeChooser chooser;

  browseTemplate(fields, chooser);
  EXPECT_EQ(fields.path, "typed.html");
  EXPECT_EQ(fields.pathWrites, 0);

  chooser.answer = "C:\\html\\\x83W\x83\x83\x83Y.html";
  browseTemplate(fields, chooser);
  EXPECT_EQ(fields.path, *chooser.answer);
  EXPECT_EQ(fields.selected, 1);
  EXPECT_EQ(fields.value, "v");
  ASSERT_EQ(chooser.filters.size(), 2u);
  EXPECT_EQ(chooser.filters[0], texts::kTemplateFilter);
}

TEST(FileChooserFilter, BarsBecomeNulsExceptInsideDoubleByteCharacters) {
  auto shiftJisLead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  EXPECT_EQ(nulSeparatedFilter("A (*.a)|*.a|B|*.b||", shiftJisLead), std::string("A (*.a)\0*.a\0B\0*.b\0\0", 19));
  // 0x83 0x7C is "ポ": its second byte is a bar.
  EXPECT_EQ(nulSeparatedFilter("\x83|\x83|(*.h)|*.h||", shiftJisLead), std::string("\x83|\x83|(*.h)\0*.h\0\0", 15));
  std::string filter = nulSeparatedFilter(texts::kTemplateFilter, shiftJisLead);
  EXPECT_EQ(filter, std::string(texts::kColumnTemplatePath) + "(*.html)" + std::string(1, '\0') + "*.html" +
                        std::string(2, '\0'));
  // A lead byte at the very end has no second byte to skip.
  EXPECT_EQ(nulSeparatedFilter("a|\x83", shiftJisLead), std::string("a\0\x83", 3));
}

}  // namespace
}  // namespace tavrik
