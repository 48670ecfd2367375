#pragma once

#include <string>

namespace conversion {

// The shape of a club's set: how many boards it holds, how many go into each LIN file, and
// how many filler boards lead the last file. The default is 24 boards in four files of six,
// with two fillers.
struct SetShape {
    int boards = 24;  // boards in the set, 1 to kMaxBoards
    int perFile = 6;  // boards in each file, 1 to boards; the last file holds what is left
    int fillers = 2;  // board-99 records at the head of the last file, 0 to kMaxFillers

    int files() const { return (boards + perFile - 1) / perFile; }
    bool operator==(const SetShape&) const = default;
};

inline constexpr int kMaxBoards = 99;
inline constexpr int kMaxFillers = 9;

// What is wrong with a shape: the number at fault (none for a shape that can be converted),
// and a sentence that names it and its range ("the number of boards must be from 1 to 99, not
// 100").
struct ShapeProblem {
    int SetShape::*number = nullptr;
    std::string text;
};
ShapeProblem shapeProblem(const SetShape& shape);

// The window's and the page's captions: "Creating 4 Lin Files from a 24-board PBN", and the
// open-file dialog's "Find 24-Board pbn File".
std::string shapeTitle(const SetShape& shape);
std::string shapeDialogTitle(const SetShape& shape);

}  // namespace conversion
