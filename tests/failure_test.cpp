#include "conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace conversion {
namespace {

using namespace testing_support;

constexpr const char* kBadVulnerable = "[Board \"31\"]\n[West \"-\"]\n[North \"-\"]\n[Deal \"\"]\n";

struct FailureCase {
    const char* name;
    std::string source;
    const char* sentence;  // the message's line that says what was wrong and where
    int written;           // output files completed before the stop
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailureTest : public testing::TestWithParam<FailureCase> {};

// Every failure ends the run with one error that says what and where, which files were
// written and which not; nothing but the source and the completed files is left.
TEST_P(FailureTest, StopsWithAClearMessageAndNoPartialFile) {
    const auto& c = GetParam();
    TempDir dir;
    const auto source = dir / "deals.pbn";
    writeFile(source, c.source);
    const auto outputs = outputsFor(dir / "deals");
    try {
        convertFile(source);
        FAIL() << "the run ended normally";
    } catch (const ConversionError& error) {
        const auto list = [&](int from, int to) {
            std::string names;
            for (int i = from; i < to; ++i) names += (i > from ? ", " : "") + outputs[i].string();
            return names;
        };
        std::string expected = "Could not convert " + source.string() + ".\n" + c.sentence + "\n";
        expected += c.written == 0 ? "No output file was written."
                                   : "Written before the stop: " + list(0, c.written) +
                                         ".\nNot written: " + list(c.written, 4) + ".";
        EXPECT_EQ(error.what(), expected);
    }
    std::vector<std::string> left = {"deals.pbn"};
    for (int i = 0; i < c.written; ++i) left.push_back(outputs[i].filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(dir.entries(), left);
}

std::string sample(const char* name) { return readFile(fs::path(DATA_DIR) / name); }

INSTANTIATE_TEST_SUITE_P(
    Sources, FailureTest,
    testing::Values(
        FailureCase{"TooFewBoards", boards(1, 20),
                    "The source ends after board 20; a hand-record file must hold 24 boards.", 3},
        FailureCase{"EndsInsideLastBoard", boards(1, 23) + "[Board \"24\"]\n[Dealer \"W\"]\n",
                    "Board 24: the source ends inside this board; a board needs its board, "
                    "dealer, vulnerability and deal tags on four lines in a row.",
                    3},
        FailureCase{"NoBoard", "% PBN 2.1\n[Event \"\"]\n",
                    "The source holds no board: no line contains \"Board\".", 0},
        FailureCase{"Empty", "", "The source holds no board: no line contains \"Board\".", 0},
        FailureCase{"NinthPreambleLine", "1\n2\n3\n4\n5\n6\n7\n8\n9\n" + boards(1, 24),
                    "Line 9: more than 8 lines stand before the first board; a hand-record file "
                    "may have at most 8.",
                    0},
        FailureCase{"BadVulnerableTag", boards(1, 6) + kBadVulnerable + boards(8, 24),
                    "Line 33, board 7 (numbered 31): expected a vulnerability tag like "
                    "[Vulnerable \"None\"], found [North \"-\"].",
                    1},
        FailureCase{"BadNumber", boards(1, 1) + board("x", "E", "NS", "E:a b c d") + "\n",
                    "Line 6, board 2: the board number \"x\" is not a whole number from -32768 to "
                    "32767.",
                    0},
        FailureCase{"FirstBoardWithoutDealer", board("1", "n", "None", "N:a b c d") + boards(2, 24),
                    "Line 2, board 1: expected a dealer tag like [Dealer \"N\"] (N, E, S or W), "
                    "found the dealer letter \"n\".",
                    0},
        FailureCase{"ThreeHands",
                    boards(1, 12) + board("13", "N", "All", "N:a b c") + "\n" + boards(14, 24),
                    "Line 64, board 13: the deal holds 3 hands; a deal needs four, separated by "
                    "single spaces.",
                    2},
        FailureCase{"LineTooLong", boards(1, 18) + std::string(40000, 'x') + "\n" + boards(19, 24),
                    "Line 91: the line is longer than 32,767 characters; this is not a "
                    "hand-record file.",
                    2},
        FailureCase{"NumberOutOfRange", board("32768", "N", "None", "N:a b c d"),
                    "Line 1, board 1: the board number \"32768\" is not a whole number from "
                    "-32768 to 32767.",
                    0},
        FailureCase{"NumberWithTwoSigns", "[Board \"+-1\"]\n",
                    "Line 1, board 1: the board number \"+-1\" is not a whole number from "
                    "-32768 to 32767.",
                    0},
        FailureCase{"BoardInAnotherTag", "[Event \"Board\"]\n" + boards(1, 24),
                    "Line 1, board 1: expected a board tag like [Board \"7\"], found [Event "
                    "\"Board\"].",
                    0},
        FailureCase{"VulnerableWithoutBracket",
                    boards(1, 6) + "[Board \"7\"]\n[Dealer \"S\"]\n[Vulnerable \"All\"\n",
                    "Line 33, board 7: expected a vulnerability tag like [Vulnerable \"None\"], "
                    "found [Vulnerable \"All\".",
                    1},
        FailureCase{"DealTooShort", "[Board \"1\"]\n[Dealer \"N\"]\n[Vulnerable \"None\"]\n]\n",
                    "Line 4, board 1: expected a deal tag like [Deal \"N:AKQ2.JT9.876.543 ...\"], "
                    "found ].",
                    0},
        FailureCase{"TooFewBoardsSample", sample("bigdeal-14-boards.pbn"),
                    "The source ends after board 14; a hand-record file must hold 24 boards.", 2},
        FailureCase{"CommentWithBoardSample", sample("bridgecomposer-export-15-boards.pbn"),
                    "Line 8, board 1: expected a board tag like [Board \"7\"], found "
                    "%BoardsPerPage 18.",
                    0},
        FailureCase{"PlayerTagsSample", sample("dealer-export-24-boards.pbn"),
                    "Line 6, board 1: expected a vulnerability tag like [Vulnerable \"None\"], "
                    "found [North \"-\"].",
                    0}),
    [](const auto& info) { return info.param.name; });

void expectError(const fs::path& source, const std::string& sentence) {
    try {
        convertFile(source);
        FAIL() << "the run ended normally";
    } catch (const ConversionError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("\n" + sentence + "\n"), std::string::npos) << message;
    }
}

TEST(Failure, SourceThatCannotBeRead) {
    TempDir dir;
    expectError(dir / "missing.pbn", "The source file does not exist.");
    expectError(dir.path(), "The source is a folder, not a hand-record file.");
    EXPECT_TRUE(dir.entries().empty());
}

TEST(Failure, OutputNameTakenByAFolder) {
    TempDir dir;
    writeFile(dir / "deals.pbn", boards(1, 24));
    const auto outputs = outputsFor(dir / "deals");
    fs::create_directory(outputs[2]);
    expectError(dir / "deals.pbn",
                "Cannot create " + outputs[2].string() + ": a folder of that name is in the way.");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"deals.pbn", "deals_1-6.lin",
                                                       "deals_13-18.lin", "deals_7-12.lin"}));
    EXPECT_TRUE(fs::is_directory(outputs[2]));
    EXPECT_NE(readFile(outputs[1]).find("|Board 12|"), std::string::npos);
}

// Files of an earlier run keep their content unless this run completes their replacement.
TEST(Failure, KeepsEarlierOutputsThatWereNotReplaced) {
    TempDir dir;
    const auto source = dir / "deals.pbn";
    writeFile(source, "earlier\n" + boards(1, 24));
    convertFile(source);
    const auto outputs = outputsFor(dir / "deals");
    std::vector<std::string> earlier;
    for (const auto& name : outputs) earlier.push_back(readFile(name));

    writeFile(source, "later\n" + boards(1, 7) + "[Board \"8\"]\n");
    expectError(source,
                "Board 8: the source ends inside this board; a board needs its board, "
                "dealer, vulnerability and deal tags on four lines in a row.");
    EXPECT_NE(readFile(outputs[0]).find("% later\r\n"), std::string::npos);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(readFile(outputs[i]), earlier[i]) << outputs[i];
    EXPECT_EQ(dir.entries().size(), 5u);
}

}  // namespace
}  // namespace conversion
