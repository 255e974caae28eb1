// The cover reader's walk of a track's file (an ID3v2.2 to 2.4 tag at its
// start, a RIFF file's ID3 chunk) fed any file: a picture it answers is not
// empty, within kMaxCoverBytes, of the type its first bytes say, and made of
// the file's bytes, as stored or with unsynchronisation undone; reads of any
// size give the same answer.
#include <optional>

#include "cover/embedded_picture.h"
#include "cover_fakes.h"
#include "fuzz_check.h"

namespace {

using tavrik::CoverPicture;

std::optional<CoverPicture> pictureOf(std::string_view input, std::size_t mostPerRead) {
  tavrik::testing::FileCounts counts;
  tavrik::testing::FileContent content;
  content.add(input);
  tavrik::testing::MemoryCoverFile file(content, counts, mostPerRead, ~std::uint64_t{0});
  return tavrik::embeddedPicture(file);
}

// The signatures written out once more, apart from the reader's table.
bool startsAsItsType(const CoverPicture& picture) {
  auto starts = [&](std::string_view prefix) { return picture.bytes.compare(0, prefix.size(), prefix) == 0; };
  if (picture.type == "image/jpeg") return starts("\xFF\xD8\xFF");
  if (picture.type == "image/png") return starts(std::string_view("\x89PNG\x0D\x0A\x1A\x0A", 8));
  if (picture.type == "image/gif") return starts("GIF87a") || starts("GIF89a");
  if (picture.type == "image/webp") return starts("RIFF") && picture.bytes.compare(8, 4, "WEBP") == 0;
  if (picture.type == "image/bmp") return starts("BM");
  return false;
}

// Every FF 00 of the whole file as FF: a picture unsynchronised in its tag
// or its frame is a part of this.
std::string undone(std::string_view input) {
  std::string out;
  bool afterFF = false;
  for (char c : input) {
    if (afterFF && c == '\0') {
      afterFF = false;
      continue;
    }
    afterFF = c == '\xFF';
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::bytesOf(data, size);
  std::optional<CoverPicture> picture = pictureOf(input, input.size() + 1);
  fuzz::expect(pictureOf(input, 1 + size % 7) == picture, "short reads give the same answer");
  if (!picture) return 0;
  fuzz::expect(input.substr(0, 3) == "ID3" || input.substr(0, 4) == "RIFF", "a tag or a RIFF file");
  fuzz::expect(!picture->bytes.empty() && picture->bytes.size() <= tavrik::kMaxCoverBytes, "a size within limits");
  fuzz::expect(startsAsItsType(*picture), "the type its first bytes say");
  fuzz::expect(input.find(picture->bytes) != std::string_view::npos ||
                   undone(input).find(picture->bytes) != std::string::npos,
               "made of the file's bytes");
  return 0;
}
