#include "obs/obs_hashing.h"

namespace tavrik {

std::string obsAuthentication(const ObsHashing& hashing, const std::string& password, const std::string& salt,
                              const std::string& challenge) {
  const std::string secret = hashing.base64(hashing.sha256(password + salt));
  return hashing.base64(hashing.sha256(secret + challenge));
}

}  // namespace tavrik
