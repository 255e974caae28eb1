#include "cover/folder_pictures.h"

#include <string_view>

#include "common/ascii.h"

namespace tavrik {
namespace {

constexpr std::u16string_view kStems[] = {u"cover", u"folder", u"front", u"album"};
constexpr std::u16string_view kExtensions[] = {u".jpg", u".jpeg", u".png"};
constexpr std::u16string_view kAlbumArtStart = u"albumart_{";
constexpr std::u16string_view kAlbumArtEnd = u"}_large.jpg";

bool sameName(std::u16string_view a, std::u16string_view b) { return equalsIgnoringAsciiCase(a, b); }

// "AlbumArt_{", the album's id (any text), "}_Large.jpg".
bool isAlbumArt(std::u16string_view name) {
  return name.size() >= kAlbumArtStart.size() + kAlbumArtEnd.size() &&
         sameName(name.substr(0, kAlbumArtStart.size()), kAlbumArtStart) &&
         sameName(name.substr(name.size() - kAlbumArtEnd.size()), kAlbumArtEnd);
}

}  // namespace

std::vector<std::u16string> folderPictureNames(const std::vector<std::u16string>& names) {
  std::vector<std::u16string> chosen;
  for (std::u16string_view stem : kStems) {
    for (std::u16string_view extension : kExtensions) {
      std::u16string wanted = std::u16string(stem) + std::u16string(extension);
      for (const std::u16string& name : names) {
        if (sameName(name, wanted)) chosen.push_back(name);
      }
    }
  }
  for (const std::u16string& name : names) {
    if (isAlbumArt(name)) chosen.push_back(name);
  }
  return chosen;
}

}  // namespace tavrik
