// Host-folder paths and the save's temporary names, in code page 932 (where
// the second byte of a character may be a backslash). Input: the host's
// executable path, NUL, the relative name, and optionally NUL and a byte: the
// number of the save's file call that fails.
//  - The join equals a plain one: the executable path cut into characters,
//    its folder running to the last one-byte backslash, slash or colon,
//    refused whenever a path does not fit 260 bytes with its NUL.
//  - Saving to the joined path touches no path that does not fit and nothing
//    outside the file's folder, and leaves the old or the new content; the
//    next save that does not fail leaves the new content and no other file.
//  - The same save named in UTF-16 (the joined path's bytes as units, a byte
//    D8 to DF taking the next byte with it, so that surrogates, paired or
//    not, appear), as the rule file's in a settings folder and as a file
//    other programs read: the same outcomes, a failed caption save saying an
//    error code, and its temporary names never cut a surrogate pair.
#include <optional>

#include "common/host_folder.h"
#include "common/replace_content.h"
#include "cp932_lead_byte.h"
#include "fuzz_check.h"
#include "memory_disk.h"

namespace {

bool fits(std::string_view path) { return path.size() < 260; }

// The folder part of `path` (up to and including its last separator),
// found character by character.
std::string plainFolder(std::string_view path, bool doubleByte) {
  std::size_t folder = 0;
  std::size_t at = 0;
  while (at < path.size()) {
    unsigned char byte = static_cast<unsigned char>(path[at]);
    bool lead = doubleByte && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
    std::size_t length = lead && at + 1 < path.size() ? 2 : 1;
    if (length == 1 && (byte == '\\' || byte == '/' || byte == ':')) folder = at + 1;
    at += length;
  }
  return std::string(path.substr(0, folder));
}

std::optional<std::string> plainJoin(const std::string& executable, const std::string& name, bool doubleByte) {
  if (executable.empty() || !fits(executable)) return std::nullopt;
  std::string joined = plainFolder(executable, doubleByte) + name;
  if (!fits(joined)) return std::nullopt;
  return joined;
}

bool isHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::u16string unitsOf(const std::string& path) {
  std::u16string units;
  for (std::size_t at = 0; at < path.size(); ++at) {
    unsigned char byte = static_cast<unsigned char>(path[at]);
    if (byte >= 0xD8 && byte <= 0xDF && at + 1 < path.size()) {
      units += static_cast<char16_t>(byte << 8 | static_cast<unsigned char>(path[++at]));
    } else {
      units += static_cast<char16_t>(byte);
    }
  }
  return units;
}

void saveShared(const std::u16string& path, int failAt) {
  std::size_t slash = path.find_last_of(u"\\/:");
  const std::u16string folder = path.substr(0, slash == std::u16string::npos ? 0 : slash + 1);
  const std::u16string name = path.substr(folder.size());
  tavrik::testing::MemoryDisk disk;
  disk.wide.files[path] = "old";
  disk.failAt = failAt;
  auto outcome = tavrik::replaceSharedFileContent(disk, path, "new");
  bool replaced = outcome == tavrik::ReplaceOutcome::Replaced;
  fuzz::expect(outcome != tavrik::ReplaceOutcome::HeldElsewhere, "held only when a reader holds it");
  fuzz::expect(disk.wide.files[path] == (replaced ? "new" : "old"), "the old or the new caption");
  fuzz::expect((outcome.error != 0) == !replaced, "a failure says why, and only a failure");
  disk.failAt = -1;
  replaced = tavrik::replaceSharedFileContent(disk, path, "next") == tavrik::ReplaceOutcome::Replaced;
  bool savable = !name.empty() && path.size() < 260 && !(name.size() == 1 && path.size() == 259);
  fuzz::expect(replaced == savable, "every caption path that fits can be written");
  for (const std::u16string& touched : disk.wide.touched) {
    fuzz::expect(touched.size() < 260 && touched.compare(0, folder.size(), folder) == 0 &&
                     touched.find_first_of(u"\\/:", folder.size()) == std::u16string::npos,
                 "only paths that fit, in the caption's folder");
    if (touched == path) continue;
    std::size_t kept = touched.size() - folder.size() - 2;
    fuzz::expect(kept == 0 || !isHigh(touched[folder.size() + kept - 1]) || !isLow(name[kept]),
                 "a temporary name never cuts a surrogate pair");
  }
  if (replaced) {
    fuzz::expect(disk.wide.files.size() == 1 && disk.wide.files[path] == "next", "the new caption and nothing else");
  }

  tavrik::testing::MemoryDisk own;
  own.wide.files[path] = "old";
  own.failAt = failAt;
  bool saved = tavrik::replaceFileContent(own, path, "new");
  fuzz::expect(own.wide.files[path] == (saved ? "new" : "old"), "the old or the new file under a UTF-16 path");
  own.failAt = -1;
  saved = tavrik::replaceFileContent(own, path, "next");
  fuzz::expect(saved == savable, "every UTF-16 path that fits can be saved");
  for (const std::u16string& touched : own.wide.touched) {
    fuzz::expect(touched.size() < 260 && touched.compare(0, folder.size(), folder) == 0,
                 "only UTF-16 paths that fit, in the file's folder");
  }
  if (saved) {
    fuzz::expect(own.wide.files.size() == 1 && own.wide.files[path] == "next", "the new file and nothing else");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::nulSeparated(fuzz::bytesOf(data, size), 3);
  const std::string& executable = parts[0];
  const std::string& relative = parts[1];

  auto byteWise = tavrik::joinHostFolder(executable, relative, [](unsigned char) { return false; });
  fuzz::expect(byteWise == plainJoin(executable, relative, false), "joining byte by byte");
  auto joined = tavrik::joinHostFolder(executable, relative, tavrik::testing::isCodePage932LeadByte);
  fuzz::expect(joined == plainJoin(executable, relative, true), "joining in code page 932");
  if (!joined) return 0;
  saveShared(unitsOf(*joined), parts[2].empty() ? -1 : static_cast<unsigned char>(parts[2][0]));

  const std::string& path = *joined;
  const std::string folder = plainFolder(path, true);
  const std::string name = path.substr(folder.size());
  tavrik::testing::MemoryDisk disk;
  disk.ansi.files[path] = "old";
  disk.failAt = parts[2].empty() ? -1 : static_cast<unsigned char>(parts[2][0]);
  bool saved = tavrik::replaceFileContent(disk, path, "new\r\n", tavrik::testing::isCodePage932LeadByte);
  fuzz::expect(disk.ansi.files[path] == (saved ? "new\r\n" : "old"), "the old or the new content");
  disk.failAt = -1;
  saved = tavrik::replaceFileContent(disk, path, "next\r\n", tavrik::testing::isCodePage932LeadByte);
  // Only a file of one byte at the very limit has no temporary name that fits.
  bool savable = !name.empty() && !(name.size() == 1 && path.size() == 259);
  fuzz::expect(saved == savable, "every path that fits can be saved");
  for (const std::string& touched : disk.ansi.touched) {
    fuzz::expect(fits(touched), "no path beyond 260 bytes is touched");
    fuzz::expect(plainFolder(touched, true) == folder, "the temporary file is in the file's folder");
  }
  if (saved) {
    fuzz::expect(disk.ansi.files.size() == 1 && disk.ansi.files[path] == "next\r\n",
                 "the new content and nothing else is left");
  }
  return 0;
}
