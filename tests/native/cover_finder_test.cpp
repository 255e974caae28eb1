// The cover reader over files in memory: pictures in ID3v2.2 to 2.4 tags
// (unsynchronised, with extended headers and frame prefixes, damaged), in a
// WAV file's ID3 chunk and beside the track, and the limits that keep what
// a plug-in thread reads small.
#include "cover/cover_finder.h"

#include <gtest/gtest.h>

#include <new>
#include <ostream>
#include <stdexcept>

#include "cover/picture_type.h"
#include "cover_fakes.h"

namespace tavrik {

// Failures show a picture's type, size and first bytes, never 16 MiB of it.
inline void PrintTo(const CoverPicture& picture, std::ostream* out) {
  *out << picture.type << ", " << picture.bytes.size() << " bytes: ";
  *out << ::testing::PrintToString(picture.bytes.substr(0, 16));
}

namespace {

using testing::FileContent;
using testing::MemoryCoverFiles;

constexpr std::uint64_t kMiB = 1 << 20;
constexpr unsigned char kOther = 0;
constexpr unsigned char kFront = 3;
constexpr unsigned char kBand = 8;

const std::u16string kFolder = u"C:\\Music\\Album\\";
const std::u16string kTrack = kFolder + u"track.mp3";

// A literal's bytes, NULs included.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// Pictures holding FF 00 and FF E0, which unsynchronisation changes, so that
// a tag read without undoing it (or undoing it where it was never done)
// gives other bytes.
const std::string kJpeg = bytes("\xFF\xD8\xFF\xE0 red \xFF\x00\xFF\xFF\xE1 end");
const std::string kPng = bytes("\x89PNG\r\n\x1A\n blue \xFF\x00");
const std::string kGif = "GIF89a green";

CoverPicture jpeg(const std::string& bytes = kJpeg) { return {bytes, "image/jpeg"}; }
CoverPicture png(const std::string& bytes = kPng) { return {bytes, "image/png"}; }
CoverPicture gif() { return {kGif, "image/gif"}; }

// A picture longer than 127 bytes, so that its frame size differs as a
// syncsafe and as a plain number.
std::string longJpeg(std::size_t size = 300) { return kJpeg + std::string(size - kJpeg.size(), '\xFF'); }

std::string bigEndian(std::uint64_t value, int count) {
  std::string bytes;
  for (int i = count - 1; i >= 0; --i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}
std::string littleEndian(std::uint64_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}
std::string syncsafe(std::uint64_t value) {
  std::string bytes;
  for (int i = 3; i >= 0; --i) bytes += static_cast<char>(value >> (7 * i) & 0x7F);
  return bytes;
}

// Every FF followed by a 00 (more than a tagger adds, and as valid).
std::string unsynchronised(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    out += c;
    if (c == '\xFF') out += '\0';
  }
  return out;
}

std::string tagHeader(int version, std::uint64_t bodySize, unsigned char flags = 0) {
  return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) + syncsafe(bodySize);
}
std::string tag(int version, std::string_view body, unsigned char flags = 0) {
  return tagHeader(version, body.size(), flags) + std::string(body);
}

// ID3v2.2: three-letter ID and size; 2.3: plain size; 2.4: syncsafe size.
std::string frameHeader(int version, std::string_view id, std::uint64_t size, unsigned char format = 0) {
  if (version == 2) return std::string(id) + bigEndian(size, 3);
  return std::string(id) + (version == 3 ? bigEndian(size, 4) : syncsafe(size)) + '\0' + static_cast<char>(format);
}
std::string frame(int version, std::string_view id, std::string_view data, unsigned char format = 0) {
  return frameHeader(version, id, data.size(), format) + std::string(data);
}

std::string apicFields(unsigned char type, char encoding = 0, std::string_view description = "desc") {
  std::string terminator(encoding == 1 || encoding == 2 ? 2 : 1, '\0');
  return std::string(1, encoding) + "image/jpeg" + '\0' + static_cast<char>(type) + std::string(description) +
         terminator;
}
std::string apic(int version, unsigned char type, std::string_view picture, unsigned char format = 0) {
  return frame(version, "APIC", apicFields(type) + std::string(picture), format);
}
std::string pic(unsigned char type, std::string_view picture) {
  return frame(2, "PIC", bytes("\0JPG") + static_cast<char>(type) + "desc" + '\0' + std::string(picture));
}
std::string title(int version) { return frame(version, version == 2 ? "TT2" : "TIT2", bytes("\0Title")); }

std::string chunk(std::string_view id, std::string_view data) {
  return std::string(id) + littleEndian(data.size()) + std::string(data) + std::string(data.size() % 2, '\0');
}
std::string waveStart(std::uint64_t riffSize) {
  return "RIFF" + littleEndian(riffSize) + "WAVE" + chunk("fmt ", std::string(16, '\1'));
}

class CoverFinder : public ::testing::Test {
 protected:
  std::optional<CoverPicture> coverOf(std::string_view trackBytes) {
    files.put(kTrack, trackBytes);
    return findCover(files, kTrack);
  }
  std::optional<CoverPicture> coverOf(const FileContent& track) {
    files.put(kTrack, track);
    return findCover(files, kTrack);
  }
  MemoryCoverFiles files;
};

TEST(CoverPictureType, IsWhatTheFirstBytesSay) {
  EXPECT_EQ(pictureTypeOf(kJpeg), "image/jpeg");
  EXPECT_EQ(pictureTypeOf(kPng), "image/png");
  EXPECT_EQ(pictureTypeOf("GIF87a..."), "image/gif");
  EXPECT_EQ(pictureTypeOf(kGif), "image/gif");
  EXPECT_EQ(pictureTypeOf(bytes("RIFF\x10\0\0\0WEBPVP8 ")), "image/webp");
  EXPECT_EQ(pictureTypeOf(bytes("BM\x36\0\0\0")), "image/bmp");
  for (const std::string& unknown : {bytes(""), bytes("\xFF\xD8"), bytes("\x89PNG\r\n"), bytes("GIF88a"),
                                     bytes("RIFF\x10\0\0\0WAVE"), bytes("RIFF"), bytes("<svg>"), bytes("ID3\x03\0")}) {
    EXPECT_EQ(pictureTypeOf(unknown), "") << ::testing::PrintToString(unknown);
  }
}

TEST_F(CoverFinder, ReadsThePictureOfEachId3Version) {
  EXPECT_EQ(coverOf(tag(2, title(2) + pic(kFront, longJpeg()) + std::string(20, '\0'))), jpeg(longJpeg()));
  EXPECT_EQ(coverOf(tag(3, title(3) + apic(3, kFront, longJpeg()) + std::string(20, '\0'))), jpeg(longJpeg()));
  EXPECT_EQ(coverOf(tag(4, title(4) + apic(4, kFront, longJpeg()))), jpeg(longJpeg()));
  // The type is the bytes', whatever MIME type the frame names.
  EXPECT_EQ(coverOf(tag(3, apic(3, kOther, kPng))), png());
}

TEST_F(CoverFinder, TheFirstFrontCoverWinsElseTheFirstPicture) {
  EXPECT_EQ(coverOf(tag(3, apic(3, kOther, kPng) + apic(3, kFront, kJpeg))), jpeg());
  EXPECT_EQ(coverOf(tag(4, apic(4, kFront, kJpeg) + apic(4, kOther, kPng) + apic(4, kFront, kGif))), jpeg());
  EXPECT_EQ(coverOf(tag(4, apic(4, kOther, kPng) + apic(4, kBand, kGif))), png());
  EXPECT_EQ(coverOf(tag(2, pic(kBand, kGif) + pic(kFront, kPng))), png());
  // Bytes of no known type are no picture: the next one is taken.
  EXPECT_EQ(coverOf(tag(3, apic(3, kFront, "not a picture") + apic(3, kOther, kGif))), gif());
}

TEST_F(CoverFinder, OnlyAFrontCoverIsReadOnceAPictureIsKept) {
  std::string first = apic(3, kOther, kPng);
  std::string bigFields = apicFields(kBand);
  std::string last = apic(3, kFront, kJpeg);
  std::uint64_t bigData = bigFields.size() + 8 * kMiB;
  std::uint64_t body = first.size() + 10 + bigData + last.size();
  FileContent track;
  track.add(tagHeader(3, body) + first + frameHeader(3, "APIC", bigData) + bigFields).addRun(8 * kMiB).add(last);
  EXPECT_EQ(coverOf(track), jpeg());
  EXPECT_LT(files.counts.bytesRead, kMiB) << "the band's picture is passed over unread";
}

TEST_F(CoverFinder, EachTextEncodingEndsTheDescriptionItsOwnWay) {
  // UTF-16 "a" U+0100: two zero bytes at an odd offset before the terminator.
  std::string utf16 = frame(3, "APIC", apicFields(kFront, 1, bytes("\xFF\xFE" "a\0\0\x01")) + kJpeg);
  EXPECT_EQ(coverOf(tag(3, utf16)), jpeg());
  std::string utf16be = frame(4, "APIC", apicFields(kFront, 2, bytes("\0a\x01\0\0b")) + kJpeg);
  EXPECT_EQ(coverOf(tag(4, utf16be)), jpeg());
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", apicFields(kFront, 3, "caf\xC3\xA9") + kJpeg))), jpeg());
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", apicFields(kFront, 0, "") + kPng))), png());
  // An encoding ID3v2 does not have makes the frame no picture.
  EXPECT_EQ(coverOf(tag(3, frame(3, "APIC", apicFields(kFront, 4) + kJpeg) + apic(3, kOther, kGif))), gif());
}

TEST_F(CoverFinder, UndoesUnsynchronisationOfTheTagAndOfAFrame) {
  // 497 bytes make a frame of 0x1FF bytes: its size too is unsynchronised.
  std::string picture = longJpeg(497);
  EXPECT_EQ(coverOf(tag(3, unsynchronised(title(3) + apic(3, kFront, picture)), 0x80)), jpeg(picture));
  EXPECT_EQ(coverOf(tag(2, unsynchronised(title(2) + pic(kFront, picture)), 0x80)), jpeg(picture));
  // ID3v2.4 unsynchronises frames' data only, for the whole tag or per frame.
  std::string stored = unsynchronised(apicFields(kFront) + picture);
  EXPECT_EQ(coverOf(tag(4, title(4) + frame(4, "APIC", stored), 0x80)), jpeg(picture));
  EXPECT_EQ(coverOf(tag(4, title(4) + frame(4, "APIC", stored, 0x02))), jpeg(picture));
  // Without the flag an FF 00 is the picture's own.
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", unsynchronised(apicFields(kFront) + kPng)))), png(unsynchronised(kPng)));
}

TEST_F(CoverFinder, PassesOverExtendedHeaders) {
  std::string v23 = apic(3, kFront, kJpeg);
  EXPECT_EQ(coverOf(tag(3, bigEndian(6, 4) + std::string(6, '\0') + v23, 0x40)), jpeg());
  EXPECT_EQ(coverOf(tag(3, bigEndian(10, 4) + bytes("\x80\0\0\0\0\0\x12\x34\x56\x78") + v23, 0x40)),
            jpeg());
  EXPECT_EQ(coverOf(tag(3, unsynchronised(bigEndian(6, 4) + std::string(6, '\xFF') + v23), 0xC0)), jpeg());
  std::string v24 = apic(4, kFront, kJpeg);
  EXPECT_EQ(coverOf(tag(4, syncsafe(6) + bytes("\x01\0") + v24, 0x40)), jpeg());
  EXPECT_EQ(coverOf(tag(4, syncsafe(12) + bytes("\x01\x20\x05\x01\x02\x03\x04\x05") + v24, 0x50)),
            jpeg());
  // A 2.4 size that cannot count itself and its flags is no header.
  EXPECT_EQ(coverOf(tag(4, syncsafe(4) + v24, 0x40)), std::nullopt);
}

TEST_F(CoverFinder, PassesOverGroupsAndDataLengthsAndSkipsWhatItCannotRead) {
  std::string fields = apicFields(kFront) + kJpeg;
  std::string length = syncsafe(fields.size());
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", length + fields, 0x01))), jpeg());
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", "\x07" + fields, 0x40))), jpeg());
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", "\x07" + length + fields, 0x41))), jpeg());
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", length + unsynchronised(fields), 0x03))), jpeg());
  EXPECT_EQ(coverOf(tag(3, frame(3, "APIC", "\x07" + fields, 0x20))), jpeg());
  // Compressed (no zlib here) or encrypted: passed over, though a plain
  // front cover is what these hold.
  for (unsigned char format : {0x80, 0x40}) {
    EXPECT_EQ(coverOf(tag(3, frame(3, "APIC", fields, format) + apic(3, kOther, kPng))), png()) << int(format);
  }
  for (unsigned char format : {0x08, 0x09, 0x04}) {
    EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", fields, format) + apic(4, kOther, kPng))), png()) << int(format);
  }
  // ID3v2.2's compressed tag.
  EXPECT_EQ(coverOf(tag(2, pic(kFront, kJpeg), 0x40)), std::nullopt);
}

TEST_F(CoverFinder, ADamagedFrameEndsTheWalkKeepingWhatWasFound) {
  std::string first = apic(3, kOther, kPng);
  std::string claimsMore = frameHeader(3, "APIC", 5000) + apicFields(kFront) + kJpeg;
  std::string audio(6000, '\x55');
  EXPECT_EQ(coverOf(tag(3, first + claimsMore) + audio), png()) << "more than the tag, though the file has it";
  std::string whole = tag(4, apic(4, kOther, kPng) + apic(4, kFront, kJpeg));
  EXPECT_EQ(coverOf(whole.substr(0, whole.size() - 5)), png()) << "the file ends inside the front cover";
  std::string alone = tag(3, apic(3, kFront, longJpeg()));
  EXPECT_EQ(coverOf(alone.substr(0, alone.size() - 1)), std::nullopt);
  std::string notSyncsafe = tag(4, apic(4, kOther, kPng));
  notSyncsafe[6] = '\x80';
  EXPECT_EQ(coverOf(notSyncsafe + apic(4, kFront, kJpeg)), std::nullopt) << "the tag's size";
  std::string frameNotSyncsafe = frame(4, "APIC", apicFields(kFront) + kJpeg);
  frameNotSyncsafe[6] = '\x80';
  EXPECT_EQ(coverOf(tag(4, apic(4, kOther, kPng) + frameNotSyncsafe)), png()) << "a frame's size";
  EXPECT_EQ(coverOf(bytes("ID3\x05\0\0\0\0\0\x20") + apic(4, kFront, kJpeg)), std::nullopt) << "ID3v2.5";
  EXPECT_EQ(coverOf(bytes("ID3\x03\0")), std::nullopt);
}

TEST_F(CoverFinder, AFrameClaimingMoreThanTheTagIsNotRead) {
  std::string fields = apicFields(kFront) + kJpeg;
  FileContent track;
  track.add(tagHeader(4, 10 + fields.size() + 4 * kMiB) + frameHeader(4, "APIC", 8 * kMiB) + fields);
  track.addRun(4 * kMiB).add(apic(4, kOther, kPng));
  EXPECT_EQ(coverOf(track), std::nullopt);
  EXPECT_LT(files.counts.bytesRead, kMiB);
}

TEST_F(CoverFinder, APictureWhoseReadFailsIsNone) {
  std::string track = tag(3, apic(3, kFront, longJpeg()));
  files.failReadsFrom(track.size() - 100);
  EXPECT_EQ(coverOf(track), std::nullopt);
  files.put(kFolder + u"cover.jpg", kJpeg + std::string(400, 'x'));
  EXPECT_EQ(readPictureFile(files, kFolder + u"cover.jpg"), std::nullopt);
}

TEST_F(CoverFinder, APictureLargerThanTheLimitIsPassedOverUnread) {
  std::string fields = apicFields(kFront) + kJpeg;
  std::uint64_t data = fields.size() + 20 * kMiB;
  std::string next = apic(4, kOther, kPng);
  FileContent track;
  track.add(tagHeader(4, 10 + data + next.size()) + frameHeader(4, "APIC", data) + fields).addRun(20 * kMiB);
  track.add(next);
  EXPECT_EQ(coverOf(track), png());
  EXPECT_LT(files.counts.bytesRead, kMiB);
}

TEST_F(CoverFinder, APictureOfExactlyTheLimitIsKept) {
  std::string fields = apicFields(kFront) + kJpeg;
  FileContent exact;
  exact.add(tagHeader(3, 10 + fields.size() + kMaxCoverBytes - kJpeg.size()));
  exact.add(frameHeader(3, "APIC", fields.size() + kMaxCoverBytes - kJpeg.size()) + fields);
  exact.addRun(kMaxCoverBytes - kJpeg.size(), 'j');
  std::optional<CoverPicture> picture = coverOf(exact);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->bytes.size(), kMaxCoverBytes);
  EXPECT_EQ(picture->bytes.substr(0, kJpeg.size()), kJpeg);
  EXPECT_EQ(picture->bytes.back(), 'j');
}

TEST_F(CoverFinder, AnUnsynchronisedPictureCountsItsBytesOnceUndone) {
  // Stored, 9 MiB of FF are 18 MiB: within the limit all the same.
  std::string ffs = kJpeg + std::string(9 * kMiB, '\xFF');
  std::optional<CoverPicture> picture = coverOf(tag(4, frame(4, "APIC", unsynchronised(apicFields(kFront) + ffs), 2)));
  EXPECT_TRUE(picture && *picture == jpeg(ffs));
  // Exactly the limit once undone, its last FF 00 one byte.
  std::string fields = unsynchronised(apicFields(kFront) + kJpeg);
  std::uint64_t run = kMaxCoverBytes - kJpeg.size() - 1;
  FileContent exact;
  exact.add(tagHeader(4, 10 + fields.size() + run + 2) + frameHeader(4, "APIC", fields.size() + run + 2, 2) + fields);
  exact.addRun(run, 'u').add(bytes("\xFF\0"));
  picture = coverOf(exact);
  EXPECT_TRUE(picture && picture->bytes.size() == kMaxCoverBytes && picture->bytes.back() == '\xFF');
  std::string tooLarge = fields + std::string(kMaxCoverBytes, 'x');
  EXPECT_EQ(coverOf(tag(4, frame(4, "APIC", tooLarge, 2) + apic(4, kOther, kGif))), gif());
}

TEST_F(CoverFinder, ReadsTheId3ChunkOfAWaveFileSkippingItsAudio) {
  std::string id3 = chunk("id3 ", tag(3, apic(3, kFront, kJpeg)));
  FileContent wave;
  wave.add(waveStart(4 + 24 + 8 + 100 * kMiB + id3.size()) + "data" + littleEndian(100 * kMiB));
  wave.addRun(100 * kMiB).add(id3);
  EXPECT_EQ(coverOf(wave), jpeg());
  EXPECT_LT(files.counts.bytesRead, kMiB);
}

TEST_F(CoverFinder, WalksWaveChunksByTheirPaddedSizes) {
  std::string id3 = chunk("ID3 ", tag(4, apic(4, kFront, kPng)));
  std::string odd = chunk("LIST", "INFOodd");
  // An RIFF size left as it was before the tag was appended.
  EXPECT_EQ(coverOf(waveStart(36) + odd + chunk("data", "\1\2\3\4") + id3), png());
  std::string tooLong = "data" + littleEndian(1000) + std::string(10, '\0');
  EXPECT_EQ(coverOf(waveStart(36) + tooLong + id3), std::nullopt) << "a chunk larger than the file";
  std::string whole = tag(4, apic(4, kFront, kPng));
  EXPECT_EQ(coverOf(waveStart(36) + "id3 " + littleEndian(whole.size() + 100) + whole), std::nullopt)
      << "an ID3 chunk larger than the file, though its tag is whole";
  EXPECT_EQ(coverOf(waveStart(36) + chunk("junk", tag(4, apic(4, kFront, kPng)))), std::nullopt);
}

TEST_F(CoverFinder, ReadsTheSameThroughShortReads) {
  std::string id3 = tag(3, unsynchronised(title(3) + apic(3, kFront, longJpeg(497))), 0x80);
  std::string wave = waveStart(0) + chunk("data", std::string(999, 'a')) + chunk("id3 ", id3);
  std::string prefixed = tag(4, frame(4, "APIC", "\x07" + syncsafe(500) + unsynchronised(apicFields(kFront) + kPng),
                                      0x43));
  for (std::size_t most : {1, 3, 1000}) {
    files.readAtMost(most);
    EXPECT_EQ(coverOf(id3), jpeg(longJpeg(497))) << most;
    EXPECT_EQ(coverOf(wave), jpeg(longJpeg(497))) << most;
    EXPECT_EQ(coverOf(prefixed), png()) << most;
  }
}

TEST_F(CoverFinder, TriesTheFolderImagesNameByNameThenAlbumArt) {
  // Listed in another order than tried, with names that are not tried.
  for (const char16_t* name : {u"album.jpg", u"AlbumArt_{1A2B}_Large.JPG", u"front.jpeg", u"cover.gif",
                               u"Folder.png", u"AlbumArtSmall.jpg", u"cover.png", u"COVER.JPEG", u"mycover.jpg",
                               u"AlbumArt_{1A2B}_Small.jpg", u"cover.jpg.bak", u"albumart__large.jpg"}) {
    files.put(kFolder + name, "no picture");
  }
  EXPECT_EQ(coverOf("no tag"), std::nullopt);
  std::vector<std::u16string> tried = {kTrack,
                                       kFolder + u"COVER.JPEG",
                                       kFolder + u"cover.png",
                                       kFolder + u"Folder.png",
                                       kFolder + u"front.jpeg",
                                       kFolder + u"album.jpg",
                                       kFolder + u"AlbumArt_{1A2B}_Large.JPG"};
  EXPECT_EQ(files.counts.opened, tried);
  EXPECT_EQ(files.counts.listed, std::vector<std::u16string>{kFolder});
}

TEST_F(CoverFinder, AFolderImageThatFailsIsPassedOver) {
  files.put(kFolder + u"cover.jpg", FileContent().add(kJpeg).addRun(kMaxCoverBytes));
  files.put(kFolder + u"cover.png", "");
  files.put(kFolder + u"folder.jpg", "not a jpeg");
  files.put(kFolder + u"front.png", kPng);
  files.put(kFolder + u"album.jpg", kJpeg);
  EXPECT_EQ(coverOf(tag(3, title(3))), png());
  EXPECT_LT(files.counts.bytesRead, kMiB) << "the large one is not read";
}

TEST_F(CoverFinder, AnEmbeddedPictureComesBeforeTheFolders) {
  files.put(kFolder + u"cover.jpg", kJpeg);
  EXPECT_EQ(coverOf(tag(4, apic(4, kOther, kGif))), gif());
  EXPECT_TRUE(files.counts.listed.empty());
}

TEST_F(CoverFinder, FindsTheFolderOfAnySeparatorAndOfATrackThatDoesNotOpen) {
  files.put(u"/home/me/Music/Front.JPG", kJpeg);
  EXPECT_EQ(findCover(files, u"/home/me/Music/missing.mp3"), jpeg());
  EXPECT_EQ(files.counts.listed, std::vector<std::u16string>{u"/home/me/Music/"});
  files.put(u"D:\\Music/Album\\cover.png", kPng);
  EXPECT_EQ(findCover(files, u"D:\\Music/Album\\track.wav"), png());
  EXPECT_EQ(findCover(files, u"track.mp3"), std::nullopt);
  EXPECT_EQ(files.counts.listed.size(), 2u) << "a name without a folder lists none";
}

TEST_F(CoverFinder, AStreamsAddressTouchesNoFile) {
  files.put(u"http://radio.example/cover.jpg", kJpeg);
  EXPECT_EQ(findCover(files, u"http://radio.example/live"), std::nullopt);
  EXPECT_EQ(findCover(files, u"C:\\Music\\x://y.mp3"), std::nullopt);
  EXPECT_TRUE(files.counts.opened.empty());
  EXPECT_TRUE(files.counts.listed.empty());
}

TEST_F(CoverFinder, ReadsAPlaceholderPictureWholeWithinTheLimit) {
  const std::u16string path = u"C:\\Pictures\\placeholder.png";
  files.put(path, kPng);
  EXPECT_EQ(readPictureFile(files, path), png());
  EXPECT_EQ(readPictureFile(files, u"C:\\Pictures\\missing.png"), std::nullopt);
  files.put(u"C:\\Pictures\\empty.png", "");
  EXPECT_EQ(readPictureFile(files, u"C:\\Pictures\\empty.png"), std::nullopt);
  files.put(u"C:\\Pictures\\text.png", "not a picture");
  EXPECT_EQ(readPictureFile(files, u"C:\\Pictures\\text.png"), std::nullopt);
  files.put(u"C:\\Pictures\\exact.gif", FileContent().add(kGif).addRun(kMaxCoverBytes - kGif.size()));
  std::optional<CoverPicture> exact = readPictureFile(files, u"C:\\Pictures\\exact.gif");
  EXPECT_TRUE(exact && exact->type == "image/gif" && exact->bytes.size() == kMaxCoverBytes);
  std::uint64_t readBefore = files.counts.bytesRead;
  files.put(u"C:\\Pictures\\large.gif", FileContent().add(kGif).addRun(kMaxCoverBytes - kGif.size() + 1));
  EXPECT_EQ(readPictureFile(files, u"C:\\Pictures\\large.gif"), std::nullopt);
  EXPECT_EQ(files.counts.bytesRead, readBefore);
}

// Files whose every call throws, as an allocation does when memory runs out.
class ThrowingFile final : public CoverFile {
 public:
  std::size_t read(char*, std::size_t) override { throw std::bad_alloc(); }
  bool skip(std::uint64_t) override { throw std::bad_alloc(); }
  std::uint64_t size() const override { return 100; }
};
class ThrowingFiles final : public CoverFiles {
 public:
  explicit ThrowingFiles(bool opens) : opens_(opens) {}
  std::unique_ptr<CoverFile> openShared(const std::u16string&) override {
    if (opens_) return std::make_unique<ThrowingFile>();
    throw std::bad_alloc();
  }
  std::vector<std::u16string> fileNamesIn(const std::u16string&, std::size_t) override {
    throw std::length_error("names");
  }

 private:
  bool opens_;
};

TEST(CoverFinderFailures, NoExceptionLeavesTheReader) {
  for (bool opens : {false, true}) {
    ThrowingFiles files(opens);
    EXPECT_EQ(findCover(files, kTrack), std::nullopt);
    EXPECT_EQ(readPictureFile(files, kFolder + u"cover.jpg"), std::nullopt);
  }
}

}  // namespace
}  // namespace tavrik
