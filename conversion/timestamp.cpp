#include "os.h"
#include "timestamp_format.h"

#include <chrono>
#include <iomanip>
#include <locale>
#include <sstream>

namespace conversion {

namespace {

// The month's abbreviation in the user's language: the system's where it names it, else the
// C++ locale's.
std::string monthName(const std::tm& moment) {
    if (std::string name = os::monthName(moment); !name.empty()) return name;
    // The user's locale, read from the environment once; an unknown name there gives the
    // classic one.
    static const std::locale user = [] {
        try {
            return std::locale("");
        } catch (const std::runtime_error&) {
            return std::locale::classic();
        }
    }();
    std::ostringstream month;
    month.imbue(user);
    month << std::put_time(&moment, "%b");
    return month.str();
}

}  // namespace

Timestamp formatTimestamp(const std::tm& moment) {
    // Only the month takes the locale's words; the numbers keep plain digits, with no
    // grouping of the year.
    std::ostringstream date;
    date << moment.tm_mday << ' ' << monthName(moment) << ' ' << std::setfill('0') << std::setw(4)
         << (moment.tm_year + 1900);
    std::ostringstream time;
    time << std::setfill('0') << std::setw(2) << moment.tm_hour << ':' << std::setw(2)
         << moment.tm_min;
    return {date.str(), time.str()};
}

Timestamp localTimestamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    return formatTimestamp(os::localTime(now));
}

}  // namespace conversion
