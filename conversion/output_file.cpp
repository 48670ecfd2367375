#include "output_file.h"

#include "conversion_run.h"
#include "fault.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace conversion {

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 16;

std::string reason(int error) { return std::generic_category().message(error); }

// The temporary file of the run in progress, for the interrupt handler to remove: its path is
// kept here from just before the file is created until it is renamed or removed, in a form
// that the handler can use without allocating. One run at a time per process: the window and
// the converter never run two at once.
#ifdef _WIN32
wchar_t pending[32768];
#else
char pending[PATH_MAX];
#endif
volatile std::sig_atomic_t hasPending = 0;

void keepPending(const fs::path& path) {
    hasPending = 0;
    const auto& native = path.native();
    if (native.size() >= std::size(pending)) return;  // too long to have been created
    std::copy(native.begin(), native.end(), pending);
    pending[native.size()] = 0;
    hasPending = 1;
}

#ifdef _WIN32
// The console's Ctrl-C, Ctrl-Break and close events arrive on a thread of their own, while the
// run may hold the file open: it was opened with FILE_SHARE_DELETE, so that the deletion is
// granted at once and done when the process ends, which the default handler does next.
BOOL WINAPI onConsoleEvent(DWORD) {
    if (hasPending) DeleteFileW(pending);
    return FALSE;
}
#else
// Only async-signal-safe calls: the temporary file goes, then the signal ends the process as
// it would have without this handler (a shell sees 128 + its number).
extern "C" void onInterrupt(int signal) {
    if (hasPending) ::unlink(pending);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

// Creates the file for writing only if no file of that name exists, so that two runs never
// share one; nullptr, with errno set, when it cannot.
std::FILE* createNew(const fs::path& path) {
#ifdef _WIN32
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
#else
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file) ::close(fd);
#endif
    return file;
}

// Writes what the file holds through to the disk; false when the disk refuses.
bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

// The folder's entry of a renamed file, through to the disk (POSIX; Windows's rename does it).
void flushFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) ::fsync(fd), ::close(fd);
#endif
}

// The longest name the folder allows, in the units the system counts.
std::size_t nameLimit([[maybe_unused]] const fs::path& folder) {
#ifdef _WIN32
    return 255;
#else
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 255;
#endif
}

}  // namespace

void cleanUpOnInterrupt() {
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
#endif
}

#ifdef _WIN32
bool interruptForTest() { return onConsoleEvent(CTRL_C_EVENT) != 0; }
#endif

std::optional<fs::perms> checkReplaceable(const fs::path& target) {
    const std::string name = pathText(target);
    const fs::path folder = target.parent_path();
    if (const std::size_t limit = nameLimit(folder); target.filename().native().size() > limit) {
        throw Fault("cannot create " + name + ": the name is longer than the folder allows (" +
                    std::to_string(limit) + " bytes)");
    }
#ifndef _WIN32
    if (fs::absolute(target).native().size() >= PATH_MAX) {
        throw Fault("cannot create " + name + ": the path is longer than the system allows (" +
                    std::to_string(PATH_MAX - 1) + " bytes)");
    }
#endif
    // A link in the target's place is replaced, never written through: its status counts.
    std::error_code error;
    const auto status = fs::symlink_status(target, error);
    if (fs::is_directory(status)) {
        throw Fault("cannot create " + name + ": a folder of that name is in the way");
    }
    if (!fs::is_regular_file(status)) return std::nullopt;
    // Mode bits that deny writing (or the read-only attribute) mark a file the user keeps.
    // Checked on the bits themselves: root may write anything, but should not replace it.
    constexpr auto kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & kWrite) == fs::perms::none) {
        throw Fault("cannot replace " + name + ": the file is read-only");
    }
#ifdef _WIN32
    return status.permissions() & fs::perms::all;
#else
    // Another user's file in a sticky folder (/tmp, a shared folder) may be replaced by its
    // owner, the folder's or root alone; another user's file keeps none of its bits.
    struct stat file {
    }, place{};
    if (::lstat(target.c_str(), &file) != 0 ||
        ::stat(folder.empty() ? "." : folder.c_str(), &place) != 0) {
        return std::nullopt;
    }
    const uid_t user = ::geteuid();
    if ((place.st_mode & S_ISVTX) && file.st_uid != user && place.st_uid != user && user != 0) {
        throw Fault("cannot replace " + name +
                    ": it belongs to another user, and the folder lets only the owner replace it");
    }
    if (file.st_uid != user) return std::nullopt;
    return status.permissions() & fs::perms::all;  // the read, write and execute bits alone
#endif
}

// The temporary file stands beside the target with a short name,
// .quillotan-<8 hex digits>.tmp, so that it fits wherever the target's name fits.
OutputFile::OutputFile(fs::path target, std::optional<fs::perms> keep)
    : target_(std::move(target)), keep_(keep) {
    thread_local std::mt19937 random{std::random_device{}()};  // one for each thread
    for (int attempt = 0; attempt < kNameAttempts && !file_; ++attempt) {
        char tail[9];
        std::snprintf(tail, sizeof tail, "%08x", static_cast<unsigned>(random()));
        temporary_ = target_.parent_path() / ".quillotan-";
        temporary_ += tail;
        temporary_ += ".tmp";
        keepPending(temporary_);
        file_ = createNew(temporary_);
        if (!file_) hasPending = 0;  // another run's, perhaps
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        const int error = errno;
        throw Fault("cannot create " + pathText(target_) + ": " + reason(error));
    }
}

OutputFile::~OutputFile() {
    if (!committed_) discard();
}

void OutputFile::writeLine(std::string_view text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
                         std::fwrite("\r\n", 1, 2, file_) == 2;
    if (!written && writeError_ == 0) writeError_ = errno ? errno : EIO;
}

void OutputFile::commit() {
    errno = 0;
    if (writeError_ == 0 && !flushToDisk(file_)) writeError_ = errno ? errno : EIO;
    const bool closed = std::fclose(std::exchange(file_, nullptr)) == 0;
    if (!closed || writeError_) {
        const int error = writeError_ ? writeError_ : errno;
        discard();
        throw Fault("cannot write " + pathText(target_) + ": " +
                    (error ? reason(error) : "the disk may be full"));
    }
    std::error_code error;
    if (keep_) fs::permissions(temporary_, *keep_, error);  // as the file it replaces
    if (error) {
        discard();
        throw Fault("cannot set the permissions of " + pathText(target_) + ": " + error.message());
    }
    fs::rename(temporary_, target_, error);
    if (error) {
        discard();
        throw Fault("cannot write " + pathText(target_) + ": " + error.message());
    }
    hasPending = 0;
    committed_ = true;
    flushFolder(target_.parent_path());
}

void OutputFile::discard() noexcept {
    if (file_) std::fclose(std::exchange(file_, nullptr));
    std::error_code error;
    fs::remove(temporary_, error);
    hasPending = 0;
}

}  // namespace conversion
