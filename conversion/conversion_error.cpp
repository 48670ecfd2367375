#include "conversion_error.h"

#include "fault.h"

#include <algorithm>

namespace conversion {

namespace {

constexpr std::size_t kMaxExcerpt = 80;

std::string joinPaths(const std::vector<std::filesystem::path>& paths) {
    std::string text;
    for (const auto& path : paths) {
        if (!text.empty()) text += ", ";
        text += displayPath(path);
    }
    return text;
}

// A control character among the first bytes of text: C0, DEL, or C1 in UTF-8.
bool isControl(std::string_view text) {
    const auto byte = static_cast<unsigned char>(text[0]);
    return byte < 0x20 || byte == 0x7F ||
           (byte == 0xC2 && text.size() > 1 && static_cast<unsigned char>(text[1]) < 0xA0);
}

}  // namespace

void (*afterTemporaryCreated)(int index) = nullptr;

Fault::Fault(std::string detail, int line)
    : std::runtime_error(detail), detail_(std::move(detail)), line_(line) {}

std::size_t utf8Length(std::string_view text) {
    const auto at = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xC2 && lead < 0xE0   ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80) return 0;
    }
    // No overlong forms, no surrogates, nothing above U+10FFFF.
    const unsigned char second = at(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return 0;
    }
    return length;
}

std::string displayText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = utf8Length(text);
        if (length > 0 && !isControl(text)) {
            shown.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        }
        for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            const auto named = std::string_view("\0\t\n\r", 4).find(static_cast<char>(byte));
            if (named != std::string_view::npos) {
                shown += '\\';
                shown += "0tnr"[named];
            } else {
                static constexpr char kHex[] = "0123456789abcdef";
                shown += "\\x";
                shown += kHex[byte >> 4];
                shown += kHex[byte & 15];
            }
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return shown;
}

std::string displayPath(const std::filesystem::path& path) { return displayText(pathText(path)); }

// Cut at a whole UTF-8 character.
std::string excerpt(std::string_view text) {
    if (text.size() <= kMaxExcerpt) return std::string(text);
    std::size_t cut = kMaxExcerpt;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut)) + "...";
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
    std::string message = "Could not convert " + displayPath(source) + ".\n";
    const std::string shown = displayText(detail);
    std::string sentence = where.empty() ? shown : where + ": " + shown;
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
