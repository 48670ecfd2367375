#pragma once

#include <functional>
#include <string>

namespace conversion {

// The moment a run is made, as written into the first header line.
struct Timestamp {
    std::string date;  // "d mmm yyyy": 5 Dec 2026, the month as the user's locale names it
    std::string time;  // "hh:mm" on the 24-hour clock: 09:07
};

// Where a run takes its timestamp from; tests pass a fixed one.
using Clock = std::function<Timestamp()>;

// Reads the system clock once and formats it in local time.
Timestamp localTimestamp();

}  // namespace conversion
