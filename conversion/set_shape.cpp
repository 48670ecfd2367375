#include "quillotan/set_shape.h"

#include <string_view>

namespace conversion {

namespace {

ShapeProblem outside(int SetShape::*number, std::string_view what, int low, std::string_view high,
                     int value) {
    return {number, "the " + std::string(what) + " must be from " + std::to_string(low) + " to " +
                        std::string(high) + ", not " + std::to_string(value)};
}

}  // namespace

ShapeProblem shapeProblem(const SetShape& shape) {
    if (shape.boards < 1 || shape.boards > kMaxBoards) {
        return outside(&SetShape::boards, "number of boards", 1, std::to_string(kMaxBoards),
                       shape.boards);
    }
    if (shape.perFile < 1 || shape.perFile > shape.boards) {
        return outside(&SetShape::perFile, "boards per file", 1,
                       "the number of boards (" + std::to_string(shape.boards) + ")",
                       shape.perFile);
    }
    if (shape.fillers < 0 || shape.fillers > kMaxFillers) {
        return outside(&SetShape::fillers, "filler boards", 0, std::to_string(kMaxFillers),
                       shape.fillers);
    }
    return {};
}

std::string shapeTitle(const SetShape& shape) {
    const int files = shape.files();
    return "Creating " + std::to_string(files) + (files == 1 ? " Lin File" : " Lin Files") +
           " from a " + std::to_string(shape.boards) + "-board PBN";
}

std::string shapeDialogTitle(const SetShape& shape) {
    return "Find " + std::to_string(shape.boards) + "-Board pbn File";
}

}  // namespace conversion
