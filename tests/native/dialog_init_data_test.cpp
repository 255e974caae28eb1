// The dialog initial-data layout MFC's resource editor wrote.
#include "ui/dialog_init_data.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

std::string entry(unsigned id, unsigned message, const std::string& data) {
  std::string bytes;
  bytes += static_cast<char>(id & 0xFF);
  bytes += static_cast<char>(id >> 8);
  bytes += static_cast<char>(message & 0xFF);
  bytes += static_cast<char>(message >> 8);
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((data.size() >> (8 * i)) & 0xFF);
  return bytes + data;
}

std::vector<DialogInitEntry> parse(const std::string& bytes) {
  return parseDialogInitData(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(DialogInitData, EntriesComeInStoredOrderUntilTheZeroId) {
  std::string bytes = entry(4003, 0x0403, std::string("ARTIST\0", 7)) + entry(4003, 0x0403, std::string("TITLE\0", 6)) +
                      entry(0x1234, 0x0401, std::string(300, 'z')) + std::string(2, '\0') +
                      entry(4003, 0x0403, std::string("AFTER\0", 6));
  auto entries = parse(bytes);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].controlId, 4003u);
  EXPECT_EQ(entries[0].message, kStoredComboBoxAddString);
  EXPECT_EQ(entries[0].data, std::string("ARTIST\0", 7));
  EXPECT_EQ(entries[1].data, std::string("TITLE\0", 6));
  EXPECT_EQ(entries[2].controlId, 0x1234u);
  EXPECT_EQ(entries[2].message, kStoredListBoxAddString);
  EXPECT_EQ(entries[2].data.size(), 300u) << "the length is 32 bits wide";
}

TEST(DialogInitData, ACutEntryEndsTheListWithoutReadingPastTheData) {
  std::string whole = entry(4003, 0x0403, std::string("ALBUM\0", 6));
  std::string cut = whole + entry(4003, 0x0403, std::string("GENRE\0", 6));
  cut.resize(cut.size() - 1);
  auto entries = parse(cut);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].data, std::string("ALBUM\0", 6));
  EXPECT_EQ(parse(whole.substr(0, 5)).size(), 0u) << "a header cut short";
  EXPECT_EQ(parse(whole).size(), 1u) << "no end marker: the data's end ends the list";
  EXPECT_EQ(parse("").size(), 0u);
}

}  // namespace
}  // namespace tavrik
