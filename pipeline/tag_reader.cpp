#include "pipeline/tag_reader.h"

#include <array>

#include "common/cp932_texts.h"
#include "common/unicode_codec.h"
#include "resources/resource_ids.h"

namespace tavrik {
namespace {

constexpr std::uint32_t kMp3FileType = 1;
constexpr std::uint32_t kId3v2 = 0x02;
constexpr std::uint32_t kRiffMp3 = 0x04;
constexpr std::uint32_t kId3v1 = 0x01;

// Keys of one tag kind, in the order title, artist, album, comment, genre.
using TagKeys = std::array<const char*, 5>;
constexpr TagKeys kId3v2Keys = {"INAM_v2", "IART_v2", "IPRD_v2", "ICMT_v2", "IGNR_v2"};
constexpr TagKeys kRiffMp3Keys = {"INAM_rmp", "IART_rmp", "IPRD_rmp", "ICMT_rmp", "IGNR_rmp"};
constexpr TagKeys kId3v1Keys = {"INAM_v1", "IART_v1", "IPRD_v1", "ICMT_v1", "IGNR_v1"};
constexpr TagKeys kOtherFileKeys = {"INAM", "IART", "IPRD", "ICMT", "IGNR"};

// No tag text comes near this; a wide value without its terminator that far
// is cut there rather than read on.
constexpr std::size_t kLongestWideValue = 1u << 20;

constexpr std::array<unsigned, 5> kDefaultTextIds = {IDS_UNKNOWN_TITLE, IDS_UNKNOWN_ARTIST,
                                                     IDS_UNKNOWN_ALBUM, IDS_UNKNOWN_COMMENT,
                                                     IDS_UNKNOWN_GENRE};

// An MP3 file is read from one tag kind only, the first present in this order.
const TagKeys* keysForLoadedFile(TagLibrary& library) {
  if (library.getType() != kMp3FileType) return &kOtherFileKeys;
  std::uint32_t kinds = library.mp3GetTagType();
  if (kinds & kId3v2) return &kId3v2Keys;
  if (kinds & kRiffMp3) return &kRiffMp3Keys;
  if (kinds & kId3v1) return &kId3v1Keys;
  return nullptr;
}

}  // namespace

bool TagReader::bindTagLibrary() {
  releaseTagLibrary();
  TagLibraryBinding binding = library_.bind("mp3infp.dll");
  if (binding != TagLibraryBinding::bound) {
    services_.showErrorMessage(binding == TagLibraryBinding::lacksEntry ? texts::kTagLibraryEntryMissingMessage
                                                                        : texts::kTagLibraryMissingMessage);
    return false;
  }
  // A refused library is released at once: nothing would use it.
  std::uint32_t version = library_.getVer();
  if (version < kOldestTagLibraryVersion) {
    library_.release();
    services_.showErrorMessage(texts::kTagLibraryTooOldMessage);
    return false;
  }
  readsWide_ = version >= kFirstWideTagLibraryVersion && library_.hasWideEntries();
  bound_ = true;
  return true;
}

bool TagReader::loadFile(const AnsiOrWide& path) {
  if (readsWide_) return library_.loadWide(hostWindow_, wideOf(path, codePage_).c_str()) == 0;
  // A path the code page cannot hold would name some other file, or none.
  std::optional<std::string> ansiPath = exactAnsiOf(path, codePage_);
  return ansiPath && library_.load(hostWindow_, ansiPath->c_str()) == 0;
}

AnsiOrWide TagReader::valueOf(const char* key) {
  // The library owns the text only until its next call: copy it now.
  if (readsWide_) {
    const char16_t* value = nullptr;
    if (!library_.getValueWide(widenAscii(key).c_str(), &value)) return {};
    return withoutUnpairedSurrogates(copyWideText(value, kLongestWideValue));
  }
  const char* value = nullptr;
  if (library_.getValue(key, &value) && value) return std::string(value);
  return {};
}

std::optional<TrackTags> TagReader::readTrackTags(const AnsiOrWide& path) {
  if (!bound_) return std::nullopt;
  if (!loadFile(path)) return std::nullopt;

  std::array<AnsiOrWide, 5> fields;
  if (const TagKeys* keys = keysForLoadedFile(library_)) {
    for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = valueOf((*keys)[i]);
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].empty()) fields[i] = services_.moduleString(kDefaultTextIds[i]);
  }
  return TrackTags{fields[0], fields[1], fields[2], fields[3], fields[4]};
}

TrackTags TagReader::streamTags(const AnsiOrWide& title) {
  std::array<AnsiOrWide, 5> fields;
  auto split = [&](const auto& text, const auto& separator) {
    std::size_t at = text.find(separator);
    if (at == text.npos) {
      fields[0] = text;
    } else {
      fields[1] = text.substr(0, at);
      fields[0] = text.substr(at + separator.size());
    }
  };
  if (title.isWide()) {
    split(title.wide(), std::u16string(u" - "));
  } else {
    split(title.ansi(), std::string(" - "));
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].empty()) fields[i] = services_.moduleString(kDefaultTextIds[i]);
  }
  return TrackTags{fields[0], fields[1], fields[2], fields[3], fields[4]};
}

void TagReader::releaseTagLibrary() {
  if (bound_) library_.release();
  bound_ = false;
}

}  // namespace tavrik
