#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace conversion {

// One line of a run's warning: what had to be guessed or passed over on a board, and what
// looks wrong in its deal.
struct Finding {
    int board = 0;                       // the board's place in the set, from 1; 0 before board 1
    std::optional<std::int16_t> number;  // the board's number, once it was read
    std::string text;                    // the finding, shown escaped: "North holds 12 cards."
};

// The line as the warning shows it: "Board 8 (numbered 3): ...", "Before board 1: ...".
std::string findingLine(const Finding& finding);

// Where the files of a run stand when its warning is shown: written beside the source (the
// window, the converter), or offered for saving (the page).
enum class FilesAre { Written, Offered };

// The line for several files opened at once, of which a front end converts the first: "3 files
// were opened: only the first is converted."; empty for one.
std::string onlyTheFirst(int opened);

}  // namespace conversion
