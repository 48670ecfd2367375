#pragma once

#include <string>
#include <string_view>

namespace conversion {

// The text, cut at a whole character to a length that reads well in a message.
std::string excerpt(std::string_view text);

}  // namespace conversion
