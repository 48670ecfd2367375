#pragma once

#include <filesystem>

namespace conversion {

// Makes an interrupt (SIGINT, SIGTERM and SIGHUP, unless ignored at the start; on Windows the
// console's Ctrl-C, Ctrl-Break and close events) remove the temporary file of a run in
// progress, then end the program as the signal would have; a file-size limit stops the run
// with a message instead of ending the program. A program calls it once, before its first run.
void cleanUpOnInterrupt();

// The temporary file that an interrupt removes, from just before it is created until it is
// renamed or removed (forgetTemporary). One at a time: the window and the converter never
// run two at once.
void watchTemporary(const std::filesystem::path& path) noexcept;
void forgetTemporary() noexcept;

// What an interrupt does before the program ends: removes the watched file, if any.
void removeWatchedTemporary() noexcept;

}  // namespace conversion
