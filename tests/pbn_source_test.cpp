#include "pbn_source.h"

#include "conversion_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace conversion {
namespace {

using testing_support::TempDir;
using testing_support::writeFile;
using namespace std::string_literals;

std::vector<std::string> linesOf(const TempDir& dir, std::string_view bytes) {
    writeFile(dir / "source.pbn", bytes);
    PbnSource source(dir / "source.pbn");
    std::vector<std::string> lines;
    std::string line;
    while (source.readLine(line)) lines.push_back(line);
    return lines;
}

TEST(PbnSource, SplitsLinesAtLfAndCrLf) {
    TempDir dir;
    using Lines = std::vector<std::string>;
    EXPECT_EQ(linesOf(dir, ""), Lines{});
    EXPECT_EQ(linesOf(dir, "a\nb\r\n\r\n\nlast"), (Lines{"a", "b", "", "", "last"}));
    EXPECT_EQ(linesOf(dir, "a\r\n"), Lines{"a"});
    EXPECT_EQ(linesOf(dir, "a\rb\n"), Lines{"a\rb"});                    // a lone CR ends no line
    EXPECT_EQ(linesOf(dir, "\xe9t\xe9\0x\n"s), Lines{"\xe9t\xe9\0x"s});  // bytes as they are
}

TEST(PbnSource, ReadsLinesAcrossBlocksUpToTheLimit) {
    TempDir dir;
    const std::string longest(kMaxLineLength, 'x');
    const auto lines = linesOf(dir, "a\n" + longest + "\r\n" + longest + "\nb");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], longest);
    EXPECT_EQ(lines[2], longest);
    EXPECT_EQ(lines[3], "b");

    for (const std::string& tooLong : {longest + "x\n", longest + "x", longest + "xx\r\n"}) {
        writeFile(dir / "source.pbn", "first\n" + tooLong);
        PbnSource source(dir / "source.pbn");
        std::string line;
        ASSERT_TRUE(source.readLine(line));
        try {
            source.readLine(line);
            FAIL() << "a line of " << tooLong.size() << " bytes was read";
        } catch (const Fault& fault) {
            EXPECT_EQ(fault.line(), 2);
        }
    }
}

struct BoardCase {
    const char* name;
    std::string block;  // the current line and the three after it
    int number;
    const char* dealer;
    const char* vulnerability;
    std::vector<std::string> hands;
};

void PrintTo(const BoardCase& c, std::ostream* os) { *os << c.name; }

class ReadBoardTest : public testing::TestWithParam<BoardCase> {};

TEST_P(ReadBoardTest, CutsValuesFromFixedColumns) {
    const auto& c = GetParam();
    TempDir dir;
    writeFile(dir / "source.pbn", c.block + "[Board \"next\"]\n");
    PbnSource source(dir / "source.pbn");
    std::string current;
    ASSERT_TRUE(source.readLine(current));
    BoardFields board;
    readBoard(source, current, board);
    EXPECT_EQ(board.line, 1);
    EXPECT_EQ(board.number, c.number);
    EXPECT_EQ(board.dealer, c.dealer);
    EXPECT_EQ(board.vulnerability, c.vulnerability);
    EXPECT_EQ(board.hands, c.hands);
    EXPECT_EQ(board.firstSeat, 'N');
}

const std::vector<std::string> kHands = {"AK2.QJ3.T98.7654", "QJ3.T98.7654.AK2", "T98.7654.AK2.QJ3",
                                         "7654.AK2.QJ3.T98"};
const std::string kDeal =
    "[Deal \"N:AK2.QJ3.T98.7654 QJ3.T98.7654.AK2 T98.7654.AK2.QJ3 7654.AK2.QJ3.T98\"]\n";

INSTANTIATE_TEST_SUITE_P(
    Blocks, ReadBoardTest,
    testing::Values(
        BoardCase{"Plain", "[Board \"12\"]\n[Dealer \"N\"]\n[Vulnerable \"None\"]\n" + kDeal, 12,
                  "N", "None", kHands},
        BoardCase{"CrLfAndSpacedNumber",
                  "[Board \" 07 \"]\r\n[Dealer \"E\"]\r\n[Vulnerable \"Both\"]\r\n" + kDeal, 7, "E",
                  "Both", kHands},
        BoardCase{"SignsAndLimits",
                  "[Board \"-32768\"]\n[Dealer \"n\"]\n[Vulnerable \"\"]\n" + kDeal, -32768, "n",
                  "", kHands},
        BoardCase{"TagNamesAreNotRead",
                  "[Xoard Board \"+5\"]\n[Dealer]\n[Vulnerable \"NS\"] ]\n" + kDeal, 5, "", "NS",
                  kHands},
        BoardCase{"TrailingSpaceGivesFifthHand",
                  "[Board \"1\"]\n[Dealer \"S\"]\n[Vulnerable \"EW\"]\n[Deal \"N:a b  d \"]\n",
                  1,
                  "S",
                  "EW",
                  {"a", "b", "", "d", ""}},
        BoardCase{"ShortDealGivesNoHands",
                  "[Board \"1\"]\n[Dealer \"S\"]\n[Vulnerable \"EW\"]\n[Deal \"N:\"]\n",
                  1,
                  "S",
                  "EW",
                  {}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace conversion
