#pragma once

// What the front ends ask of the system, answered in the core's files for each platform
// (os_posix.cpp, os_windows.cpp), so that no front end names a platform.

#include <filesystem>
#include <vector>

namespace conversion::os {

// The program's arguments after its name, as paths: on Windows from the wide command line,
// so that any name survives; elsewhere the bytes as they are.
std::vector<std::filesystem::path> arguments(int argc, char** argv);

// A path as a check for the same file by name compares it: absolute, resolved as the file
// system resolves it as far as it exists (links, then ..), and where names ignore case
// (Windows) in upper case.
std::filesystem::path comparisonKey(const std::filesystem::path& path);

// The console of a program that writes text for people, while this lives (one at a time). On
// Windows the console shows UTF-8, as paths and suit symbols are written, and gets its code
// page back at the end, or when Ctrl-C or a closed console ends the program; a console that
// the program opened for itself and that a person can see (started from Explorer: a double
// click, a file dropped on it) asks for Enter before it closes, so that what was written can
// be read; a hidden one (a scheduled task, a program started with no window) never waits. On
// POSIX a reader that goes away makes a write fail instead of ending the program.
class ConsoleSession {
public:
    ConsoleSession();
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;
};

}  // namespace conversion::os
