#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace conversion {

// One line of a run's warning: what had to be guessed or passed over on a board, and what
// looks wrong in its deal.
struct Finding {
    int board = 0;                       // the board's place in the run, 1..24; 0 before board 1
    std::optional<std::int16_t> number;  // the board's number, where it differs from its place
    std::string text;                    // the finding, shown escaped: "North holds 12 cards."
};

// The line as the warning shows it: "Board 8 (numbered 3): ...", "Before board 1: ...".
std::string findingLine(const Finding& finding);

// The text of the warning for a run with findings: a lead line, then at most maxLines
// findings, then "and N more boards." for the rest.
std::string findingsText(const std::vector<Finding>& findings, std::size_t maxLines = 12);

}  // namespace conversion
