// SHA-256 through BCrypt and base64 through crypt32: the system's own, so
// that the plug-in carries no cryptography of its own.
#pragma once

#include "obs/obs_hashing.h"

namespace tavrik {

class WindowsObsHashing final : public ObsHashing {
 public:
  // An empty text when the system refuses (it does not on any Windows the
  // host runs on); OBS then refuses the password.
  std::string sha256(const std::string& bytes) const override;
  std::string base64(const std::string& bytes) const override;
};

}  // namespace tavrik
