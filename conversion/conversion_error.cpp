#include "conversion_error.h"

#include "fault.h"

namespace conversion {

namespace {

constexpr std::size_t kMaxExcerpt = 80;

std::string joinPaths(const std::vector<std::filesystem::path>& paths) {
    std::string text;
    for (const auto& path : paths) {
        if (!text.empty()) text += ", ";
        text += pathText(path);
    }
    return text;
}

}  // namespace

void (*afterTemporaryCreated)(int index) = nullptr;

Fault::Fault(std::string detail, int line) : std::runtime_error(std::move(detail)), line_(line) {}

std::string excerpt(std::string_view text) {
    if (text.size() <= kMaxExcerpt) return std::string(text);
    return std::string(text.substr(0, kMaxExcerpt)) + "...";
}

std::string expectedFound(std::string_view what, std::string_view found) {
    std::string text = "expected ";
    text += what;
    text += ", found ";
    text += found.empty() ? "an empty line" : excerpt(found);
    return text;
}

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
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
    std::string message = "Could not convert " + pathText(source) + ".\n";
    std::string sentence = where.empty() ? std::string(detail) : where + ": " + std::string(detail);
    if (!sentence.empty() && sentence.front() >= 'a' && sentence.front() <= 'z') {
        sentence.front() = static_cast<char>(sentence.front() - 'a' + 'A');
    }
    message += sentence;
    message += ".\n";
    if (place.written.empty()) {
        message += "No output file was written.";
    } else {
        message += "Written before the stop: " + joinPaths(place.written) + ".";
        if (!place.notWritten.empty()) {
            message += "\nNot written: " + joinPaths(place.notWritten) + ".";
        }
    }
    return ConversionError(message, std::move(place.written));
}

ConversionError::ConversionError(const std::string& message,
                                 std::vector<std::filesystem::path> written)
    : std::runtime_error(message), written_(std::move(written)) {}

}  // namespace conversion
