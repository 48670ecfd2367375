#include "fault.h"

#include "display_text.h"

namespace conversion {

namespace {

std::string joinPaths(const std::vector<std::filesystem::path>& paths) {
    std::string text;
    for (const auto& path : paths) {
        if (!text.empty()) text += ", ";
        text += displayPath(path);
    }
    return text;
}

}  // namespace

void (*afterTemporaryCreated)(int index) = nullptr;

Fault::Fault(std::string detail, int line, std::optional<std::int16_t> boardNumber)
    : std::runtime_error(detail),
      detail_(std::move(detail)),
      line_(line),
      boardNumber_(boardNumber) {}

std::string expectedFound(std::string_view what, std::string_view found) {
    std::string text = "expected ";
    text += what;
    text += ", found ";
    text += found.empty() ? "an empty line" : excerpt(found);
    return text;
}

ConversionError describeFault(const std::filesystem::path& source, std::string_view detail,
                              FaultPlace place) {
    std::string where;
    if (place.line > 0) where = "Line " + std::to_string(place.line);
    if (place.board > 0) {
        if (!where.empty()) where += ", ";
        where += "board " + std::to_string(place.board);
        if (place.boardNumber && *place.boardNumber != place.board) {
            where += " (numbered " + std::to_string(*place.boardNumber) + ")";
        }
    }
    const std::string shown = displayText(detail);
    std::string sentence = where.empty() ? shown : where + ": " + shown;
    if (!sentence.empty() && sentence.front() >= 'a' && sentence.front() <= 'z') {
        sentence.front() = static_cast<char>(sentence.front() - 'a' + 'A');
    }
    const std::string summary = "Could not convert " + displayPath(source) + ".\n" + sentence + ".";
    std::string files;
    if (place.written.empty()) {
        files = "No output file was written.";
    } else {
        files = "Written before the stop: " + joinPaths(place.written) + ".";
        if (!place.notWritten.empty()) {
            files += "\nNot written: " + joinPaths(place.notWritten) + ".";
        }
    }
    return ConversionError(summary, files, std::move(place.written));
}

}  // namespace conversion
