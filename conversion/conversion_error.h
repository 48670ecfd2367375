#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace conversion {

// The one error a conversion run raises. Its what() is a whole message for the user: what
// was wrong and where, the source, and which output files were written before the stop.
class ConversionError : public std::runtime_error {
public:
    ConversionError(const std::string& message, std::vector<std::filesystem::path> written);

    // The output files completed before the stop, in order: a first part of outputPaths().
    const std::vector<std::filesystem::path>& written() const { return written_; }

private:
    std::vector<std::filesystem::path> written_;
};

// The text of a path as it is written (UTF-8 where the platform's paths are wide).
std::string pathText(const std::filesystem::path& path);

// Text from a source or a file name as it is shown: control characters (C0, DEL, C1) and
// bytes that are no valid UTF-8 are escaped, \0 \t \n \r for those four and \xHH for every
// other byte (a C1 character's two bytes each), so that nothing reaches a screen raw. The
// backslash itself is not escaped: a Windows path reads as it is.
std::string displayText(std::string_view text);

// A path as it is shown: displayText(pathText(path)).
std::string displayPath(const std::filesystem::path& path);

}  // namespace conversion
