#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace conversion {

// Longest source line accepted; anything longer is not a hand record (a stray binary file,
// say) and is refused rather than read into memory.
inline constexpr std::size_t kMaxLineLength = 32767;

// The PBN source, handed out one line at a time without its line end (LF or CR LF; CR in a
// file whose first line ends in a CR alone). Bytes
// are passed through as they are, but for a UTF-8 byte-order mark at the start, which is
// dropped, and a file in UTF-16 (known by its byte-order mark, or without one by a first line
// of which every other byte is NUL), which is handed out as UTF-8. A file in UTF-32 is
// refused.
// Reads in small blocks, so only the part of the file that the run needs is ever read.
class PbnSource {
public:
    // Throws Fault when the file cannot be opened.
    explicit PbnSource(const std::filesystem::path& path);

    // Replaces line with the next line of the source; false, leaving line as it was, when
    // no line is left. Throws Fault for a line longer than kMaxLineLength.
    bool readLine(std::string& line);

    // Number of the line last read, counted from 1.
    int lineNumber() const { return lineNumber_; }

    // Bytes of the lines read so far, their line ends included (as UTF-8, for UTF-16).
    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    bool fill();
    bool fillUtf16();
    void append(char32_t code);

    std::ifstream file_;
    std::array<char, 16384> buffer_{};
    std::array<unsigned char, 16384> raw_{};  // UTF-16 bytes not yet decoded
    std::size_t rawSize_ = 0;
    bool started_ = false;
    bool utf16_ = false;
    bool bigEndian_ = false;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    int lineNumber_ = 0;
    std::uint64_t bytesRead_ = 0;
    char lineEnd_ = '\n';  // '\r' in a file of CR line ends
};

}  // namespace conversion
