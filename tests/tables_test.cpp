// Tables for what is smaller than a whole run: the source's lines, the timestamp and the
// warning's text.

#include "deal_check.h"
#include "fault.h"
#include "pbn_source.h"
#include "test_support.h"
#include "timestamp.h"

#include <gtest/gtest.h>

#include <regex>

namespace conversion {
namespace {

using namespace testing_support;
using namespace std::string_literals;

std::vector<std::string> linesOf(const TempDir& dir, std::string_view bytes) {
    writeFile(dir / "source.pbn", bytes);
    PbnSource source(dir / "source.pbn");
    std::vector<std::string> lines;
    std::string line;
    while (source.readLine(line)) lines.push_back(line);
    return lines;
}

TEST(Tables, SplitsLinesAndDecodes) {
    TempDir dir;
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"", {}},
        {"a\nb\r\n\r\n\nlast", {"a", "b", "", "", "last"}},
        {"a\rb\n", {"a", "b\n"}},                // the first line ends in a CR alone: CR line ends
        {"a\r\r\nb\rc", {"a\r", "b\rc"}},        // else LF, with one CR before it dropped
        {"\xe9t\xe9\0x\n"s, {"\xe9t\xe9\0x"s}},  // bytes as they are
        {"\xEF\xBB\xBF\xEF\xBB\xBF",
         {"\xEF\xBB\xBF"}},  // a UTF-8 mark at the start only is dropped
        // UTF-16 of é and U+1F600 (a surrogate pair), then a lone half of each kind, an odd byte
        {"\xFF\xFE\xE9\0=\xD8\0\xDE\n\0=\xD8z\0\0\xDCz"s, {"\u00E9\U0001F600", "\uFFFDz\uFFFD"}},
        {"\xFE\xFF\0a\0\r\0\n\xD8="s, {"a", "\uFFFD"}},
        // the first pair of all (U+10000), split between two blocks
        {"\xFF\xFE" + std::regex_replace(std::string(8191, 'a'), std::regex("a"), "a\0"s) +
             "\0\xD8\0\xDC"s,
         {std::string(8191, 'a') + "\U00010000"}},
    };
    for (const auto& [bytes, lines] : rows) EXPECT_EQ(linesOf(dir, bytes), lines) << bytes.size();
}

// Lines run across the reader's blocks up to the limit; a longer one is refused.
TEST(Tables, LinesUpToTheLimit) {
    TempDir dir;
    const std::string longest(kMaxLineLength, 'x');
    EXPECT_EQ(linesOf(dir, longest + "\r\n" + longest), (std::vector{longest, longest}));
    EXPECT_THROW(linesOf(dir, "first\n" + longest + "x\n"), Fault);
    EXPECT_THROW(linesOf(dir, longest + "xx\r\n"), Fault);
}

TEST(Tables, TimestampUnderTheSuitesLocale) {
    std::tm moment{};
    moment.tm_mday = 5, moment.tm_mon = 11, moment.tm_year = 2026 - 1900;
    moment.tm_hour = 9, moment.tm_min = 7;
    const auto stamp = formatTimestamp(moment);
    EXPECT_EQ(stamp.date + " " + stamp.time, "5 Dec 2026 09:07");
}

// Twelve boards at most; a line about the preamble comes on top.
TEST(Tables, FindingsTextShowsTwelveBoards) {
    std::string twelve = "The four LIN files were written, but some deals look wrong:\nBefore: y.";
    for (int i = 0; i < 12; ++i) twelve += "\nBoard 1: x.";
    for (std::size_t n : {12, 13, 14}) {
        std::vector<std::string> lines(n, "Board 1: x.");
        lines.insert(lines.begin(), "Before: y.");
        const auto text = findingsText(lines);
        EXPECT_EQ(text, twelve + (n == 12   ? ""
                                  : n == 13 ? "\nand 1 more board."
                                            : "\nand 2 more boards."));
    }
}

}  // namespace
}  // namespace conversion
