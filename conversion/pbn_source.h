#pragma once

#include "lin_record.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace conversion {

// Longest source line accepted; anything longer is not a hand record (a stray binary file,
// say) and is refused rather than read into memory.
inline constexpr std::size_t kMaxLineLength = 32767;

// The PBN source, handed out one line at a time without its line end (LF or CR LF). Bytes
// are passed through as they are. Reads in small blocks, so only the part of the file that
// the run needs is ever read.
class PbnSource {
public:
    // Throws Fault when the file cannot be opened.
    explicit PbnSource(const std::filesystem::path& path);

    // Replaces line with the next line of the source; false, leaving line as it was, when
    // no line is left. Throws Fault for a line longer than kMaxLineLength.
    bool readLine(std::string& line);

    // Number of the line last read, counted from 1.
    int lineNumber() const { return lineNumber_; }

private:
    bool fill();

    std::ifstream file_;
    std::array<char, 16384> buffer_{};
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    int lineNumber_ = 0;
};

// True when "Board" occurs anywhere in the line: such a line ends the preamble and is where
// the next board starts.
inline bool containsBoard(std::string_view line) { return line.find("Board") != line.npos; }

// Reads the board that starts at the current line (its board tag) and the three lines after
// it, cutting the values out of fixed columns: [Board "7"], [Dealer "N"], [Vulnerable "None"]
// and [Deal "N:hand hand hand hand"]. Leaves the deal line, less its closing quote and
// bracket, as the current line. Fills board as it goes, so that after a Fault for a block of
// another shape it holds what was read before it.
void readBoard(PbnSource& source, std::string& current, BoardFields& board);

// Reads on until the current line contains "Board"; the current line itself is tested
// first. False when the source ends before such a line.
bool advanceToNextBoard(PbnSource& source, std::string& current);

}  // namespace conversion
