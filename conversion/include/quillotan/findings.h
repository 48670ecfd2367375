#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace conversion {

// One line of a run's warning: what had to be guessed or passed over on a board, and what
// looks wrong in its deal; or something about the source as a whole.
struct Finding {
    static constexpr int kWholeSource = -1;  // a board of kWholeSource: about no one board

    int board = 0;                       // the board's place in the set, from 1; 0 before board 1
    std::optional<std::int16_t> number;  // the board's number, once it was read
    std::string text;                    // the finding, shown escaped: "North holds 12 cards."
};

// A board as messages name it: "board 8", with its number where that differs from its place,
// "board 8 (numbered 3)".
std::string boardName(int place, std::optional<std::int16_t> number);

// The line as the warning shows it: "Board 8 (numbered 3): ...", "Before board 1: ...".
std::string findingLine(const Finding& finding);

// Where the files of a run stand when its warning is shown: written beside the source (the
// window, the converter), or offered for saving (the page).
enum class FilesAre { Written, Offered };

// The text of the warning for a run of that many files with findings: a lead line, then at
// most maxLines findings, then "and N more boards." for the rest.
std::string findingsText(const std::vector<Finding>& findings, int files,
                         FilesAre state = FilesAre::Written, std::size_t maxLines = 12);

}  // namespace conversion
