#pragma once

// The system calls of the core, one source file for each platform: os_posix.cpp and
// os_windows.cpp. Everything else in the core is portable.

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace conversion::os {

// Creates the file for writing only if no file of that name exists, so that two runs never
// share one, with no permission bits beyond perms (and the user's mask) from the start; nullptr,
// with errno set, when it cannot. On Windows another program may delete the file while it is
// open (the console's interrupt handler does).
std::FILE* createNew(const std::filesystem::path& path, std::filesystem::perms perms);

// Writes what the file holds through to the disk; false, with errno set, when the disk
// refuses.
bool flushToDisk(std::FILE* file);

// The folder's entries through to the disk, where the system needs that for a rename to last.
void flushFolder(const std::filesystem::path& folder);

// The longest name the folder allows, in the units the system counts.
std::size_t nameLimit(const std::filesystem::path& folder);

// The longest absolute path the system allows, in its units; 0 when it sets none.
std::size_t pathLimit();

// Whose an existing file is, as far as replacing it goes.
enum class Holder {
    User,                 // the user's own: a replacement keeps its permission bits
    Other,                // another user's (or unknown): a replacement keeps none
    OtherInStickyFolder,  // another user's in a folder that lets only the owner replace it
};
Holder holderOf(const std::filesystem::path& file);

// The name a file is opened by: on Windows, the name less its trailing dots and spaces,
// which Windows drops.
std::filesystem::path openedName(const std::filesystem::path& name);

// The device the file's name names, in upper case, or an empty path for a file (Windows: CON,
// PRN, AUX, NUL, COM0-9 and LPT0-9, COM and LPT with a superscript 1, 2 or 3, with any
// extension).
std::filesystem::path deviceOf(const std::filesystem::path& file);

// The moment in local time, and its month's abbreviation in the user's language as the
// system names it; empty where the system leaves that to the C++ locale.
std::tm localTime(std::time_t moment);
std::string monthName(const std::tm& moment);

// The path as names compare where they ignore case (Windows: in upper case), else as it is.
std::filesystem::path foldedCase(const std::filesystem::path& path);

// Removes the file now; safe to call from a signal handler.
void removeNow(const std::filesystem::path::value_type* path) noexcept;

// While held, an interrupt waits, and takes effect once released: the few renames that put a
// run's files in place are done whole, or undone whole, before it.
void holdInterrupts(bool hold) noexcept;

// Calls cleanup when the user interrupts the program (SIGINT, SIGTERM, SIGHUP; on Windows
// the console's Ctrl-C, Ctrl-Break and close events), then lets the program end as it would
// have. A signal ignored at the start (under nohup, in a background job) stays ignored. A
// file-size limit (SIGXFSZ) makes the write fail instead of ending the program.
void onInterrupt(void (*cleanup)() noexcept);

}  // namespace conversion::os
