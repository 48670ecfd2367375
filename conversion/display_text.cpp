#include "quillotan/display_text.h"

#include "excerpt.h"
#include "utf8.h"

#include <algorithm>

namespace conversion {

namespace {

constexpr std::size_t kMaxExcerpt = 80;
constexpr char kHex[] = "0123456789abcdef";

// A control character: C0, DEL, or C1.
bool isControl(char32_t code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }

// Characters that show nothing themselves but reorder or hide the text around them: the
// bidirectional controls and marks, and the zero-width ones.
bool isInvisible(char32_t code) {
    return code == 0x061C || (code >= 0x200B && code <= 0x200F) ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ||
           code == 0xFEFF;
}

void escapeByte(std::string& shown, unsigned char byte) {
    const auto named = std::string_view("\0\t\n\r", 4).find(static_cast<char>(byte));
    shown += '\\';
    if (named != std::string_view::npos) {
        shown += "0tnr"[named];
    } else {
        shown += 'x';
        shown += kHex[byte >> 4];
        shown += kHex[byte & 15];
    }
}

// A path's own string as UTF-8: as it is where paths are bytes; from UTF-16 by hand where
// they are wide, as the library's own conversion throws on a lone surrogate.
template <class Char>
std::string utf8Of(const std::basic_string<Char>& native) {
    if constexpr (sizeof(Char) == 1) {
        return native;
    } else {
        std::string text;
        text.reserve(native.size());
        for (std::size_t i = 0, units = 1; i < native.size(); i += units) {
            const char32_t next = i + 1 < native.size() ? static_cast<char16_t>(native[i + 1]) : 0;
            char bytes[4];
            text.append(
                bytes,
                encodeUtf8(decodeUtf16(static_cast<char16_t>(native[i]), next, units), bytes));
        }
        return text;
    }
}

}  // namespace

std::string pathText(const std::filesystem::path& path) { return utf8Of(path.native()); }

std::string displayText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = utf8Length(text);
        const char32_t code = length > 0 ? decodeUtf8(text, length) : 0;
        if (length > 0 && isInvisible(code)) {
            shown += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) shown += kHex[code >> shift & 15];
        } else if (length > 0 && !isControl(code)) {
            shown.append(text.substr(0, length));
        } else {
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
                escapeByte(shown, static_cast<unsigned char>(text[i]));
            }
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return shown;
}

std::string sentence(std::string_view text) {
    std::string shown = displayText(text);
    if (!shown.empty() && shown.front() >= 'a' && shown.front() <= 'z') {
        shown.front() = static_cast<char>(shown.front() - 'a' + 'A');
    }
    return shown + ".";
}

std::string displayPath(const std::filesystem::path& path) { return displayText(pathText(path)); }

std::string excerpt(std::string_view text) {
    if (text.size() <= kMaxExcerpt) return std::string(text);
    std::size_t cut = kMaxExcerpt;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut)) + "...";
}

}  // namespace conversion
