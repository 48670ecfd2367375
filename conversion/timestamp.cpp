#include "timestamp.h"

#include <chrono>
#include <iomanip>
#include <locale>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace conversion {

namespace {

// The month's abbreviation in the user's language.
std::string monthName(const std::tm& moment) {
#ifdef _WIN32
    // The C++ library here knows the "C" locale only; Windows itself knows the user's.
    SYSTEMTIME day{};
    day.wYear = static_cast<WORD>(moment.tm_year + 1900);
    day.wMonth = static_cast<WORD>(moment.tm_mon + 1);
    day.wDay = static_cast<WORD>(moment.tm_mday);
    wchar_t wide[32];
    const int length =
        GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &day, L"MMM", wide, 32, nullptr);
    char utf8[128];
    const int size = length > 1 ? WideCharToMultiByte(CP_UTF8, 0, wide, length - 1, utf8,
                                                      sizeof utf8, nullptr, nullptr)
                                : 0;
    if (size > 0) return std::string(utf8, static_cast<std::size_t>(size));
#endif
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
    std::tm moment{};
#ifdef _WIN32
    localtime_s(&moment, &now);
#else
    localtime_r(&now, &moment);
#endif
    return formatTimestamp(moment);
}

}  // namespace conversion
