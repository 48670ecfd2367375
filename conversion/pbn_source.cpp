#include "pbn_source.h"

#include "fault.h"
#include "os.h"
#include "quillotan/display_text.h"
#include "utf8.h"

#include <algorithm>
#include <cstring>

namespace conversion {

namespace {

Fault lineTooLong(int line) {
    return Fault("the line is longer than 32,767 characters; this is not a hand-record file", line);
}

// A first line in UTF-16 without a byte-order mark, every other byte of it NUL: 1 when the
// NULs come first (big-endian), 0 when they come second (little-endian), -1 for any other.
int utf16WithoutMark(std::string_view start) {
    const auto lineEnd = std::min(start.find_first_of("\r\n"), start.size()) & ~std::size_t{1};
    for (int bigEndian = 1; bigEndian >= 0 && lineEnd >= 2; --bigEndian) {
        bool all = true;
        for (std::size_t i = 0; i < lineEnd && all; i += 2) {
            all = (start[i + 1 - bigEndian] == '\0') && (start[i + bigEndian] != '\0');
        }
        if (all) return bigEndian;
    }
    return -1;
}

}  // namespace

PbnSource::PbnSource(const std::filesystem::path& path) {
    if (const auto device = os::deviceOf(path); !device.empty()) {
        throw Fault("the source is named for a device (" + pathText(device) + "), not a file");
    }
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw Fault("the source file does not exist");
    }
    if (error) throw Fault("the source file cannot be opened for reading: " + error.message());
    if (std::filesystem::is_directory(status)) {
        throw Fault("the source is a folder, not a hand-record file");
    }
    // A pipe or a device would make opening or reading wait for ever, or never end.
    if (!std::filesystem::is_regular_file(status)) {
        throw Fault("the source is not a file on disk (a pipe or a device, say)");
    }
    file_.open(path, std::ios::binary);
    if (!file_) throw Fault("the source file cannot be opened for reading");
}

bool PbnSource::fill() {
    if (utf16_) return fillUtf16();
    file_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    begin_ = 0;
    end_ = static_cast<std::size_t>(file_.gcount());
    if (file_.bad()) throw Fault("the source file could not be read to its end", lineNumber_ + 1);
    if (!started_) {
        started_ = true;
        const std::string_view head(buffer_.data(), std::min<std::size_t>(end_, 3));
        const std::string_view start(buffer_.data(), end_);
        if (start.starts_with("\xEF\xBB\xBF")) begin_ = 3;
        if (start.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
            start.starts_with(std::string_view("\0\0\xFE\xFF", 4))) {
            throw Fault("the source is in UTF-32; save it as UTF-8, or as UTF-16 with its mark");
        }
        // UTF-16 by its byte-order mark, or without one when every other byte of the first
        // line is NUL.
        const int bigEndian = start.starts_with("\xFF\xFE")   ? 0
                              : start.starts_with("\xFE\xFF") ? 1
                                                              : utf16WithoutMark(start);
        if (bigEndian >= 0) {
            utf16_ = true;
            bigEndian_ = bigEndian == 1;
            const std::size_t mark = start[0] == '\xFF' || start[0] == '\xFE' ? 2 : 0;
            rawSize_ = end_ - mark;
            std::memcpy(raw_.data(), buffer_.data() + mark, rawSize_);
            return fillUtf16();
        }
    }
    return begin_ < end_ || (end_ > 0 && fill());
}

// Decodes the UTF-16 read so far, topped up from the file, into the buffer as UTF-8. A half
// of a surrogate pair that has no other half becomes U+FFFD.
bool PbnSource::fillUtf16() {
    begin_ = end_ = 0;
    while (end_ == 0) {
        const auto room = raw_.size() - rawSize_;
        file_.read(reinterpret_cast<char*>(raw_.data() + rawSize_),
                   static_cast<std::streamsize>(room));
        if (file_.bad()) {
            throw Fault("the source file could not be read to its end", lineNumber_ + 1);
        }
        rawSize_ += static_cast<std::size_t>(file_.gcount());
        const bool atEnd = static_cast<std::size_t>(file_.gcount()) < room;
        const auto unit = [&](std::size_t at) -> char32_t {
            return bigEndian_ ? raw_[at] << 8 | raw_[at + 1] : raw_[at + 1] << 8 | raw_[at];
        };
        std::size_t at = 0;
        for (std::size_t units = 1; at + 1 < rawSize_ && end_ + 4 <= buffer_.size();
             at += 2 * units) {
            const char32_t first = unit(at);
            const bool high = first >= 0xD800 && first < 0xDC00;
            if (high && at + 3 >= rawSize_ && !atEnd) break;  // its other half comes next
            const char32_t code = decodeUtf16(first, at + 3 < rawSize_ ? unit(at + 2) : 0, units);
            append(code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
        }
        std::memmove(raw_.data(), raw_.data() + at, rawSize_ - at);
        rawSize_ -= at;
        if (atEnd) break;
    }
    return end_ > 0;
}

void PbnSource::append(char32_t code) { end_ += encodeUtf8(code, buffer_.data() + end_); }

bool PbnSource::readLine(std::string& line) {
    std::size_t length = 0;
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !fill()) break;
        any = true;
        const char* start = buffer_.data() + begin_;
        if (lineNumber_ == 0 && length == 0) {
            // A file whose first line ends in CRs without an LF, as old Macintosh editors
            // wrote, has CR line ends; every other file, LF (a CR before it is dropped).
            const char* end = buffer_.data() + end_;
            const auto* first =
                std::find_if(start, end, [](char c) { return c == '\n' || c == '\r'; });
            const auto* after = std::find_if(first, end, [](char c) { return c != '\r'; });
            lineEnd_ = first != after && after != end && *after != '\n' ? '\r' : '\n';
        }
        const auto* newline = static_cast<const char*>(std::memchr(start, lineEnd_, end_ - begin_));
        const std::size_t take =
            newline ? static_cast<std::size_t>(newline - start) : end_ - begin_;
        if (length + take > kMaxLineLength + 1) {  // one more for a CR before the LF
            throw lineTooLong(lineNumber_ + 1);
        }
        if (length == 0) {
            line.assign(start, take);
        } else {
            line.append(start, take);
        }
        length += take;
        begin_ += take;
        bytesRead_ += take + (newline ? 1 : 0);
        if (newline) {
            ++begin_;
            break;
        }
    }
    if (!any) return false;
    if (lineEnd_ == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineLength) {
        throw lineTooLong(lineNumber_ + 1);
    }
    ++lineNumber_;
    return true;
}

}  // namespace conversion
