#include "tag_parser.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace standin {
namespace {

// No real tag comes near this; it keeps a forged size from asking for
// gigabytes.
constexpr std::uint64_t kLargestTagRead = 64u << 20;

const char* const kGenres[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "Alt. Rock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta Rap", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    "Folk-Rock", "National Folk", "Swing", "Fast-Fusion", "Bebop", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A Cappella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Afro-Punk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synthpop", "Abstract", "Art Rock", "Baroque", "Bhangra",
    "Big Beat", "Breakbeat", "Chillout", "Downtempo", "Dub", "EBM", "Eclectic", "Electro",
    "Electroclash", "Emo", "Experimental", "Garage", "Global", "IDM", "Illbient", "Industro-Goth",
    "Jam Band", "Krautrock", "Leftfield", "Lounge", "Math Rock", "New Romantic", "Nu-Breakz",
    "Post-Punk", "Post-Rock", "Psytrance", "Shoegaze", "Space Rock", "Trop Rock", "World Music",
    "Neoclassical", "Audiobook", "Audio Theatre", "Neue Deutsche Welle", "Podcast", "Indie Rock",
    "G-Funk", "Dubstep", "Garage Rock", "Psybient"};

std::u16string widen(const char* ascii) {
  std::u16string out;
  for (; *ascii; ++ascii) out += static_cast<char16_t>(static_cast<unsigned char>(*ascii));
  return out;
}

std::uint32_t bigEndian(const std::string& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint32_t littleEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Four bytes of seven bits each; nothing when a high bit is set.
std::optional<std::uint32_t> syncSafe(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[at + i]);
    if (b & 0x80) return std::nullopt;
    value = value << 7 | b;
  }
  return value;
}

// Undoes unsynchronisation: every 0xFF 0x00 loses its 0x00.
std::string resynchronise(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += bytes[i];
    if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0) ++i;
  }
  return out;
}

// --- ID3v2 texts -----------------------------------------------------------

bool isWide(int encoding) { return encoding == 1 || encoding == 2; }

// Where the string that starts at `from` ends (its terminator, or the end).
std::size_t stringEnd(int encoding, const std::string& bytes, std::size_t from) {
  if (isWide(encoding)) {
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2)
      if (bytes[i] == 0 && bytes[i + 1] == 0) return i;
    return bytes.size();
  }
  std::size_t nul = bytes.find('\0', from);
  return nul == std::string::npos ? bytes.size() : nul;
}

std::size_t terminatorLength(int encoding) { return isWide(encoding) ? 2 : 1; }

void appendCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

std::u16string decodeUtf8(const std::string& bytes) {
  std::u16string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
              : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + extra >= bytes.size()) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    std::uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = cp << 6 | (next & 0x3F);
    }
    if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    appendCodePoint(out, cp);
    i += 1 + extra;
  }
  return out;
}

// One string of an ID3v2 frame, without its terminator; nothing for an
// encoding ID3v2 does not define.
std::optional<std::u16string> decodeString(int encoding, const std::string& bytes) {
  std::u16string out;
  switch (encoding) {
    case 0:
      for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
      return out;
    case 1:
    case 2: {
      bool little = encoding == 1;
      std::size_t i = 0;
      if (bytes.size() >= 2) {
        auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) little = true, i = 2;
        else if (b0 == 0xFE && b1 == 0xFF) little = false, i = 2;
      }
      // An odd last byte is half a character: dropped.
      for (; i + 1 < bytes.size(); i += 2) {
        auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        out += static_cast<char16_t>(hi << 8 | lo);
      }
      return out;
    }
    case 3:
      return decodeUtf8(bytes);
    default:
      return std::nullopt;
  }
}

// The first text of a text frame (2.4 may hold several, NUL-separated).
std::optional<std::u16string> textFrameValue(const std::string& data) {
  if (data.empty()) return std::nullopt;
  int encoding = static_cast<unsigned char>(data[0]);
  std::size_t end = stringEnd(encoding, data, 1);
  return decodeString(encoding, data.substr(1, end - 1));
}

struct Comment {
  std::u16string description;
  std::u16string text;
};

// Encoding, three bytes of language, a description, then the comment.
std::optional<Comment> commentFrameValue(const std::string& data) {
  if (data.size() < 4) return std::nullopt;
  int encoding = static_cast<unsigned char>(data[0]);
  std::size_t descriptionEnd = stringEnd(encoding, data, 4);
  std::size_t textStart = std::min(data.size(), descriptionEnd + terminatorLength(encoding));
  std::size_t textEnd = stringEnd(encoding, data, textStart);
  auto description = decodeString(encoding, data.substr(4, descriptionEnd - 4));
  auto text = decodeString(encoding, data.substr(textStart, textEnd - textStart));
  if (!description || !text) return std::nullopt;
  return Comment{*description, *text};
}

bool allDigits(const std::u16string& s) {
  return !s.empty() && s.size() <= 3 &&
         std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

unsigned number(const std::u16string& digits) {
  unsigned n = 0;
  for (char16_t c : digits) n = n * 10 + (c - u'0');
  return n;
}

// TCON may hold ID3v1 genre numbers: "17", "(17)", "(17)Rock" (the text
// refines the number), "(RX)", "(CR)"; "((" starts a text that opens with "(".
std::u16string resolveGenre(const std::u16string& value) {
  if (value.rfind(u"((", 0) == 0) return value.substr(1);
  if (allDigits(value)) {
    const char* name = id3v1GenreName(number(value));
    return name ? widen(name) : value;
  }
  if (!value.empty() && value[0] == u'(') {
    std::size_t close = value.find(u')');
    if (close == std::u16string::npos) return value;
    std::u16string inside = value.substr(1, close - 1);
    std::u16string rest = value.substr(close + 1);
    if (!rest.empty()) return rest;
    if (inside == u"RX") return u"Remix";
    if (inside == u"CR") return u"Cover";
    if (allDigits(inside)) {
      const char* name = id3v1GenreName(number(inside));
      if (name) return widen(name);
    }
  }
  return value;
}

// --- ID3v2 ------------------------------------------------------------------

struct Id3v2Frames {
  std::optional<std::u16string> title, artist, album, genre;
  std::optional<Comment> comment;  // the first, or the first without description
};

void takeFrame(Id3v2Frames& frames, const std::string& id, const std::string& data) {
  auto keepFirst = [&](std::optional<std::u16string>& field) {
    if (!field) field = textFrameValue(data);
  };
  if (id == "TIT2" || id == "TT2") keepFirst(frames.title);
  else if (id == "TPE1" || id == "TP1") keepFirst(frames.artist);
  else if (id == "TALB" || id == "TAL") keepFirst(frames.album);
  else if (id == "TCON" || id == "TCO") keepFirst(frames.genre);
  else if (id == "COMM" || id == "COM") {
    // Players keep their own data in described comments; the user's comment
    // is the one without a description.
    auto comment = commentFrameValue(data);
    if (comment && (!frames.comment || (!frames.comment->description.empty() &&
                                         comment->description.empty())))
      frames.comment = comment;
  }
}

bool validFrameId(const std::string& id) {
  return std::all_of(id.begin(), id.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// Fills `frames` from the tag at the start of the file; false when the file
// does not start with an ID3v2 tag.
bool readId3v2(ByteSource& file, Id3v2Frames& frames, std::uint64_t& tagEnd) {
  std::string header = file.read(0, 10);
  if (header.size() < 10 || header.compare(0, 3, "ID3") != 0) return false;
  int major = static_cast<unsigned char>(header[3]);
  int flags = static_cast<unsigned char>(header[5]);
  auto size = syncSafe(header, 6);
  if (major < 2 || major > 4 || static_cast<unsigned char>(header[4]) == 0xFF || !size) return false;
  tagEnd = 10 + std::uint64_t(*size) + ((major == 4 && (flags & 0x10)) ? 10 : 0);

  std::string body = file.read(10, static_cast<std::size_t>(std::min<std::uint64_t>(*size, kLargestTagRead)));
  bool tagUnsynchronised = flags & 0x80;
  if (major < 4 && tagUnsynchronised) body = resynchronise(body);

  std::size_t pos = 0;
  if (flags & 0x40) {
    if (major == 2) return true;  // 2.2: the whole tag is compressed
    if (body.size() < 4) return true;
    if (major == 3) {
      pos = 4 + std::size_t(bigEndian(body, 0, 4));
    } else {
      auto extended = syncSafe(body, 0);
      if (!extended) return true;
      pos = *extended;
    }
  }

  const std::size_t idLength = major == 2 ? 3 : 4;
  const std::size_t headerLength = major == 2 ? 6 : 10;
  while (pos < body.size() && body.size() - pos >= headerLength) {
    std::string id = body.substr(pos, idLength);
    if (id[0] == 0 || !validFrameId(id)) break;  // padding, or garbage
    std::uint64_t frameSize;
    if (major == 2) {
      frameSize = bigEndian(body, pos + 3, 3);
    } else if (major == 3) {
      frameSize = bigEndian(body, pos + 4, 4);
    } else {
      auto safe = syncSafe(body, pos + 4);
      if (!safe) break;
      frameSize = *safe;
    }
    std::size_t dataStart = pos + headerLength;
    if (frameSize > body.size() - dataStart) break;  // runs past the tag
    std::string data = body.substr(dataStart, static_cast<std::size_t>(frameSize));
    pos = dataStart + static_cast<std::size_t>(frameSize);

    if (major == 3) {
      int format = static_cast<unsigned char>(body[dataStart - 1]);
      if (format & 0xC0) continue;  // compressed or encrypted
      if (format & 0x20) data.erase(0, 1);  // group id
    } else if (major == 4) {
      int format = static_cast<unsigned char>(body[dataStart - 1]);
      if (format & 0x0C) continue;  // compressed or encrypted
      if (format & 0x40) data.erase(0, std::min<std::size_t>(1, data.size()));
      if (format & 0x01) data.erase(0, std::min<std::size_t>(4, data.size()));
      if ((format & 0x02) || tagUnsynchronised) data = resynchronise(data);
    }
    takeFrame(frames, id, data);
  }
  return true;
}

// --- ID3v1 ------------------------------------------------------------------

// A fixed-width field: up to its first NUL, without trailing spaces.
std::string id3v1Field(const std::string& tag, std::size_t at, std::size_t width) {
  std::string field = tag.substr(at, width);
  field = field.substr(0, field.find('\0'));
  while (!field.empty() && field.back() == ' ') field.pop_back();
  return field;
}

bool readId3v1(ByteSource& file, std::uint64_t notBefore, ParsedFile& parsed) {
  std::uint64_t size = file.size();
  if (size < 128 || size - 128 < notBefore) return false;
  std::string tag = file.read(size - 128, 128);
  if (tag.size() != 128 || tag.compare(0, 3, "TAG") != 0) return false;
  auto put = [&](const char* key, const std::string& value) {
    if (!value.empty()) parsed.ansiValues[key] = value;
  };
  put("INAM_v1", id3v1Field(tag, 3, 30));
  put("IART_v1", id3v1Field(tag, 33, 30));
  put("IPRD_v1", id3v1Field(tag, 63, 30));
  // ID3v1.1 puts a NUL and the track number into the comment's last two
  // bytes; the NUL already ends the comment there.
  put("ICMT_v1", id3v1Field(tag, 97, 30));
  if (const char* genre = id3v1GenreName(static_cast<unsigned char>(tag[127]))) put("IGNR_v1", genre);
  return true;
}

// --- RIFF ---------------------------------------------------------------------

// Collects the INFO texts of every LIST/INFO chunk under `suffix`; false
// when there is none.
bool readRiffInfo(ByteSource& file, const std::string& suffix, ParsedFile& parsed) {
  static const char* const kInfoIds[] = {"INAM", "IART", "IPRD", "ICMT", "IGNR"};
  const std::uint64_t size = file.size();
  bool found = false;
  std::uint64_t pos = 12;
  while (pos + 8 <= size) {
    std::string header = file.read(pos, 8);
    if (header.size() < 8) break;
    std::uint64_t chunkSize = littleEndian32(header, 4);
    std::uint64_t dataStart = pos + 8;
    if (header.compare(0, 4, "LIST") == 0 && chunkSize >= 4) {
      std::uint64_t available = std::min({chunkSize, size - dataStart, kLargestTagRead});
      std::string list = file.read(dataStart, static_cast<std::size_t>(available));
      if (list.compare(0, 4, "INFO") == 0) {
        found = true;
        std::size_t at = 4;
        while (list.size() - at >= 8) {
          std::string id = list.substr(at, 4);
          std::uint64_t itemSize = littleEndian32(list, at + 4);
          std::size_t itemStart = at + 8;
          std::size_t usable = static_cast<std::size_t>(std::min<std::uint64_t>(itemSize, list.size() - itemStart));
          std::string text = list.substr(itemStart, usable);
          text = text.substr(0, text.find('\0'));
          for (const char* wanted : kInfoIds)
            if (id == wanted && !text.empty()) parsed.ansiValues[id + suffix] = text;
          if (itemSize > list.size() - itemStart) break;
          at = itemStart + static_cast<std::size_t>(itemSize + (itemSize & 1));
          if (at > list.size()) break;
        }
      }
    }
    pos = dataStart + chunkSize + (chunkSize & 1);
  }
  return found;
}

bool isMpegFrameSync(const std::string& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         (static_cast<unsigned char>(bytes[1]) & 0xE0) == 0xE0;
}

void putUnicode(ParsedFile& parsed, const char* key, const std::optional<std::u16string>& value) {
  if (value && !value->empty()) parsed.unicodeValues[key] = *value;
}

}  // namespace

const char* id3v1GenreName(unsigned number) {
  return number < sizeof kGenres / sizeof kGenres[0] ? kGenres[number] : nullptr;
}

std::optional<ParsedFile> parseFile(ByteSource& file) {
  ParsedFile parsed;
  std::string head = file.read(0, 12);
  if (head.size() >= 12 && head.compare(0, 4, "RIFF") == 0) {
    std::string form = head.substr(8, 4);
    if (form == "WAVE") {
      parsed.type = kTypeWav;
      readRiffInfo(file, "", parsed);
      return parsed;
    }
    if (form == "RMP3") {
      parsed.type = kTypeMp3;
      if (readRiffInfo(file, "_rmp", parsed)) parsed.tagKinds |= kTagRiffMp3;
      return parsed;
    }
    return std::nullopt;
  }

  Id3v2Frames frames;
  std::uint64_t audioStart = 0;
  if (readId3v2(file, frames, audioStart)) {
    parsed.tagKinds |= kTagId3v2;
    putUnicode(parsed, "INAM_v2", frames.title);
    putUnicode(parsed, "IART_v2", frames.artist);
    putUnicode(parsed, "IPRD_v2", frames.album);
    if (frames.comment) putUnicode(parsed, "ICMT_v2", frames.comment->text);
    if (frames.genre) putUnicode(parsed, "IGNR_v2", resolveGenre(*frames.genre));
  }
  if (readId3v1(file, std::min(audioStart, file.size()), parsed)) parsed.tagKinds |= kTagId3v1;
  if (parsed.tagKinds == 0 && !isMpegFrameSync(head)) return std::nullopt;
  parsed.type = kTypeMp3;
  return parsed;
}

}  // namespace standin
