#pragma once

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
    // line: the source line the fault is about, 0 when it is about no line.
    Fault(std::string detail, int line = 0);
    int line() const { return line_; }

private:
    int line_;
};

// The text, cut to a length that reads well in a message.
std::string excerpt(std::string_view text);

// "expected a <what>, found <line>", with the found text cut to a readable length.
std::string expectedFound(std::string_view what, std::string_view found);

// The text of a path as it is shown and written (UTF-8 where the platform's paths are wide).
std::string pathText(const std::filesystem::path& path);

// Where in the run a fault happened.
struct FaultPlace {
    int line = 0;                             // source line, 0 when not about a line
    int board = 0;                            // place of the board in the run (1..24), 0 when none
    std::optional<std::int16_t> boardNumber;  // the number of that board, when it was read
    std::vector<std::filesystem::path> written;     // output files completed before the stop
    std::vector<std::filesystem::path> notWritten;  // the others
};

// The one error a conversion run raises. Its what() is a whole message for the user: what
// was wrong and where, the source, and which output files were written before the stop.
class ConversionError : public std::runtime_error {
public:
    ConversionError(const std::filesystem::path& source, std::string_view detail,
                    const FaultPlace& place);

    const std::string& detail() const { return detail_; }
    int line() const { return line_; }
    const std::vector<std::filesystem::path>& written() const { return written_; }

private:
    std::string detail_;
    int line_;
    std::vector<std::filesystem::path> written_;
};

}  // namespace conversion
