#include "cover/cover_finder.h"

#include "cover/embedded_picture.h"
#include "cover/folder_pictures.h"
#include "cover/picture_type.h"

namespace tavrik {
namespace {

// More files than any album's folder holds: a larger one is not listed on.
constexpr std::size_t kMostNamesInFolder = 10000;

bool isStreamAddress(const std::u16string& path) { return path.find(u"://") != std::u16string::npos; }

std::optional<CoverPicture> wholePicture(CoverFile& file) {
  std::uint64_t size = file.size();
  if (size == 0 || size > kMaxCoverBytes) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    std::size_t arrived = file.read(bytes.data() + got, bytes.size() - got);
    if (arrived == 0) break;
    got += arrived;
  }
  // A file that shrank or failed to read part-way gives no half picture.
  if (got != bytes.size()) return std::nullopt;
  return typedPicture(std::move(bytes));
}

std::optional<CoverPicture> pictureFile(CoverFiles& files, const std::u16string& path) {
  std::unique_ptr<CoverFile> file = files.openShared(path);
  if (!file) return std::nullopt;
  return wholePicture(*file);
}

std::optional<CoverPicture> pictureBeside(CoverFiles& files, const std::u16string& trackPath) {
  std::size_t separator = trackPath.find_last_of(u"\\/");
  if (separator == std::u16string::npos) return std::nullopt;
  // The folder keeps its separator: "C:\" is the drive's root, "C:" is not.
  std::u16string folder = trackPath.substr(0, separator + 1);
  for (const std::u16string& name : folderPictureNames(files.fileNamesIn(folder, kMostNamesInFolder))) {
    if (std::optional<CoverPicture> picture = pictureFile(files, folder + name)) return picture;
  }
  return std::nullopt;
}

}  // namespace

// Both run on the plug-in's thread: whatever fails (memory above all) is
// no picture, never an exception that would end the player.
std::optional<CoverPicture> findCover(CoverFiles& files, const std::u16string& trackPath) {
  try {
    if (isStreamAddress(trackPath)) return std::nullopt;
    if (std::unique_ptr<CoverFile> track = files.openShared(trackPath)) {
      if (std::optional<CoverPicture> picture = embeddedPicture(*track)) return picture;
    }
    return pictureBeside(files, trackPath);
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<CoverPicture> readPictureFile(CoverFiles& files, const std::u16string& path) {
  try {
    return pictureFile(files, path);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace tavrik
