// Template filling. Input: the template, then the artist, title, album,
// comment and genre texts, separated by NUL bytes (neither templates nor tags
// hold NUL). The fill must equal its definition done plainly: each text
// escaped, the five placeholders replaced one pass after another in the order
// ARTIST, TITLE, ALBUM, COMMENT, GENRE, then every CR, LF and TAB removed.
// The same texts then go again as UTF-16, the template and some tags wide and
// the others ANSI read through the code page, and must fill to the same text.
#include "fuzz_check.h"
#include "latin1_code_page.h"
#include "pipeline/template_fill.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::nulSeparated(fuzz::bytesOf(data, size), 6);
  tavrik::TrackTags tags;
  tags.artist = parts[1];
  tags.title = parts[2];
  tags.album = parts[3];
  tags.comment = parts[4];
  tags.genre = parts[5];

  std::string expected = parts[0];
  const char* placeholders[] = {"#ARTIST", "#TITLE", "#ALBUM", "#COMMENT", "#GENRE"};
  for (int k = 0; k < 5; ++k) {
    expected = fuzz::plainReplace(expected, placeholders[k], fuzz::plainEscape(parts[k + 1]));
  }
  expected = fuzz::plainRemove(expected, "\r\n\t");

  // All ANSI: the fill works on the bytes, as the plain passes do.
  tavrik::testing::Latin1CodePage codePage;
  tavrik::AnsiOrWide filled = tavrik::fillTemplate(parts[0], tags, codePage);
  fuzz::expect(!filled.isWide() && filled.ansi() == expected,
               "the fill equals the five plain passes and the removal");

  // The template's length picks which tags come wide.
  const std::size_t wideTags = parts[0].size();
  tavrik::AnsiOrWide* inOrder[] = {&tags.artist, &tags.title, &tags.album, &tags.comment, &tags.genre};
  for (int k = 0; k < 5; ++k) {
    if (wideTags >> k & 1) *inOrder[k] = codePage.toWide(parts[k + 1]);
  }
  tavrik::AnsiOrWide filledWide = tavrik::fillTemplate(codePage.toWide(parts[0]), tags, codePage);
  fuzz::expect(filledWide.isWide() && filledWide.wide() == codePage.toWide(expected),
               "the UTF-16 fill equals the ANSI one, character for character");
  return 0;
}
