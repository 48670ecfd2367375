#include "pbn_source.h"

#include "conversion_error.h"

#include <charconv>
#include <cstring>
#include <optional>

namespace conversion {

namespace {

constexpr std::string_view kBoardTag = "a board tag like [Board \"7\"]";
constexpr std::string_view kVulnerableTag = "a vulnerability tag like [Vulnerable \"None\"]";
constexpr std::string_view kDealTag = "a deal tag like [Deal \"N:AKQ2.JT9.876.543 ...\"]";

// A whole number from -32768 to 32767, surrounding spaces allowed.
std::optional<std::int16_t> parseBoardNumber(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == text.npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    const bool plus = text.front() == '+';
    if (plus) text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-')) return std::nullopt;
    std::int16_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

Fault lineTooLong(int line) {
    return Fault("the line is longer than 32,767 characters; this is not a hand-record file", line);
}

void readBlockLine(PbnSource& source, std::string& line) {
    if (!source.readLine(line)) {
        throw Fault(
            "the source ends inside this board; a board needs its board, dealer, "
            "vulnerability and deal tags on four lines in a row");
    }
}

// The deal's hands: everything after [Deal "N: split at every single space.
std::vector<std::string> splitHands(std::string_view deal) {
    std::vector<std::string> hands;
    constexpr std::size_t kHandsStart = 9;
    if (deal.size() <= kHandsStart) return hands;
    deal.remove_prefix(kHandsStart);
    hands.reserve(4);
    for (;;) {
        const auto space = deal.find(' ');
        hands.emplace_back(deal.substr(0, space));
        if (space == deal.npos) return hands;
        deal.remove_prefix(space + 1);
    }
}

}  // namespace

PbnSource::PbnSource(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) throw Fault("the source file does not exist");
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
    file_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    begin_ = 0;
    end_ = static_cast<std::size_t>(file_.gcount());
    if (file_.bad()) throw Fault("the source file could not be read to its end", lineNumber_ + 1);
    return end_ > 0;
}

bool PbnSource::readLine(std::string& line) {
    std::size_t length = 0;
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !fill()) break;
        any = true;
        const char* start = buffer_.data() + begin_;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
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
        if (newline) {
            ++begin_;
            break;
        }
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineLength) {
        throw lineTooLong(lineNumber_ + 1);
    }
    ++lineNumber_;
    return true;
}

void readBoard(PbnSource& source, std::string& current, BoardFields& board) {
    board = BoardFields{};
    board.line = source.lineNumber();

    // The number is what stands between [Board " and "], whatever the tag's name.
    const auto p = current.find("Board");
    const auto q = p == current.npos ? current.npos : current.find(']', p);
    if (q == current.npos || q < p + 8) {
        throw Fault(expectedFound(kBoardTag, current), board.line);
    }
    const std::string_view numberText = std::string_view(current).substr(p + 7, q - p - 8);
    const auto number = parseBoardNumber(numberText);
    if (!number) {
        throw Fault("the board number \"" + excerpt(numberText) +
                        "\" is not a whole number from -32768 to 32767",
                    board.line);
    }
    board.number = number;

    // The dealer letter stands between the quotes of [Dealer "N"].
    readBlockLine(source, current);
    if (current.size() >= 10) board.dealer = current.substr(9, 1);

    // The vulnerability runs from after [Vulnerable " up to the quote before the first "]".
    readBlockLine(source, current);
    const auto r = current.find(']');
    if (r == current.npos || r < 14) {
        throw Fault(expectedFound(kVulnerableTag, current), source.lineNumber());
    }
    board.vulnerability = current.substr(13, r - 14);

    readBlockLine(source, current);
    if (current.size() < 2) throw Fault(expectedFound(kDealTag, current), source.lineNumber());
    current.resize(current.size() - 2);  // the closing quote and bracket
    if (current.size() >= 8) board.firstSeat = current[7];
    board.hands = splitHands(current);
}

bool advanceToNextBoard(PbnSource& source, std::string& current) {
    while (!containsBoard(current)) {
        if (!source.readLine(current)) return false;
    }
    return true;
}

}  // namespace conversion
