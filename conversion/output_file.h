#pragma once

#include <cstdio>
#include <deque>
#include <filesystem>
#include <optional>
#include <string_view>

namespace conversion {

// The permission bits of target when a file of that name exists, for its replacement to keep.
// Throws Fault when target cannot be replaced: a folder stands in its place, or the file is
// read-only.
std::optional<std::filesystem::perms> checkReplaceable(const std::filesystem::path& target);

// One output file, written under a temporary name in the target's folder and put in the
// target's place only with the rest of its set (placeAll). Until then an existing file of the
// target's name keeps its content, and a file that is dropped unplaced leaves nothing behind.
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
    void write(std::string_view bytes);

    // Closes the file, through to the disk, with the target's permission bits; throws Fault
    // when any write failed.
    void finish();

private:
    friend void placeAll(std::deque<OutputFile>& files);

    std::filesystem::path target_;
    std::optional<std::filesystem::perms> keep_;
    std::filesystem::path temporary_;
    int watched_ = -1;  // the interrupt's handle on the temporary file
    std::FILE* file_ = nullptr;
    int writeError_ = 0;  // errno of the first write that failed
    bool placed_ = false;
};

// Puts every finished file of a set in its target's place, or none of them: the earlier
// files of the targets' names are moved aside first, and back where any move fails, so that
// they stay as they were. Throws Fault naming the file that could not be replaced.
void placeAll(std::deque<OutputFile>& files);

}  // namespace conversion
