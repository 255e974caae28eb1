// The stand-in tag library's reader of ID3v1, ID3v2 and RIFF INFO tags, fed
// any file: no crash, no read outside the file's bytes (the fuzz build checks
// every string index), only the keys it documents with non-empty texts, and
// the same answer when read twice.
#include <algorithm>

#include "fuzz_check.h"
#include "tag_parser.h"

namespace {

class MemoryFile : public standin::ByteSource {
 public:
  explicit MemoryFile(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() override { return bytes_.size(); }
  std::string read(std::uint64_t offset, std::size_t count) override {
    if (offset >= bytes_.size()) return {};
    return std::string(bytes_.substr(static_cast<std::size_t>(offset), count));
  }

 private:
  std::string_view bytes_;
};

bool documentedKey(const std::string& key, bool wave) {
  static const std::string kFields[] = {"INAM", "IART", "IPRD", "ICMT", "IGNR"};
  std::string field = key.substr(0, 4);
  std::string suffix = key.substr(std::min<std::size_t>(4, key.size()));
  if (std::find(std::begin(kFields), std::end(kFields), field) == std::end(kFields)) return false;
  return wave ? suffix.empty() : (suffix == "_v1" || suffix == "_v2" || suffix == "_rmp");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFile file(fuzz::bytesOf(data, size));
  auto parsed = standin::parseFile(file);
  if (!parsed) return 0;
  bool wave = parsed->type == standin::kTypeWav;
  fuzz::expect(wave || parsed->type == standin::kTypeMp3, "an MP3 or a WAV file");
  fuzz::expect((parsed->tagKinds & ~7u) == 0 && (!wave || parsed->tagKinds == 0), "tag kinds");
  for (const auto& [key, value] : parsed->ansiValues) {
    fuzz::expect(documentedKey(key, wave), "only documented keys");
    fuzz::expect(!value.empty() && value.find('\0') == std::string::npos, "texts are non-empty C strings");
  }
  for (const auto& [key, value] : parsed->unicodeValues) {
    fuzz::expect(documentedKey(key, wave) && !value.empty(), "only documented keys, non-empty");
  }
  MemoryFile again(fuzz::bytesOf(data, size));
  auto second = standin::parseFile(again);
  fuzz::expect(second && second->ansiValues == parsed->ansiValues &&
                   second->unicodeValues == parsed->unicodeValues && second->tagKinds == parsed->tagKinds,
               "reading twice gives the same tags");
  return 0;
}
