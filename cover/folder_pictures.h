// Which of the files beside a track may be its picture, best first: cover,
// folder, front and album, each as .jpg, .jpeg and .png, then Windows Media
// Player's AlbumArt_{…}_Large.jpg. Names match in any ASCII case, as
// Windows' file names do.
#pragma once

#include <string>
#include <vector>

namespace tavrik {

// Of `names` (a folder's files, in the order the system gave them), the
// ones worth trying, in the order to try them.
std::vector<std::u16string> folderPictureNames(const std::vector<std::u16string>& names);

}  // namespace tavrik
