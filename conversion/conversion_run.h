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
inline constexpr int kHeaderSlots = 10;
inline constexpr int kPreambleSlots = kHeaderSlots - 2;

// Where a run shows the names it works with: the source, then each output file just
// before that file is created.
class Display {
public:
    virtual ~Display() = default;
    virtual void showSource(const std::filesystem::path& source) = 0;
    virtual void showOutput(int index, const std::filesystem::path& output) = 0;  // index 0..3
};

// What a run leaves behind for its owner (the window) to keep until the next run.
struct RunState {
    std::filesystem::path sourcePath;  // as it was chosen
    std::filesystem::path baseName;    // the source path less its extension
    std::filesystem::path outputName;  // the output file last named
    std::array<std::string, kOutputFiles> suffixes;
    // Comment lines at the top of every output file: the timestamp, the source, then one
    // for each line before the first board. Empty slots are not written.
    std::array<std::string, kHeaderSlots> header;
    std::string ranks;
    std::string filler;  // the board-99 record, twice at the top of the fourth file
};

// Converts a PBN source of 24 boards into four LIN files of six boards each, written
// beside it as <base>_1-6.lin, <base>_7-12.lin, <base>_13-18.lin and <base>_19-24.lin
// with CR LF line ends. Reads only as far as the 24th board. Returns what looks wrong in
// the deals (checkDeals), which does not stop the files being written. Throws
// ConversionError, and nothing else, on failure; output files completed before it stay, no
// other file is touched and no partial file is left behind.
std::vector<std::string> convert(RunState& state, const std::filesystem::path& source,
                                 Display& display, const Clock& clock = localTimestamp);

}  // namespace conversion
