#include "cover/id3_tag.h"

#include <algorithm>
#include <string>

#include "cover/picture_frame.h"
#include "cover/unsync_stream.h"

namespace tavrik {
namespace {

std::uint32_t bigEndian(const unsigned char* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

// Seven bits a byte; a byte with its top bit set makes the size no size.
std::optional<std::uint32_t> syncsafe(const unsigned char* bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    if (bytes[i] & 0x80) return std::nullopt;
    value = value << 7 | bytes[i];
  }
  return value;
}

struct TagHeader {
  int version = 0;
  bool unsync = false;
  bool extended = false;
  std::uint32_t size = 0;
};

std::optional<TagHeader> tagHeaderOf(std::string_view header) {
  if (header.size() < kId3HeaderSize || !startsId3Tag(header)) return std::nullopt;
  auto bytes = reinterpret_cast<const unsigned char*>(header.data());
  int version = bytes[3];
  unsigned flags = bytes[5];
  if (version < 2 || version > 4) return std::nullopt;
  // ID3v2.2's compression never got a scheme: such a tag cannot be read.
  if (version == 2 && (flags & 0x40)) return std::nullopt;
  std::optional<std::uint32_t> size = syncsafe(bytes + 6);
  if (!size) return std::nullopt;
  return TagHeader{version, (flags & 0x80) != 0, version > 2 && (flags & 0x40), *size};
}

// ID3v2.3's size leaves itself out, 2.4's (syncsafe) counts itself.
bool skipExtendedHeader(ByteStream& tag, int version) {
  unsigned char bytes[4];
  if (!readFully(tag, reinterpret_cast<char*>(bytes), sizeof bytes)) return false;
  if (version == 3) return tag.skip(bigEndian(bytes, 4));
  std::optional<std::uint32_t> size = syncsafe(bytes);
  return size && *size >= 6 && tag.skip(*size - 4);
}

struct FrameHeader {
  std::string id;
  std::uint32_t size = 0;
  bool unreadable = false;  // compressed or encrypted
  bool unsync = false;      // ID3v2.4's own flag
  std::size_t prefixBytes = 0;  // group identifier, data length
};

// None at the padding, the tag's end or anything that is no frame header.
std::optional<FrameHeader> readFrameHeader(ByteStream& tag, int version) {
  const std::size_t idSize = version == 2 ? 3 : 4;
  unsigned char bytes[10];
  if (!readFully(tag, reinterpret_cast<char*>(bytes), version == 2 ? 6 : 10)) return std::nullopt;
  FrameHeader frame;
  for (std::size_t i = 0; i < idSize; ++i) {
    char c = static_cast<char>(bytes[i]);
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return std::nullopt;
    frame.id += c;
  }
  if (version == 2) {
    frame.size = bigEndian(bytes + 3, 3);
    return frame;
  }
  unsigned format = bytes[9];
  if (version == 3) {
    frame.size = bigEndian(bytes + 4, 4);
    frame.unreadable = format & 0xC0;
    frame.prefixBytes = format & 0x20 ? 1 : 0;
    return frame;
  }
  std::optional<std::uint32_t> size = syncsafe(bytes + 4);
  if (!size) return std::nullopt;
  frame.size = *size;
  frame.unreadable = format & 0x0C;
  frame.unsync = format & 0x02;
  frame.prefixBytes = (format & 0x40 ? 1 : 0) + (format & 0x01 ? 4 : 0);
  return frame;
}

// The picture the walk keeps: the first front cover, else the first picture.
struct KeptPicture {
  CoverPicture picture;
  bool front = false;
};

// Reads an APIC or PIC frame's picture into `kept` when it is the better one:
// once a picture is kept, only a front cover may take its place, and no
// other picture's bytes are read.
void offerPicture(LimitedStream& frame, const FrameHeader& header, const TagHeader& tag,
                  std::optional<KeptPicture>& kept) {
  bool undo = tag.version == 4 && (tag.unsync || header.unsync);
  UnsyncStream undone(frame);
  ByteStream& data = undo ? static_cast<ByteStream&>(undone) : frame;
  if (!data.skip(header.prefixBytes)) return;
  std::optional<unsigned char> type = readPictureFields(data, tag.version == 2);
  if (!type || (kept && *type != kFrontCover)) return;
  if (std::optional<CoverPicture> picture = readPictureData(data, frame, !undo)) {
    kept = KeptPicture{std::move(*picture), *type == kFrontCover};
  }
}

}  // namespace

std::optional<CoverPicture> pictureInId3Tag(std::string_view header, LimitedStream& rest) {
  std::optional<TagHeader> tag = tagHeaderOf(header);
  if (!tag) return std::nullopt;
  LimitedStream stored(rest, std::min<std::uint64_t>(tag->size, rest.left()));
  // ID3v2.2 and 2.3 unsynchronise the whole tag after its header, frame
  // headers and sizes included; 2.4 each frame's data alone.
  UnsyncStream undone(stored);
  ByteStream& body = tag->unsync && tag->version < 4 ? static_cast<ByteStream&>(undone) : stored;
  if (tag->extended && !skipExtendedHeader(body, tag->version)) return std::nullopt;

  const char* pictureId = tag->version == 2 ? "PIC" : "APIC";
  std::optional<KeptPicture> kept;
  while (!kept || !kept->front) {
    std::optional<FrameHeader> frameHeader = readFrameHeader(body, tag->version);
    // A frame larger than what the tag still holds ends the walk.
    if (!frameHeader || frameHeader->size > stored.left()) break;
    LimitedStream frame(body, frameHeader->size);
    if (frameHeader->id == pictureId && !frameHeader->unreadable) offerPicture(frame, *frameHeader, *tag, kept);
    if (!frame.skipRest()) break;
  }
  if (!kept) return std::nullopt;
  return std::move(kept->picture);
}

}  // namespace tavrik
