#include "common/replace_content.h"

#include <memory>
#include <vector>

#include "common/unicode_codec.h"

namespace tavrik {

namespace {

// Said for a path the save cannot even try: it names no file it could write.
constexpr std::uint32_t kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND

// How many units the character at `at` takes: a lead byte takes the next
// byte, whatever it is, as the ANSI functions step; a high surrogate takes
// the next unit only when that is a low one (names may hold lone surrogates).
std::size_t widthAt(std::string_view name, std::size_t at, const LeadBytePredicate& isLeadByte) {
  return isLeadByte(static_cast<unsigned char>(name[at])) ? 2 : 1;
}
std::size_t widthAt(std::u16string_view name, std::size_t at) {
  return isHighSurrogate(name[at]) && at + 1 < name.size() && isLowSurrogate(name[at + 1]) ? 2 : 1;
}

// The first units of `name`, at most `limit` of them, never ending inside a
// character of two units.
template <class Char, class WidthAt>
std::basic_string_view<Char> headOf(std::basic_string_view<Char> name, std::size_t limit,
                                    const WidthAt& width) {
  std::size_t end = 0;
  while (end < name.size()) {
    std::size_t next = end + width(end);
    if (next > limit) break;
    end = next;
  }
  return name.substr(0, end);
}

template <class Char, class WidthAt>
std::basic_string<Char> temporaryNameOf(std::basic_string_view<Char> fileName, unsigned index,
                                        const WidthAt& width) {
  std::size_t kept = fileName.size() >= 2 ? fileName.size() - 2 : 0;
  std::basic_string<Char> name(headOf(fileName, kept, width));
  name += static_cast<Char>('~');
  name += static_cast<Char>('0' + index % 10);
  return name;
}

// The temporary file's possible paths beside `path`, whose first `folder`
// units are its folder: those that fit, and never `path` itself ("a~1" names
// itself among its temporary names; a one-character name at the very limit
// has none that fits).
template <class Path, class NameOf>
std::vector<Path> temporaryPaths(const Path& path, std::size_t folder, const NameOf& nameOf) {
  std::vector<Path> temporaries;
  for (unsigned i = 0; i < kTemporaryNames; ++i) {
    Path name = path.substr(0, folder) + nameOf(i);
    if (name != path && fitsWindowsPath(name)) temporaries.push_back(std::move(name));
  }
  return temporaries;
}

// Writes all of `bytes`, then flushes and closes: false at the first step
// that fails, with its error code in `error`. Without the flush the rename
// that follows could reach the disk before the content does, and a power cut
// would leave the file's place holding a short or empty file.
bool writeWholeFile(Files& files, NewFile& file, std::string_view bytes, std::uint32_t& error) {
  while (!bytes.empty()) {
    std::size_t written = file.write(bytes.data(), bytes.size());
    if (written == 0 || written > bytes.size()) {
      error = files.lastError();
      return false;
    }
    bytes.remove_prefix(written);
  }
  if (file.flush() && file.close()) return true;
  error = files.lastError();
  return false;
}

// The save after the checks: `temporaries` are the temporary file's possible
// paths beside `path`, each of which fits. The error code is the last one a
// failing step gave; a removal's is never it, as leftovers are mostly not
// there.
template <class Path>
ReplaceResult replaceThroughTemporary(Files& files, const Path& path, const std::vector<Path>& temporaries,
                                      std::string_view bytes) {
  // A save that was killed or lost its power left its temporary file behind.
  for (const Path& leftover : temporaries) files.remove(leftover);

  ReplaceResult result;
  std::unique_ptr<NewFile> file;
  const Path* temporary = nullptr;
  for (const Path& candidate : temporaries) {
    bool taken = false;
    file = files.createNew(candidate, taken);
    if (file) {
      temporary = &candidate;
      break;
    }
    result.error = files.lastError();
    if (!taken) return result;
  }
  if (!file) return result;

  bool complete = writeWholeFile(files, *file, bytes, result.error);
  file.reset();  // closes what a failure left open
  if (complete) {
    result.outcome = files.replace(path, *temporary);
    if (result.outcome != ReplaceOutcome::Replaced) result.error = files.lastError();
  }
  if (result.outcome != ReplaceOutcome::Replaced) files.remove(*temporary);
  if (result.outcome != ReplaceOutcome::Failed) result.error = 0;
  return result;
}

// How many leading units of `path` are its folder: up to and including its
// last backslash, slash or drive colon. UTF-16 has no lead bytes to step over.
std::size_t wideFolderLength(const std::u16string& path) {
  std::size_t slash = path.find_last_of(u"\\/:");
  return slash == std::u16string::npos ? 0 : slash + 1;
}

// The temporary file's possible paths beside a path in UTF-16.
std::vector<std::u16string> wideTemporaryPaths(const std::u16string& path, std::size_t folder) {
  std::u16string_view fileName = std::u16string_view(path).substr(folder);
  return temporaryPaths(path, folder, [&](unsigned i) { return temporaryName(fileName, i); });
}

}  // namespace

std::string temporaryName(std::string_view fileName, unsigned index,
                          const LeadBytePredicate& isLeadByte) {
  return temporaryNameOf(fileName, index, [&](std::size_t at) { return widthAt(fileName, at, isLeadByte); });
}

std::u16string temporaryName(std::u16string_view fileName, unsigned index) {
  return temporaryNameOf(fileName, index, [&](std::size_t at) { return widthAt(fileName, at); });
}

bool replaceFileContent(Files& files, const std::string& path, std::string_view bytes,
                        const LeadBytePredicate& isLeadByte) {
  std::size_t folder = folderLength(path, isLeadByte);
  if (folder == path.size() || !fitsWindowsPath(path)) return false;
  if (!files.replaceable(path)) return false;

  std::string_view fileName = std::string_view(path).substr(folder);
  auto temporaries =
      temporaryPaths(path, folder, [&](unsigned i) { return temporaryName(fileName, i, isLeadByte); });
  return replaceThroughTemporary(files, path, temporaries, bytes) == ReplaceOutcome::Replaced;
}

bool replaceFileContent(Files& files, const std::u16string& path, std::string_view bytes) {
  std::size_t folder = wideFolderLength(path);
  if (folder == path.size() || !fitsWindowsPath(path)) return false;
  if (!files.replaceable(path)) return false;
  return replaceThroughTemporary(files, path, wideTemporaryPaths(path, folder), bytes) == ReplaceOutcome::Replaced;
}

ReplaceResult replaceSharedFileContent(Files& files, const std::u16string& path, std::string_view bytes) {
  std::size_t folder = wideFolderLength(path);
  if (folder == path.size() || !fitsWindowsPath(path)) return {ReplaceOutcome::Failed, kPathNotFound};
  ReplaceResult result = replaceThroughTemporary(files, path, wideTemporaryPaths(path, folder), bytes);
  if (result == ReplaceOutcome::Failed && result.error == 0) result.error = kPathNotFound;
  return result;
}

}  // namespace tavrik
