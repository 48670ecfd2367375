#include "quillotan/conversion_error.h"

#include "quillotan/display_text.h"

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

ConversionError::ConversionError(const std::string& summary, const std::string& files,
                                 std::vector<std::filesystem::path> written)
    : std::runtime_error(summary + "\n" + files), summary_(summary), written_(std::move(written)) {}

ConversionError notConverted(const std::filesystem::path& source, std::string_view sentence,
                             std::vector<std::filesystem::path> written,
                             const std::vector<std::filesystem::path>& notWritten) {
    std::string shown = displayText(sentence);
    if (!shown.empty() && shown.front() >= 'a' && shown.front() <= 'z') {
        shown.front() = static_cast<char>(shown.front() - 'a' + 'A');
    }
    const std::string summary = "Could not convert " + displayPath(source) + ".\n" + shown + ".";
    std::string files = "No output file was written.";
    if (!written.empty()) {
        files = "Written before the stop: " + joinPaths(written) + ".";
        if (!notWritten.empty()) files += "\nNot written: " + joinPaths(notWritten) + ".";
    }
    return ConversionError(summary, files, std::move(written));
}

}  // namespace conversion
