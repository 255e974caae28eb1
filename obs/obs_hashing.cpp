#include "obs/obs_hashing.h"

namespace tavrik {

namespace {

constexpr std::size_t kSha256Bytes = 32;

std::optional<std::string> base64OfSha256(const ObsHashing& hashing, const std::string& bytes) {
  const std::string digest = hashing.sha256(bytes);
  if (digest.size() != kSha256Bytes) return std::nullopt;
  std::string text = hashing.base64(digest);
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> obsAuthentication(const ObsHashing& hashing, const std::string& password,
                                             const std::string& salt, const std::string& challenge) {
  const std::optional<std::string> secret = base64OfSha256(hashing, password + salt);
  if (!secret) return std::nullopt;
  return base64OfSha256(hashing, *secret + challenge);
}

}  // namespace tavrik
