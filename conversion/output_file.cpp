#include "output_file.h"

#include "fault.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace conversion {

namespace {

constexpr int kNameAttempts = 16;

// Creates the file for writing only if no file of that name exists, so that two runs never
// share one; nullptr when it cannot.
std::FILE* createNew(const std::filesystem::path& path) {
#ifdef _WIN32
    const int fd =
        _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file) _close(fd);
#else
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file) ::close(fd);
#endif
    return file;
}

}  // namespace

std::optional<std::filesystem::perms> checkReplaceable(const std::filesystem::path& target) {
    std::error_code error;
    const auto status = std::filesystem::status(target, error);
    if (std::filesystem::is_directory(status)) {
        throw Fault("cannot create " + pathText(target) + ": a folder of that name is in the way");
    }
    // Mode bits that deny writing (or the read-only attribute) mark a file the user keeps.
    // Checked on the bits themselves: root may write anything, but should not replace it.
    constexpr auto kWrite = std::filesystem::perms::owner_write |
                            std::filesystem::perms::group_write |
                            std::filesystem::perms::others_write;
    if (std::filesystem::exists(status) &&
        (status.permissions() & kWrite) == std::filesystem::perms::none) {
        throw Fault("cannot replace " + pathText(target) + ": the file is read-only");
    }
    if (!std::filesystem::exists(status)) return std::nullopt;
    return status.permissions();
}

// The temporary file stands beside the target with a short name,
// .quillotan-<8 hex digits>.tmp, so that it fits wherever the target's name fits.
OutputFile::OutputFile(std::filesystem::path target, std::optional<std::filesystem::perms> keep)
    : target_(std::move(target)), keep_(keep) {
    static std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < kNameAttempts && !file_; ++attempt) {
        char tail[9];
        std::snprintf(tail, sizeof tail, "%08x", static_cast<unsigned>(random()));
        temporary_ = target_.parent_path() / ".quillotan-";
        temporary_ += tail;
        temporary_ += ".tmp";
        file_ = createNew(temporary_);
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        throw Fault("cannot create " + pathText(target_) +
                    ": the folder does not exist or is not writable");
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
    const bool closed = std::fclose(std::exchange(file_, nullptr)) == 0;
    if (!closed || writeError_) {
        const int reason = writeError_ ? writeError_ : errno;
        discard();
        throw Fault("cannot write " + pathText(target_) + ": " +
                    (reason ? std::generic_category().message(reason) : "the disk may be full"));
    }
    std::error_code error;
    if (keep_) std::filesystem::permissions(temporary_, *keep_, error);  // as the file it replaces
    std::filesystem::rename(temporary_, target_, error);
    if (error) {
        discard();
        throw Fault("cannot write " + pathText(target_) + ": " + error.message());
    }
    committed_ = true;
}

void OutputFile::discard() noexcept {
    if (file_) std::fclose(std::exchange(file_, nullptr));
    std::error_code error;
    std::filesystem::remove(temporary_, error);
}

}  // namespace conversion
