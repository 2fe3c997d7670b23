#include "platform/sim/sim_platform.h"

namespace tora {
// Placeholder until the BMP decoder lands.
bool SimRenderDib(const uint8_t*, size_t, const uint8_t*, size_t, Frame&) { return false; }
}  // namespace tora
