#include "output_file.h"

#include "fault.h"
#include "os.h"
#include "quillotan/display_text.h"
#include "temporaries.h"

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace conversion {

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 16;

std::string reason(int error) { return std::generic_category().message(error); }

}  // namespace

std::optional<fs::perms> checkReplaceable(const fs::path& target) {
    const std::string name = pathText(target);
    if (const std::size_t limit = os::nameLimit(target.parent_path());
        target.filename().native().size() > limit) {
        throw Fault("cannot create " + name + ": the name is longer than the folder allows (" +
                    std::to_string(limit) + " bytes)");
    }
    if (const std::size_t limit = os::pathLimit();
        limit > 0 && fs::absolute(target).native().size() > limit) {
        throw Fault("cannot create " + name + ": the path is longer than the system allows (" +
                    std::to_string(limit) + " bytes)");
    }
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
    switch (os::holderOf(target)) {
        case os::Holder::OtherInStickyFolder:
            throw Fault("cannot replace " + name +
                        ": it belongs to another user, and the folder lets only the owner "
                        "replace it");
        case os::Holder::Other:
            return std::nullopt;
        case os::Holder::User:
            break;
    }
    return status.permissions() & fs::perms::all;  // the read, write and execute bits alone
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
        watched_ = watchTemporary(temporary_);
        // A replacement is never more open than the file it replaces, even while written.
        file_ = os::createNew(temporary_, keep_.value_or(fs::perms(0666)));
        if (!file_) forgetTemporary(std::exchange(watched_, -1));  // another run's, perhaps
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        const int error = errno;
        throw Fault("cannot create " + pathText(target_) + ": " + reason(error));
    }
}

OutputFile::~OutputFile() {
    if (placed_) return;
    if (file_) std::fclose(file_);
    std::error_code error;
    fs::remove(temporary_, error);
    forgetTemporary(watched_);
}

void OutputFile::writeLine(std::string_view text) {
    write(text);
    write("\r\n");
}

void OutputFile::write(std::string_view bytes) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    if (!written && writeError_ == 0) writeError_ = errno ? errno : EIO;
}

void OutputFile::finish() {
    errno = 0;
    if (writeError_ == 0 && !os::flushToDisk(file_)) writeError_ = errno ? errno : EIO;
    const bool closed = std::fclose(std::exchange(file_, nullptr)) == 0;
    if (!closed || writeError_) {
        const int error = writeError_ ? writeError_ : errno;
        throw Fault("cannot write " + pathText(target_) + ": " +
                    (error ? reason(error) : "the disk may be full"));
    }
    std::error_code error;
    if (keep_) fs::permissions(temporary_, *keep_, error);  // as the file it replaces
    if (error) {
        throw Fault("cannot set the permissions of " + pathText(target_) + ": " + error.message());
    }
}

void placeAll(std::deque<OutputFile>& files) {
    os::holdInterrupts(true);
    struct Release {
        ~Release() { os::holdInterrupts(false); }
    } release;
    std::vector<fs::path> aside(files.size());  // where each earlier file waits
    std::size_t placed = 0;
    // Every earlier file back in its place, and no new one.
    const auto undo = [&] {
        std::error_code ignored;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!aside[i].empty()) {
                fs::rename(aside[i], files[i].target_, ignored);
            } else if (i < placed) {
                fs::remove(files[i].target_, ignored);
            }
        }
    };
    std::error_code error, absent;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path& target = files[i].target_;
        if (!fs::exists(fs::symlink_status(target, absent))) continue;
        aside[i] = fs::path(files[i].temporary_).replace_extension(".old");
        fs::rename(target, aside[i], error);
        if (error) {
            aside[i].clear();
            undo();
            throw Fault("cannot replace " + pathText(target) + ": " + error.message());
        }
    }
    for (; placed < files.size(); ++placed) {
        fs::rename(files[placed].temporary_, files[placed].target_, error);
        if (error) {
            undo();
            throw Fault("cannot write " + pathText(files[placed].target_) + ": " + error.message());
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].placed_ = true;
        forgetTemporary(files[i].watched_);
        if (!aside[i].empty()) fs::remove(aside[i], error);
    }
    if (!files.empty()) os::flushFolder(files.front().target_.parent_path());
}

}  // namespace conversion
