#include "quillotan/interrupt_cleanup.h"

#include "os.h"
#include "quillotan/set_shape.h"
#include "temporaries.h"

#include <algorithm>
#include <csignal>

namespace conversion {

namespace {

using Char = std::filesystem::path::value_type;
constexpr std::size_t kLongestPath = 32768;
constexpr std::size_t kLongestName = 32;  // a temporary file's name is short

// The watched files, kept in a form that a signal handler can use without allocating: their
// folder once, and each one's name in it.
Char folder[kLongestPath];
std::size_t folderLength = 0;
struct Watched {
    Char name[kLongestName];
    volatile std::sig_atomic_t live;
};
Watched watched[kMaxBoards];
Char joined[kLongestPath + kLongestName + 1];  // the handler's, for the path of one

}  // namespace

void cleanUpOnInterrupt() { os::onInterrupt(removeWatchedTemporaries); }

int watchTemporary(const std::filesystem::path& path) {
    const auto name = path.filename().native();
    const auto in = path.parent_path().native();
    if (name.size() >= kLongestName || in.size() >= kLongestPath) return -1;
    const auto free = std::find_if(std::begin(watched), std::end(watched),
                                   [](const Watched& slot) { return !slot.live; });
    if (free == std::end(watched)) return -1;
    if (std::none_of(std::begin(watched), std::end(watched),
                     [](const Watched& slot) { return slot.live; })) {
        std::copy(in.begin(), in.end(), folder);
        folderLength = in.size();
    }
    std::copy(name.begin(), name.end(), free->name);
    free->name[name.size()] = 0;
    free->live = 1;
    return static_cast<int>(free - std::begin(watched));
}

void forgetTemporary(int handle) noexcept {
    if (handle >= 0) watched[handle].live = 0;
}

void removeWatchedTemporaries() noexcept {
    std::copy(folder, folder + folderLength, joined);
    const std::size_t at = folderLength == 0 ? 0 : folderLength + 1;
    if (at > 0) joined[folderLength] = std::filesystem::path::preferred_separator;
    for (auto& slot : watched) {
        if (!slot.live) continue;
        Char* end =
            std::copy(slot.name, std::find(slot.name, slot.name + kLongestName, 0), joined + at);
        *end = 0;
        os::removeNow(joined);
    }
}

}  // namespace conversion
