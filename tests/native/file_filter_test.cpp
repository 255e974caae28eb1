#include "ui/file_filter.h"

#include <gtest/gtest.h>

#include "common/cp932_texts.h"
#include "common/host_folder.h"
#include "cp932_lead_byte.h"

namespace tavrik {
namespace {

TEST(FileFilter, BarsBecomeNulsExceptInsideDoubleByteCharacters) {
  auto shiftJisLead = [](unsigned char b) { return testing::isCodePage932LeadByte(b); };
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
