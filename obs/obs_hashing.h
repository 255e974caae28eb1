// The two primitives obs-websocket's authentication is made of, behind an
// interface: the system's own (BCrypt, crypt32) in the plug-in, a well-known
// library in the native tests.
#pragma once

#include <optional>
#include <string>

namespace tavrik {

class ObsHashing {
 public:
  virtual ~ObsHashing() = default;
  // The 32 bytes of the SHA-256 digest of `bytes`; empty when the system
  // could not make it.
  virtual std::string sha256(const std::string& bytes) const = 0;
  // Standard base64 (RFC 4648, with padding), on one line; empty for empty
  // bytes, or when the system could not make it.
  virtual std::string base64(const std::string& bytes) const = 0;
};

// The answer to OBS's challenge: base64(sha256(base64(sha256(password +
// salt)) + challenge)). The password itself never leaves the machine.
// Nothing when a step of the hashing failed: a wrong answer would only be
// refused as a wrong password.
std::optional<std::string> obsAuthentication(const ObsHashing& hashing, const std::string& password, const std::string& salt,
                              const std::string& challenge);

}  // namespace tavrik
