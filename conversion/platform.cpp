#include "quillotan/platform.h"

#include "os.h"

namespace conversion::os {

std::filesystem::path comparisonKey(const std::filesystem::path& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    const auto resolved = std::filesystem::weakly_canonical(absolute, error);
    return foldedCase(error ? absolute.lexically_normal() : resolved);
}

}  // namespace conversion::os
