// A picture's media type as its first bytes say: JPEG, PNG, GIF, WebP or BMP.
// What a tag or a file name claims is never asked: the page's answer must
// name what the bytes are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cover/cover_picture.h"

namespace tavrik {

// "image/jpeg", ... or empty when the bytes start no known type.
std::string_view pictureTypeOf(std::string_view bytes);

// The bytes as a picture of the type they start; none for no known type.
std::optional<CoverPicture> typedPicture(std::string bytes);

}  // namespace tavrik
