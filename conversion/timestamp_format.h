#pragma once

#include "quillotan/timestamp.h"

#include <ctime>

namespace conversion {

// A broken-down local time in the user's locale's words.
Timestamp formatTimestamp(const std::tm& moment);

}  // namespace conversion
