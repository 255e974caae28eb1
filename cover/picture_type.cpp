#include "cover/picture_type.h"

namespace tavrik {

std::string_view pictureTypeOf(std::string_view bytes) {
  auto startsWith = [bytes](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
  if (startsWith("\xFF\xD8\xFF")) return "image/jpeg";
  if (startsWith("\x89PNG\r\n\x1A\n")) return "image/png";
  if (startsWith("GIF87a") || startsWith("GIF89a")) return "image/gif";
  if (startsWith("RIFF") && bytes.size() >= 12 && bytes.substr(8, 4) == "WEBP") return "image/webp";
  if (startsWith("BM")) return "image/bmp";
  return {};
}

std::optional<CoverPicture> typedPicture(std::string bytes) {
  std::string_view type = pictureTypeOf(bytes);
  if (type.empty()) return std::nullopt;
  return CoverPicture{std::move(bytes), std::string(type)};
}

}  // namespace tavrik
