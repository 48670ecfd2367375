#include "output_file.h"

#include "conversion_error.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

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

// Creates the file only if no file of that name exists, so that two runs never share one.
bool createNew(const std::filesystem::path& path) {
#ifdef _WIN32
    const int fd =
        _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    return fd >= 0 && _close(fd) == 0;
#else
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    return fd >= 0 && ::close(fd) == 0;
#endif
}

// A new, empty file beside the target with a short name, .quillotan-<8 hex digits>.tmp, so
// that it fits wherever the target's name fits.
std::filesystem::path temporaryFile(const std::filesystem::path& target) {
    static std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char tail[9];
        std::snprintf(tail, sizeof tail, "%08x", static_cast<unsigned>(random()));
        auto name = target.parent_path() / ".quillotan-";
        name += tail;
        name += ".tmp";
        if (createNew(name)) return name;
        if (errno != EEXIST) break;
    }
    throw Fault("cannot create " + pathText(target) +
                ": the folder does not exist or is not writable");
}

}  // namespace

void checkReplaceable(const std::filesystem::path& target) {
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
}

OutputFile::OutputFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(temporaryFile(target_)) {
    file_.open(temporary_, std::ios::binary | std::ios::trunc);
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
    file_.write(text.data(), static_cast<std::streamsize>(text.size()));
    file_.write("\r\n", 2);
    if (!file_ && writeError_ == 0) writeError_ = errno;
}

void OutputFile::commit() {
    errno = 0;
    file_.close();
    if (!file_) {
        const int reason = writeError_ ? writeError_ : errno;
        discard();
        throw Fault("cannot write " + pathText(target_) + ": " +
                    (reason ? std::generic_category().message(reason) : "the disk may be full"));
    }
    // A replaced file keeps its permission bits.
    std::error_code error;
    const auto old = std::filesystem::status(target_, error);
    if (std::filesystem::exists(old)) {
        std::filesystem::permissions(temporary_, old.permissions(), error);
    }
    std::filesystem::rename(temporary_, target_, error);
    if (error) {
        discard();
        throw Fault("cannot write " + pathText(target_) + ": " + error.message());
    }
    committed_ = true;
}

void OutputFile::discard() noexcept {
    if (file_.is_open()) file_.close();
    std::error_code error;
    std::filesystem::remove(temporary_, error);
}

}  // namespace conversion
