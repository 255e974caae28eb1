#include "common/replace_content.h"

#include <memory>
#include <vector>

namespace tavrik {

namespace {

// The first bytes of `name`, at most `limit` of them, never ending inside a
// double-byte character.
std::string_view headOf(std::string_view name, std::size_t limit, const LeadBytePredicate& isLeadByte) {
  std::size_t end = 0;
  while (end < name.size()) {
    std::size_t next = end + (isLeadByte(static_cast<unsigned char>(name[end])) ? 2 : 1);
    if (next > limit) break;
    end = next;
  }
  return name.substr(0, end);
}

bool writeAll(NewFile& file, std::string_view bytes) {
  while (!bytes.empty()) {
    std::size_t written = file.write(bytes.data(), bytes.size());
    if (written == 0 || written > bytes.size()) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::string temporaryName(std::string_view fileName, unsigned index,
                          const LeadBytePredicate& isLeadByte) {
  std::size_t kept = fileName.size() >= 2 ? fileName.size() - 2 : 0;
  std::string name(headOf(fileName, kept, isLeadByte));
  name += '~';
  name += static_cast<char>('0' + index % 10);
  return name;
}

bool replaceFileContent(FileOperations& files, const std::string& path, std::string_view bytes,
                        const LeadBytePredicate& isLeadByte) {
  std::size_t folder = folderLength(path, isLeadByte);
  if (folder == path.size() || !fitsWindowsPath(path)) return false;
  if (!files.replaceable(path)) return false;

  std::string_view fileName = std::string_view(path).substr(folder);
  std::vector<std::string> temporaries;
  for (unsigned i = 0; i < kTemporaryNames; ++i) {
    std::string name = path.substr(0, folder) + temporaryName(fileName, i, isLeadByte);
    // "a~1" names itself among its temporary names; a one-byte name at the
    // very limit has none that fits.
    if (name != path && fitsWindowsPath(name)) temporaries.push_back(std::move(name));
  }
  // A save that was killed or lost its power left its temporary file behind.
  for (const std::string& leftover : temporaries) files.remove(leftover);

  std::unique_ptr<NewFile> file;
  std::string temporary;
  for (const std::string& candidate : temporaries) {
    bool taken = false;
    file = files.createNew(candidate, taken);
    if (file) {
      temporary = candidate;
      break;
    }
    if (!taken) return false;
  }
  if (!file) return false;

  bool complete = writeAll(*file, bytes) && file->flush() && file->close();
  file.reset();  // closes what a failure left open
  if (complete && files.replace(path, temporary)) return true;
  files.remove(temporary);
  return false;
}

}  // namespace tavrik
