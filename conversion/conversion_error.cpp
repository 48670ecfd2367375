#include "conversion_error.h"

namespace conversion {

ConversionError::ConversionError(const std::string& summary, const std::string& files,
                                 std::vector<std::filesystem::path> written)
    : std::runtime_error(summary + "\n" + files), summary_(summary), written_(std::move(written)) {}

}  // namespace conversion
