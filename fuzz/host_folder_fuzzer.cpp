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
#include <optional>

#include "common/host_folder.h"
#include "common/replace_content.h"
#include "fuzz_check.h"
#include "step_disk.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::nulSeparated(fuzz::bytesOf(data, size), 3);
  const std::string& executable = parts[0];
  const std::string& relative = parts[1];

  auto byteWise = tavrik::joinHostFolder(executable, relative, [](unsigned char) { return false; });
  fuzz::expect(byteWise == plainJoin(executable, relative, false), "joining byte by byte");
  auto joined = tavrik::joinHostFolder(executable, relative, tavrik::isCodePage932LeadByte);
  fuzz::expect(joined == plainJoin(executable, relative, true), "joining in code page 932");
  if (!joined) return 0;

  const std::string& path = *joined;
  const std::string folder = plainFolder(path, true);
  const std::string name = path.substr(folder.size());
  tavrik::testing::StepDisk disk;
  disk.files[path] = "old";
  disk.failAt = parts[2].empty() ? -1 : static_cast<unsigned char>(parts[2][0]);
  bool saved = tavrik::replaceFileContent(disk, path, "new\r\n", tavrik::isCodePage932LeadByte);
  fuzz::expect(disk.files[path] == (saved ? "new\r\n" : "old"), "the old or the new content");
  disk.failAt = -1;
  saved = tavrik::replaceFileContent(disk, path, "next\r\n", tavrik::isCodePage932LeadByte);
  // Only a file of one byte at the very limit has no temporary name that fits.
  bool savable = !name.empty() && !(name.size() == 1 && path.size() == 259);
  fuzz::expect(saved == savable, "every path that fits can be saved");
  for (const std::string& touched : disk.touched) {
    fuzz::expect(fits(touched), "no path beyond 260 bytes is touched");
    fuzz::expect(plainFolder(touched, true) == folder, "the temporary file is in the file's folder");
  }
  if (saved) {
    fuzz::expect(disk.files.size() == 1 && disk.files[path] == "next\r\n",
                 "the new content and nothing else is left");
  }
  return 0;
}
