// Reads the tags of one audio file for the stand-in tag library: ID3v2
// (2.2, 2.3, 2.4) and ID3v1 of MP3 files, RIFF LIST/INFO of WAV files and of
// RIFF-wrapped MP3 files. Free of <windows.h>: the caller converts texts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace standin {

// Random access to the file's bytes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() = 0;
  // Up to `count` bytes from `offset`; fewer at the end of the file.
  virtual std::string read(std::uint64_t offset, std::size_t count) = 0;
};

inline constexpr std::uint32_t kTypeMp3 = 1;
inline constexpr std::uint32_t kTypeWav = 2;

inline constexpr std::uint32_t kTagId3v1 = 0x01;
inline constexpr std::uint32_t kTagId3v2 = 0x02;
inline constexpr std::uint32_t kTagRiffMp3 = 0x04;

struct ParsedFile {
  std::uint32_t type = 0;
  std::uint32_t tagKinds = 0;  // MP3 files only
  // Texts by key ("INAM_v2", "IART_v1", "INAM", ...). Unicode texts (ID3v2)
  // are held as UTF-16; ID3v1 and INFO texts are already ANSI bytes.
  std::map<std::string, std::u16string> unicodeValues;
  std::map<std::string, std::string> ansiValues;
};

// Nothing when the file is neither an MP3 nor a RIFF file we know.
std::optional<ParsedFile> parseFile(ByteSource& file);

// The ID3v1 genre name of `number`, or null past the list.
const char* id3v1GenreName(unsigned number);

}  // namespace standin
