#include "output_file.h"

#include "conversion_error.h"

#include <cerrno>
#include <random>
#include <string>
#include <system_error>

namespace conversion {

namespace {

constexpr int kNameAttempts = 16;

// A name beside the target that no file has yet: .<target name>.<random>.tmp
std::filesystem::path temporaryName(const std::filesystem::path& target) {
    static std::mt19937 random{std::random_device{}()};
    std::error_code error;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        auto name = target.parent_path() / ".";
        name += target.filename();
        std::string tail = ".";
        tail += std::to_string(random() % 1000000000u);
        tail += ".tmp";
        name += tail;
        if (!std::filesystem::exists(name, error) && !error) return name;
    }
    throw Fault("cannot create " + pathText(target) + ": no free temporary name beside it");
}

}  // namespace

OutputFile::OutputFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(temporaryName(target_)) {
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
    std::error_code error;
    std::filesystem::rename(temporary_, target_, error);
    if (error) {
        discard();
        std::error_code ignored;
        if (std::filesystem::is_directory(target_, ignored)) {
            throw Fault("cannot create " + pathText(target_) +
                        ": a folder of that name is in the way");
        }
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
