// The configured address of OBS's WebSocket server: "host:port", "[v6]:port"
// or a host alone, which takes obs-websocket's default port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavrik {

inline constexpr std::uint16_t kObsDefaultPort = 4455;

struct ObsAddress {
  std::string host;  // without the brackets of an IPv6 address
  std::uint16_t port = kObsDefaultPort;
  bool operator==(const ObsAddress& other) const { return host == other.host && port == other.port; }
};

// Nothing when the text names no host or no port from 1 to 65535; the text is
// taken as it stands (no trimming, no name lookup).
std::optional<ObsAddress> parseObsAddress(const std::string& text);

}  // namespace tavrik
