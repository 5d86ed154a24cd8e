// What the platform files share: the interrupt flag and the fault-injection seam.
#pragma once

#include <csignal>

namespace quilpack {

// The signal caught while catching, or 0.
extern volatile std::sig_atomic_t g_iInterrupt;

} // namespace quilpack
