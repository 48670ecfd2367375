#pragma once

#include "conversion_error.h"
#include "timestamp.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace conversion {

inline constexpr int kOutputFiles = 4;
inline constexpr int kBoardsPerFile = 6;
inline constexpr int kBoardsPerRun = kOutputFiles * kBoardsPerFile;

using OutputPaths = std::array<std::filesystem::path, kOutputFiles>;

// The four files a run of source writes, beside it and in this order: <base>_1-6.lin,
// <base>_7-12.lin, <base>_13-18.lin and <base>_19-24.lin, base being source less its
// extension.
OutputPaths outputPaths(const std::filesystem::path& source);

// Converts a PBN source of 24 boards into the four LIN files of outputPaths(source), six
// boards each, with CR LF line ends. Reads only as far as the 24th board. Returns what looks
// wrong in the deals (checkDeals), which does not stop the files being written. Throws
// ConversionError, and nothing else, on failure; output files completed before it stay, no
// other file is touched and no partial file is left behind.
std::vector<std::string> convert(const std::filesystem::path& source,
                                 const Clock& clock = localTimestamp);

// Makes SIGINT, SIGTERM and SIGHUP (on Windows the console's Ctrl-C, Ctrl-Break and close
// events) remove the temporary file of a run in progress, then end the program as the signal
// would have. A program calls it once, before its first run.
void cleanUpOnInterrupt();

}  // namespace conversion
