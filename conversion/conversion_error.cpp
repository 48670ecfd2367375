#include "quillotan/conversion_error.h"

#include "quillotan/display_text.h"

namespace conversion {

ConversionError::ConversionError(const std::string& summary, const std::string& files)
    : std::runtime_error(summary + "\n" + files), summary_(summary) {}

std::string someFiles(const std::vector<std::filesystem::path>& files) {
    if (files.empty()) return {};
    std::string text = displayPath(files.front().filename());
    const auto more = files.size() - 1;
    if (more > 0)
        text += " and " + std::to_string(more) + (more == 1 ? " more file" : " more files");
    return text;
}

ConversionError notConverted(const std::filesystem::path& source, std::string_view sentence,
                             const std::vector<std::filesystem::path>& earlier) {
    const std::string summary =
        "Could not convert " + displayPath(source) + ".\n" + conversion::sentence(sentence);
    std::string files = "No file was written.";
    if (!earlier.empty()) {
        files += " The earlier " + someFiles(earlier) +
                 (earlier.size() == 1 ? " beside the source is" : " beside the source are") +
                 " untouched.";
    }
    return ConversionError(summary, files);
}

}  // namespace conversion
