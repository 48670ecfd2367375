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

// The text of a path as it is shown and written (UTF-8 where the platform's paths are wide).
std::string pathText(const std::filesystem::path& path);

}  // namespace conversion
