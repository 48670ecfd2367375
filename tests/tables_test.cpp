// Tables for what is smaller than a whole run: the source's lines, the timestamp, the
// warning's text and how text is shown.

#include "conversion_run.h"
#include "display_text.h"
#include "fault.h"
#include "findings.h"
#include "pbn_source.h"
#include "test_support.h"
#include "timestamp.h"

#include <gtest/gtest.h>

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

std::string repeated(const std::string& text, int times) {
    std::string all;
    while (times-- > 0) all += text;
    return all;
}

TEST(Tables, SplitsLinesAndDecodes) {
    TempDir dir;
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"", {}},
        {"a\nb\r\n\r\n\nlast", {"a", "b", "", "", "last"}},
        {"a\rb\n", {"a", "b\n"}},                // the first line ends in a CR alone: CR line ends
        {"\xe9t\xe9\0x\n"s, {"\xe9t\xe9\0x"s}},  // bytes as they are
        // UTF-16 of é and U+1F600 (a surrogate pair), then a lone half of each kind, an odd byte
        {"\xFF\xFE\xE9\0=\xD8\0\xDE\n\0=\xD8z\0\0\xDCz"s, {"\u00E9\U0001F600", "\uFFFDz\uFFFD"}},
        // the first pair of all (U+10000), split between two blocks
        {"\xFF\xFE" + repeated("a\0"s, 8191) + "\0\xD8\0\xDC"s,
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

// Twelve lines at most, a line about the preamble among them; the rest are counted.
TEST(Tables, FindingsTextShowsTwelveLines) {
    std::vector<Finding> findings = {{0, std::nullopt, "p."}};
    for (int board = 1; board <= 13; ++board) findings.push_back({board, std::nullopt, "x."});
    findings[2].number = 7;
    const auto text = findingsText(findings);
    EXPECT_TRUE(
        text.starts_with("The four LIN files were written, but some deals look wrong:\n"
                         "Before board 1: p.\nBoard 1: x.\nBoard 2 (numbered 7): x.\n"));
    EXPECT_TRUE(text.ends_with("\nBoard 10: x.\nBoard 11: x.\nand 2 more boards.")) << text;
}

// The rows of display_rows.txt: bytes in hex | the text shown.
TEST(Tables, DisplayText) {
    std::ifstream rows(fs::path(CASES_DIR).parent_path() / "display_rows.txt");
    for (std::string row; std::getline(rows, row);) {
        if (row.starts_with('#')) continue;
        const auto bar = row.find(" | ");
        std::istringstream hex(row.substr(0, bar));
        std::string bytes;
        for (unsigned byte = 0; hex >> std::hex >> byte;) bytes += static_cast<char>(byte);
        EXPECT_EQ(displayText(bytes), row.substr(bar + 3)) << row;
    }
}

#ifdef _WIN32
// A name with half a surrogate pair, which no UTF-8 can hold: the run's own error, with the
// name shown escaped.
TEST(Tables, NameWithALoneSurrogate) {
    const auto message = messageOf([] { convert(fs::path(L"w\xD800.pbn"), fixedClock); });
    EXPECT_TRUE(message.starts_with("Could not convert w\\xed\\xa0\\x80.pbn.\n")) << message;
}
#endif

}  // namespace
}  // namespace conversion
