#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// The one error a conversion run raises. Its what() is a whole message for the user: what
// was wrong and where, the source, and that no file was written.
class ConversionError : public std::runtime_error {
public:
    // summary: the message's first two lines, the source and what was wrong where; files: the
    // line that says what stands beside the source, which follows it.
    ConversionError(const std::string& summary, const std::string& files);

    // The first two lines of what(): "Could not convert SOURCE." and what was wrong where.
    const std::string& summary() const { return summary_; }

private:
    std::string summary_;
};

// The error for a source not converted: "Could not convert SOURCE.", the sentence (shown
// escaped, from a capital, with a full stop), then "No file was written." and which earlier
// files of the set's names stand untouched.
ConversionError notConverted(const std::filesystem::path& source, std::string_view sentence,
                             const std::vector<std::filesystem::path>& earlier = {});

// "Week12_1-6.lin", "Week12_1-6.lin and 3 more files": the first file's name stands for all.
std::string someFiles(const std::vector<std::filesystem::path>& files);

}  // namespace conversion
