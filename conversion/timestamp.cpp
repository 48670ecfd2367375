#include "timestamp.h"

#include <chrono>
#include <iomanip>
#include <locale>
#include <sstream>

namespace conversion {

namespace {

std::locale userLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();  // an unknown locale name in the environment
    }
}

}  // namespace

Timestamp formatTimestamp(const std::tm& moment) {
    // Only the month takes the locale's words; the numbers keep plain digits, with no
    // grouping of the year.
    std::ostringstream month;
    month.imbue(userLocale());
    month << std::put_time(&moment, "%b");
    std::ostringstream date;
    date << moment.tm_mday << ' ' << month.str() << ' ' << std::setfill('0') << std::setw(4)
         << (moment.tm_year + 1900);
    std::ostringstream time;
    time << std::setfill('0') << std::setw(2) << moment.tm_hour << ':' << std::setw(2)
         << moment.tm_min;
    return {date.str(), time.str()};
}

Timestamp localTimestamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm moment{};
#ifdef _WIN32
    localtime_s(&moment, &now);
#else
    localtime_r(&now, &moment);
#endif
    return formatTimestamp(moment);
}

}  // namespace conversion
