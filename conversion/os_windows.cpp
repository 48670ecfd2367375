#include "os.h"
#include "quillotan/platform.h"

#include <cerrno>
#include <cwctype>
#include <fcntl.h>
#include <io.h>
// clang-format off
#include <windows.h>  // before shellapi.h, which needs its declarations
#include <shellapi.h>
// clang-format on

#include <iostream>
#include <string>
#include <utility>

namespace conversion::os {

namespace {

void (*cleanupOnEvent)() noexcept = nullptr;
SRWLOCK held = SRWLOCK_INIT;  // while the run puts its files in place
UINT codePage = 0;            // the console's before the session: restored on every way out
bool waitForEnter = false;    // the program's own console, which a person sees

// The console's events arrive on a thread of their own, while the run may hold the file
// open: it was opened with FILE_SHARE_DELETE, so that the deletion is granted at once and
// done when the process ends, which the default handler does next.
BOOL WINAPI onConsoleEvent(DWORD) {
    AcquireSRWLockExclusive(&held);  // kept: the process ends
    cleanupOnEvent();
    if (codePage != 0) SetConsoleOutputCP(codePage);
    return FALSE;
}

}  // namespace

// Windows keeps no mode bits here: the read-only attribute is set, if at all, at the end.
std::FILE* createNew(const std::filesystem::path& path, std::filesystem::perms) {
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_EXISTS                                       ? EEXIST
                : error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ? ENOENT
                : error == ERROR_FILENAME_EXCED_RANGE                            ? ENAMETOOLONG
                : error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL    ? ENOSPC
                : error == ERROR_TOO_MANY_OPEN_FILES                             ? EMFILE
                                                                                 : EACCES;
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) CloseHandle(handle);
    std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file) _close(fd);
    return file;
}

bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    if (FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0) return true;
    errno = EIO;
    return false;
}

// Windows's rename writes the folder's entry through itself.
void flushFolder(const std::filesystem::path&) {}

std::size_t nameLimit(const std::filesystem::path&) { return 255; }

// The programs are long-path aware: Windows sets no limit of its own where that is enabled.
std::size_t pathLimit() { return 0; }

// The read-only attribute is all Windows shows of a file's permissions here.
Holder holderOf(const std::filesystem::path&) { return Holder::User; }

std::filesystem::path openedName(const std::filesystem::path& name) {
    std::wstring text = name.filename().native();
    while (!text.empty() && (text.back() == L'.' || text.back() == L' ')) text.pop_back();
    return std::filesystem::path(name).replace_filename(text);
}

std::filesystem::path deviceOf(const std::filesystem::path& file) {
    std::wstring stem = file.filename().native();
    stem = stem.substr(0, stem.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (auto& c : stem) c = static_cast<wchar_t>(towupper(c));
    // COM0-COM9 and LPT0-LPT9, and with the superscript digits 1, 2 and 3 too.
    const bool numbered = stem.size() == 4 &&
                          (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
                          ((stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == L'\u00B9' ||
                           stem[3] == L'\u00B2' || stem[3] == L'\u00B3');
    const bool device =
        numbered || stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL";
    return device ? std::filesystem::path(stem) : std::filesystem::path();
}

std::tm localTime(std::time_t moment) {
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

// The C++ library here knows the "C" locale only; Windows itself knows the user's. The month
// is the Gregorian calendar's, named in the user's language, whatever calendar the user reads.
std::string monthName(const std::tm& moment) {
    wchar_t wide[32];
    const int length = GetCalendarInfoEx(
        LOCALE_NAME_USER_DEFAULT, CAL_GREGORIAN, nullptr,
        static_cast<CALTYPE>(CAL_SABBREVMONTHNAME1 + moment.tm_mon), wide, 32, nullptr);
    char utf8[128];
    const int size = length > 1 ? WideCharToMultiByte(CP_UTF8, 0, wide, length - 1, utf8,
                                                      sizeof utf8, nullptr, nullptr)
                                : 0;
    return std::string(utf8, static_cast<std::size_t>(size > 0 ? size : 0));
}

void removeNow(const wchar_t* path) noexcept { DeleteFileW(path); }

void holdInterrupts(bool hold) noexcept {
    hold ? AcquireSRWLockExclusive(&held) : ReleaseSRWLockExclusive(&held);
}

void onInterrupt(void (*cleanup)() noexcept) {
    cleanupOnEvent = cleanup;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

std::vector<std::filesystem::path> arguments(int, char**) {
    std::vector<std::filesystem::path> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) args.emplace_back(wide[i]);
    LocalFree(wide);
    return args;
}

std::filesystem::path foldedCase(const std::filesystem::path& path) {
    std::wstring name = path.native();
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

// A console whose only process is this one was opened for it: started from Explorer.
ConsoleSession::ConsoleSession() {
    codePage = GetConsoleOutputCP();
    DWORD processes[2];
    DWORD mode = 0;
    const HWND window = GetConsoleWindow();
    waitForEnter = GetConsoleProcessList(processes, 2) == 1 &&
                   GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 && window &&
                   IsWindowVisible(window);
    SetConsoleOutputCP(CP_UTF8);
}

ConsoleSession::~ConsoleSession() {
    if (waitForEnter) {
        std::cerr << "\nPress Enter to close this window" << std::flush;
        std::string line;
        std::getline(std::cin, line);
    }
    if (codePage != 0) SetConsoleOutputCP(std::exchange(codePage, 0));
}

}  // namespace conversion::os
