#include "quillotan/set_shape.h"

#include "excerpt.h"
#include "quillotan/display_text.h"

#include <algorithm>
#include <array>
#include <climits>

namespace conversion {

namespace {

constexpr int kDefaultPerFile = SetShape{}.perFile;

struct Number {
    int SetShape::*at;
    const char* name;
};
constexpr Number kBoards{&SetShape::boards, "number of boards"};
constexpr Number kPerFile{&SetShape::perFile, "boards per file"};
constexpr Number kFillers{&SetShape::fillers, "filler boards"};

// "the number of boards must be from 1 to 99, not 100"; the top of the boards per file is
// named for what it is.
void refuse(ShapeDescription& shape, const Number& number, const ShapeRange& range,
            std::string_view typed) {
    if (shape.at) return;  // the first number at fault is named
    const std::string high = number.at == &SetShape::perFile
                                 ? "the number of boards (" + std::to_string(range.high) + ")"
                                 : std::to_string(range.high);
    shape.at = number.at;
    shape.problem = "the " + std::string(number.name) + " must be from " +
                    std::to_string(range.low) + " to " + high + ", not " + std::string(typed);
}

// A number as typed: decimal digits, at most one sign; one too large to hold counts as
// out of every range. None for any other text.
std::optional<int> wholeNumber(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != text.npos) return std::nullopt;
    long long value = 0;
    for (const char digit : text) value = std::min<long long>(value * 10 + (digit - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

void check(ShapeDescription& shape, const Number& number, const ShapeRange& range,
           std::string_view typed) {
    const auto value = wholeNumber(typed);
    if (!value) {
        if (shape.at) return;
        shape.at = number.at;
        shape.problem = "the " + std::string(number.name) + " must be a whole number, not \"" +
                        excerpt(displayText(typed)) + "\"";
        return;
    }
    shape.shape.*number.at = *value;
    if (*value < range.low || *value > range.high) refuse(shape, number, range, typed);
}

// "a 24-board PBN", "an 18-board PBN": the article as the number is spoken.
std::string sized(int boards) {
    const bool vowel = boards == 8 || boards == 11 || boards == 18 || boards / 10 == 8;
    return (vowel ? "an " : "a ") + std::to_string(boards) + "-board PBN";
}

}  // namespace

int perFileFor(int boards) { return std::clamp(boards, 1, kDefaultPerFile); }

ShapeDescription describeShape(std::string_view boards, std::optional<std::string_view> perFile,
                               std::string_view fillers) {
    ShapeDescription shape;
    shape.boards = {1, kMaxBoards};
    shape.fillers = {0, kMaxFillers};
    check(shape, kBoards, shape.boards, boards);
    const bool boardsValid = !shape.at;
    shape.perFile = {1, boardsValid ? shape.shape.boards : kMaxBoards};
    const std::string byDefault = std::to_string(perFileFor(shape.shape.boards));
    check(shape, kPerFile, shape.perFile, perFile.value_or(byDefault));
    check(shape, kFillers, shape.fillers, fillers);
    if (shape.at) return shape;
    shape.files = shape.shape.files();
    shape.title = "Creating " + std::to_string(shape.files) +
                  (shape.files == 1 ? " Lin File" : " Lin Files") + " from " +
                  sized(shape.shape.boards);
    shape.dialogTitle = "Find " + std::to_string(shape.shape.boards) + "-Board pbn File";
    return shape;
}

ShapeDescription describeShape(const SetShape& shape) {
    return describeShape(std::to_string(shape.boards), std::to_string(shape.perFile),
                         std::to_string(shape.fillers));
}

std::string perFileWords(int perFile) {
    static constexpr std::array<const char*, 11> kWords = {
        "", "", "twos", "threes", "fours", "fives", "sixes", "sevens", "eights", "nines", "tens"};
    if (perFile == 1) return "one to a file";
    if (perFile < 1 || perFile > 10) return "in files of " + std::to_string(perFile);
    return std::string("in ") + kWords[perFile];
}

}  // namespace conversion
