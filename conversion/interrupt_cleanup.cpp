#include "quillotan/interrupt_cleanup.h"

#include "os.h"

#include <algorithm>
#include <csignal>

namespace conversion {

namespace {

// The watched path, kept in a form that a signal handler can use without allocating.
std::filesystem::path::value_type pending[32768];
volatile std::sig_atomic_t hasPending = 0;

}  // namespace

void cleanUpOnInterrupt() { os::onInterrupt(removeWatchedTemporary); }

void watchTemporary(const std::filesystem::path& path) noexcept {
    hasPending = 0;
    const auto& native = path.native();
    if (native.size() >= std::size(pending)) return;  // too long to be created
    std::copy(native.begin(), native.end(), pending);
    pending[native.size()] = 0;
    hasPending = 1;
}

void forgetTemporary() noexcept { hasPending = 0; }

void removeWatchedTemporary() noexcept {
    if (hasPending) os::removeNow(pending);
}

}  // namespace conversion
