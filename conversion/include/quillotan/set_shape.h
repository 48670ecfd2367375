#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// The boards per file of a set whose shape does not say: six, or all of them in one file
// where the set holds fewer.
int perFileFor(int boards);

// The lowest and highest value a number of the shape may take.
struct ShapeRange {
    int low, high;
};

// A shape as every front end shows it: its numbers' ranges, and either its titles and files
// or what is wrong with it.
struct ShapeDescription {
    SetShape shape;
    ShapeRange boards, perFile, fillers;  // perFile's top is the boards, where those are valid
    // What is wrong: the number at fault (none for a shape that can be converted), and a
    // sentence that names it and its range ("the number of boards must be from 1 to 99, not
    // 100").
    int SetShape::*at = nullptr;
    std::string problem;
    // For a shape that converts: "Creating 4 Lin Files from a 24-board PBN", the open-file
    // dialog's "Find 24-Board pbn File", and the number of files.
    std::string title, dialogTitle;
    int files = 0;
};

ShapeDescription describeShape(const SetShape& shape);

// The shape as typed: each number's text, a whole number in decimal digits; a text that is
// none is the problem. perFile none: perFileFor(boards).
ShapeDescription describeShape(std::string_view boards, std::optional<std::string_view> perFile,
                               std::string_view fillers);

// "in sixes", "in threes", "one to a file", "in files of 12".
std::string perFileWords(int perFile);

}  // namespace conversion
