#pragma once

// The core's own business: how its parts report a fault to the run. The front ends see only
// ConversionError.

#include "quillotan/conversion_error.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// A fault in the source or in writing an output, as found by the reader, the record
// builder or an output file. The run catches it and raises a ConversionError that adds
// where in the run it happened; it never leaves the library.
class Fault : public std::runtime_error {
public:
    // line: the source line the fault is about, 0 when it is about no line; boardNumber: the
    // number of the board it is about, once that was read.
    Fault(std::string detail, int line = 0, std::optional<std::int16_t> boardNumber = {});
    const std::string& detail() const { return detail_; }  // what() stops at a NUL; this not
    int line() const { return line_; }
    std::optional<std::int16_t> boardNumber() const { return boardNumber_; }

private:
    std::string detail_;
    int line_;
    std::optional<std::int16_t> boardNumber_;
};

// A board as messages name it: "board 8", with its number where that differs from its place,
// "board 8 (numbered 3)".
std::string boardName(int place, std::optional<std::int16_t> number);

// "expected a <what>, found <line>", with the found text cut to a readable length.
std::string expectedFound(std::string_view what, std::string_view found);

// Where in the run a fault happened.
struct FaultPlace {
    int line = 0;                                // source line, 0 when not about a line
    int board = 0;                               // place of the board in the set, from 1; 0: none
    std::optional<std::int16_t> boardNumber;     // the number of that board, when it was read
    std::vector<std::filesystem::path> earlier;  // files of the set's names beside the source
};

// The error for the user: the fault's detail, its place, the source and the earlier files.
ConversionError describeFault(const std::filesystem::path& source, std::string_view detail,
                              FaultPlace place);

}  // namespace conversion
