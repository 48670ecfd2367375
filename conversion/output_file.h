#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

namespace conversion {

// The permission bits of target when a file of that name exists, for its replacement to keep.
// Throws Fault when target cannot be replaced: a folder stands in its place, or the file is
// read-only.
std::optional<std::filesystem::perms> checkReplaceable(const std::filesystem::path& target);

// One output file, written under a temporary name in the target's folder and moved over the
// target only by commit(). Until then an existing file of the target's name keeps its
// content, and a file that is dropped uncommitted leaves nothing behind.
class OutputFile {
public:
    // Creates the temporary file; throws Fault when it cannot be created. keep: the
    // permission bits the file takes when it replaces the target (checkReplaceable's).
    OutputFile(std::filesystem::path target, std::optional<std::filesystem::perms> keep);
    ~OutputFile();

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes the text followed by CR LF.
    void writeLine(std::string_view text);

    // Closes the file and puts it in the target's place; throws Fault when any write failed
    // or the move is refused.
    void commit();

private:
    void discard() noexcept;

    std::filesystem::path target_;
    std::optional<std::filesystem::perms> keep_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    int writeError_ = 0;  // errno of the first write that failed
    bool committed_ = false;
};

}  // namespace conversion
