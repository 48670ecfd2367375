#include "os.h"
#include "quillotan/platform.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace conversion::os {

namespace {

const char* folderName(const std::filesystem::path& folder) {
    return folder.empty() ? "." : folder.c_str();
}

void (*cleanupOnSignal)() noexcept = nullptr;

// Only async-signal-safe calls: the cleanup, then the signal ends the process as it would
// have without this handler (a shell sees 128 + its number).
extern "C" void onSignal(int signal) {
    cleanupOnSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

std::FILE* createNew(const std::filesystem::path& path, std::filesystem::perms perms) {
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC,
                          static_cast<mode_t>(perms & std::filesystem::perms::all));
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file) ::close(fd);
    return file;
}

bool flushToDisk(std::FILE* file) { return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0; }

void flushFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folderName(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) ::fsync(fd), ::close(fd);
}

std::size_t nameLimit(const std::filesystem::path& folder) {
    const long limit = ::pathconf(folderName(folder), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

std::size_t pathLimit() { return PATH_MAX - 1; }

Holder holderOf(const std::filesystem::path& file) {
    struct stat entry {
    }, folder{};
    if (::lstat(file.c_str(), &entry) != 0 ||
        ::stat(folderName(file.parent_path()), &folder) != 0) {
        return Holder::Other;
    }
    // A sticky folder (/tmp, a shared folder) lets a file's owner, the folder's or root alone
    // replace it.
    const uid_t user = ::geteuid();
    if (entry.st_uid == user) return Holder::User;
    return (folder.st_mode & S_ISVTX) && folder.st_uid != user && user != 0
               ? Holder::OtherInStickyFolder
               : Holder::Other;
}

std::filesystem::path openedName(const std::filesystem::path& name) { return name; }

std::filesystem::path deviceOf(const std::filesystem::path&) { return {}; }

std::tm localTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

std::string monthName(const std::tm&) { return {}; }

void removeNow(const char* path) noexcept { ::unlink(path); }

void holdInterrupts(bool hold) noexcept {
    static sigset_t before;
    if (!hold) {
        sigprocmask(SIG_SETMASK, &before, nullptr);
        return;
    }
    sigset_t interrupts;
    sigemptyset(&interrupts);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal);
    sigprocmask(SIG_BLOCK, &interrupts, &before);
}

void onInterrupt(void (*cleanup)() noexcept) {
    cleanupOnSignal = cleanup;
    struct sigaction action {
    }, before{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
    // Past a file-size limit a write fails with EFBIG, which the run reports as for a full
    // disk; the signal's default would end the program without a word.
    if (sigaction(SIGXFSZ, nullptr, &before) == 0 && before.sa_handler == SIG_DFL) {
        std::signal(SIGXFSZ, SIG_IGN);
    }
}

std::vector<std::filesystem::path> arguments(int argc, char** argv) {
    return {argv + std::min(argc, 1), argv + argc};
}

std::filesystem::path foldedCase(const std::filesystem::path& path) { return path; }

ConsoleSession::ConsoleSession() { std::signal(SIGPIPE, SIG_IGN); }

ConsoleSession::~ConsoleSession() = default;

}  // namespace conversion::os
