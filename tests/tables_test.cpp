// Tables for what is smaller than a whole run: the source's lines, the timestamp, the
// warning's text and how text is shown.

#include "fault.h"
#include "lin_record.h"
#include "pbn_source.h"
#include "quillotan/conversion_run.h"
#include "quillotan/display_text.h"
#include "quillotan/findings.h"
#include "quillotan/hand_record.h"
#include "test_support.h"
#include "timestamp_format.h"

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

// The solver's tables and par, through the record's words: tables of deals solved, and par
// from tables alone for the cases no reference deal shows.
TEST(Tables, DoubleDummyAndPar) {
    const auto rows = tableRows("record_rows.txt", 4);
    std::vector<RecordBoard> boards;
    std::vector<Tricks> tables;
    for (const auto& row : rows) {
        std::istringstream hands(row[0].substr(std::min<std::size_t>(2, row[0].size()))),
            seatings(row[1]), tricks(row[2]);
        std::string dealer, seat(1, row[0][0]);
        RecordBoard& board = boards.emplace_back();
        seatings >> dealer >> board.vulnerable;
        board.dealer = static_cast<int>(kSeatLetters.find(dealer));
        if (seat != "-") {
            const std::vector<std::string> split{std::istream_iterator<std::string>(hands), {}};
            board.hands = seated(1, split, static_cast<int>(kSeatLetters.find(seat))).hands;
        }
        for (auto& strain : tables.emplace_back()) {
            for (int& n : strain) tricks >> n;
        }
    }
    const auto solved = analyse(boards);
    for (std::size_t at = 0; at < boards.size(); ++at) {
        EXPECT_EQ(solved[at].has_value(), !boards[at].hands[0].empty()) << "row " << at + 1;
        EXPECT_TRUE(!solved[at] || solved[at]->tricks == tables[at]) << "row " << at + 1;
        std::string said;
        for (const auto& line :
             tableView(analysisOf(tables[at], boards[at].vulnerable), boards[at].dealer).par) {
            said += (said.empty() ? "" : " / ") + line;
        }
        EXPECT_EQ(said, rows[at][3]) << "row " << at + 1;
    }
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

// The notes first and whole; then twelve lines at most, a line about the preamble among them;
// the rest are counted.
TEST(Tables, WarningShowsNotesAndTwelveLines) {
    RunResult result{std::vector<fs::path>(4), {"n."}, {{0, std::nullopt, "p."}}, {}, {}, {}};
    for (int board = 1; board <= 15; ++board)
        result.findings.push_back({board, std::nullopt, "x."});
    result.findings[2].number = 7;
    auto text = warningText(result);
    EXPECT_TRUE(
        text.starts_with("The four LIN files were written.\nn.\nSome deals look wrong:\n"
                         "Before board 1: p.\nBoard 1: x.\nBoard 2 (numbered 7): x.\n"));
    EXPECT_TRUE(text.ends_with("\nBoard 10: x.\nBoard 11: x.\nand 4 more boards.")) << text;
    result.findings.clear();
    EXPECT_EQ(warningText(result), "The four LIN files were written.\nn.");
}

// The rows of display_rows.txt: bytes in hex | the text shown.
TEST(Tables, DisplayText) {
    for (const auto& row : tableRows("display_rows.txt", 2)) {
        std::istringstream hex(row[0]);
        std::string bytes;
        for (unsigned byte = 0; hex >> std::hex >> byte;) bytes += static_cast<char>(byte);
        EXPECT_EQ(displayText(bytes), row[1]) << row[0];
    }
}

// The rows of shape_rows.txt. A shape that converts: a source of a board more than the set
// gives the files the row names, the boards and the fillers in them, and a note that a board
// was left over. A shape that is refused: its sentence, before anything is written.
TEST(Tables, SetShapes) {
    TempDir dir;
    for (auto row : tableRows("shape_rows.txt", 4)) {
        SetShape shape;
        std::istringstream(row[0]) >> shape.boards >> shape.perFile >> shape.fillers;
        std::string source;
        for (int board = 1; board <= std::max(shape.boards, 0) + 1; ++board) {
            source +=
                "[Board \"" + std::to_string(board) + "\"]\n[Dealer \"N\"]\n[Deal \"" +
                "N:AK2.QJ3.T98.7654 QJ3.T98.7654.AK2 T98.7654.AK2.QJ3 7654.AK2.QJ3.T98\"]\n\n";
        }
        writeFile(dir / "w.pbn", source);
        RunResult result;
        std::string error = messageOf([&] { result = convert(dir / "w.pbn", fixedClock, shape); });
        std::string names, last;
        int records = 0;
        for (const auto& path : result.outputs) {
            names += (names.empty() ? "" : " ") + path.stem().string();
            last = readFile(path);
            for (auto at = last.find("qx|o"); at != last.npos; at = last.find("qx|o", at + 1)) {
                ++records;
            }
        }
        if (!row[3].empty()) row[3][0] = static_cast<char>(std::toupper(row[3][0]));
        EXPECT_EQ(error.substr(error.find('\n') + 1),
                  row[3].empty() ? "" : row[3] + ".\nNo file was written.")
            << row[0];
        EXPECT_EQ(names, row[1]) << row[0];
        EXPECT_EQ(records, row[3].empty() ? shape.boards + shape.fillers : 0) << row[0];
        EXPECT_EQ(last.find(std::string(kFillerRecord)),
                  shape.fillers ? last.find("qx|o") : last.npos)
            << row[0];
        EXPECT_EQ(result.notes.size(), row[3].empty() ? 1u : 0u) << row[0];
        for (const auto& path : result.outputs) fs::remove(path);
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
