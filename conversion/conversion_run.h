#pragma once

#include "conversion_error.h"
#include "findings.h"
#include "timestamp.h"

#include <array>
#include <filesystem>
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

// What a run that converted gives.
struct RunResult {
    OutputPaths outputs;            // the four files written
    std::vector<Finding> findings;  // what was guessed and what looks wrong, in board order
};

// Converts a PBN source of 24 boards into the four LIN files of outputPaths(source), six
// boards each, with CR LF line ends. Reads only as far as the 24th board. Findings do not
// stop the files being written. Throws ConversionError, and nothing else, on failure; output
// files completed before it stay, no other file is touched and no partial file is left
// behind.
RunResult convert(const std::filesystem::path& source, const Clock& clock = localTimestamp);

}  // namespace conversion
