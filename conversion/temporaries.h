#pragma once

// The temporary files of a run, which an interrupt removes (see cleanUpOnInterrupt).

#include <filesystem>

namespace conversion {

// Watches a temporary file from just before it is created until it is renamed or removed
// (forgetTemporary); the handle to forget it by, or -1 when it cannot be watched. All of a
// run's temporary files stand in one folder, at most one for each board of a set. The window
// and the converter never run two runs at once.
int watchTemporary(const std::filesystem::path& path);
void forgetTemporary(int handle) noexcept;

// What an interrupt does before the program ends: removes every watched file.
void removeWatchedTemporaries() noexcept;

}  // namespace conversion
