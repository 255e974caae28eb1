// The overlay server left out (TAVRIK_OVERLAY_SERVER=OFF), only so that the
// benchmark can weigh what the real one adds to the DLL: every port stays
// unserved.
#include "overlay/overlay_server.h"

namespace tavrik {

struct OverlayServer::Running {};

OverlayServer::OverlayServer() = default;
OverlayServer::~OverlayServer() = default;

void OverlayServer::configure(std::uint16_t port) {
  status_.record(port ? OverlayOutcome::failed : OverlayOutcome::off);
}
void OverlayServer::publish(const OverlayCaption&, const std::string&) {}
void OverlayServer::finish(Clock::time_point) {}
void OverlayServer::start(std::uint16_t) {}
void OverlayServer::stop(Clock::time_point) {}

}  // namespace tavrik
