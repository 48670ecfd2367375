#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// The one error a conversion run raises. Its what() is a whole message for the user: what
// was wrong and where, the source, and which output files were written before the stop.
class ConversionError : public std::runtime_error {
public:
    // summary: the message's first two lines, the source and what was wrong where; files: the
    // lines that say which output files were written, which follow it.
    ConversionError(const std::string& summary, const std::string& files,
                    std::vector<std::filesystem::path> written);

    // The first two lines of what(): "Could not convert SOURCE." and what was wrong where.
    const std::string& summary() const { return summary_; }

    // The output files completed before the stop, in order: a first part of the run's.
    const std::vector<std::filesystem::path>& written() const { return written_; }

private:
    std::string summary_;
    std::vector<std::filesystem::path> written_;
};

// The error for a source not converted: "Could not convert SOURCE.", the sentence (shown
// escaped, from a capital, with a full stop), then which output files were written before the
// stop and which were not, or "No output file was written.".
ConversionError notConverted(const std::filesystem::path& source, std::string_view sentence,
                             std::vector<std::filesystem::path> written = {},
                             const std::vector<std::filesystem::path>& notWritten = {});

}  // namespace conversion
