#include "os.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace conversion::os {

namespace {

void (*cleanupOnEvent)() noexcept = nullptr;

// The console's events arrive on a thread of their own, while the run may hold the file
// open: it was opened with FILE_SHARE_DELETE, so that the deletion is granted at once and
// done when the process ends, which the default handler does next.
BOOL WINAPI onConsoleEvent(DWORD) {
    cleanupOnEvent();
    return FALSE;
}

}  // namespace

std::FILE* createNew(const std::filesystem::path& path) {
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

void removeNow(const wchar_t* path) noexcept { DeleteFileW(path); }

void onInterrupt(void (*cleanup)() noexcept) {
    cleanupOnEvent = cleanup;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace conversion::os
