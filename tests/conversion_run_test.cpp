#include "conversion_run.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace conversion {
namespace {

using namespace testing_support;

constexpr const char* kFiller =
    "qx|o99|md|1SAKQJT98765432H-D-C-,S-HAKQJT98765432D-C-,S-H-DAKQJT98765432C-|rh||ah|Board "
    "99|sv|-|pg||\r\n";

std::string headerFor(const fs::path& source, std::initializer_list<std::string_view> preamble) {
    std::string text = "% Lin file created by Quillotan 5 Dec 2026 at 09:07\r\n% Source file " +
                       source.string() + "\r\n";
    for (auto line : preamble) text += "% " + std::string(line) + "\r\n";
    return text;
}

// The four files expected for boards numbered first.. in the layout of boards().
std::vector<std::string> expectedFiles(const std::string& header, int first = 1) {
    std::vector<std::string> files;
    for (int file = 0; file < 4; ++file) {
        std::string text = header;
        if (file == 3) text += std::string(kFiller) + kFiller;
        for (int i = 0; i < 6; ++i) text += expectedRecord(first + file * 6 + i) + "\r\n";
        files.push_back(text);
    }
    return files;
}

std::vector<std::string> readOutputs(const fs::path& base) {
    std::vector<std::string> files;
    for (const auto& name : outputsFor(base)) files.push_back(readFile(name));
    return files;
}

TEST(ConversionRun, WritesFourFilesByteForByte) {
    TempDir dir;
    const auto source = dir / "Week12.pbn";
    writeFile(source, "% PBN 2.1\r\n[Event \"Club night\"]\r\n" + boards(1, 24, "\r\n"));
    RunState state;
    RecordingDisplay display;
    convertFile(source, &state, &display);

    const auto header = headerFor(source, {"% PBN 2.1", "[Event \"Club night\"]"});
    EXPECT_EQ(readOutputs(dir / "Week12"), expectedFiles(header));

    // Each output name is shown before its file exists.
    const auto outputs = outputsFor(dir / "Week12");
    EXPECT_EQ(display.shown,
              (std::vector<std::string>{"source " + source.string(), "0 " + outputs[0].string(),
                                        "1 " + outputs[1].string(), "2 " + outputs[2].string(),
                                        "3 " + outputs[3].string()}));
    EXPECT_EQ(display.existedWhenShown, std::vector<bool>(4, false));
    EXPECT_EQ(state.outputName, outputs[3]);
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"Week12.pbn", "Week12_1-6.lin", "Week12_13-18.lin",
                                        "Week12_19-24.lin", "Week12_7-12.lin"}));
}

struct PreambleCase {
    const char* name;
    std::string preamble;
    std::vector<std::string_view> headerLines;
};

void PrintTo(const PreambleCase& c, std::ostream* os) { *os << c.name; }

class PreambleTest : public testing::TestWithParam<PreambleCase> {};

TEST_P(PreambleTest, BecomesCommentLinesInEveryFile) {
    TempDir dir;
    const auto source = dir / "deals.pbn";
    writeFile(source, GetParam().preamble + boards(1, 24));
    convertFile(source);
    std::string header = headerFor(source, {});
    for (auto line : GetParam().headerLines) header += "% " + std::string(line) + "\r\n";
    EXPECT_EQ(readOutputs(dir / "deals"), expectedFiles(header));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PreambleTest,
    testing::Values(PreambleCase{"None", "", {}},
                    PreambleCase{"EmptyLine", "% PBN 1.0\n\n", {"% PBN 1.0", ""}},
                    PreambleCase{"EightLines",
                                 "1\n2\n3\n4\n5\n6\n7\n\xe9t\xe9\r\n",
                                 {"1", "2", "3", "4", "5", "6", "7", "\xe9t\xe9"}}),
    [](const auto& info) { return info.param.name; });

TEST(ConversionRun, StartsEachRunWithAnEmptyHeader) {
    TempDir dir;
    RunState state;
    writeFile(dir / "first.pbn", "a\nb\nc\n" + boards(1, 24));
    convertFile(dir / "first.pbn", &state);
    writeFile(dir / "second.pbn", "z\n" + boards(1, 24));
    convertFile(dir / "second.pbn", &state);
    EXPECT_EQ(readOutputs(dir / "second"), expectedFiles(headerFor(dir / "second.pbn", {"z"})));
}

TEST(ConversionRun, NamesOutputsByDroppingTheExtension) {
    struct Case {
        const char* source;
        const char* base;
    };
    for (const auto& c :
         {Case{"Week12.pbn", "Week12"}, Case{"week12", "week12"}, Case{"Week.12.PBN", "Week.12"},
          Case{"a.b/c", "a.b/c"}, Case{"x.pbn", "x"}}) {
        TempDir dir;
        const auto source = dir / c.source;
        fs::create_directories(source.parent_path());
        writeFile(source, boards(1, 24));
        convertFile(source);
        for (const auto& name : outputsFor(dir / c.base)) {
            EXPECT_TRUE(fs::is_regular_file(name)) << name;
        }
    }
}

TEST(ConversionRun, ReplacesExistingOutputs) {
    TempDir dir;
    writeFile(dir / "deals.pbn", boards(1, 24));
    for (const auto& name : outputsFor(dir / "deals")) writeFile(name, std::string(5000, 'x'));
    convertFile(dir / "deals.pbn");
    EXPECT_EQ(readOutputs(dir / "deals"), expectedFiles(headerFor(dir / "deals.pbn", {})));
}

struct BoardsCase {
    const char* name;
    std::string boards;
    int firstNumber;
};

void PrintTo(const BoardsCase& c, std::ostream* os) { *os << c.name; }

class BoardSequenceTest : public testing::TestWithParam<BoardsCase> {};

// The run reads exactly 24 boards, whatever they are numbered and whatever follows them.
TEST_P(BoardSequenceTest, ConvertsTheFirst24Boards) {
    TempDir dir;
    writeFile(dir / "deals.pbn", GetParam().boards);
    convertFile(dir / "deals.pbn");
    EXPECT_EQ(readOutputs(dir / "deals"),
              expectedFiles(headerFor(dir / "deals.pbn", {}), GetParam().firstNumber));
}

std::string withoutFinalLineEnd(std::string text) {
    while (text.back() == '\n') text.pop_back();
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, BoardSequenceTest,
    testing::Values(BoardsCase{"MoreThan24", boards(1, 30), 1},
                    BoardsCase{"Numbered25To48", boards(25, 48), 25},
                    BoardsCase{"EndsAtLastDealLine", withoutFinalLineEnd(boards(1, 24)), 1},
                    BoardsCase{
                        "OtherLinesBetweenBoards",
                        boards(1, 12) + "[Event \"x\"]\n%%!R 123\n\n" + boards(13, 24, "\r\n"), 1}),
    [](const auto& info) { return info.param.name; });

// A dealing program writes every deal from North, whatever the dealer.
TEST(ConversionRun, TakesTheRightHandsFromDealsListedFromNorth) {
    TempDir dir;
    fs::copy_file(fs::path(DATA_DIR) / "psbridge-32-boards.pbn", dir / "ps.pbn");
    convertFile(dir / "ps.pbn");
    const auto first = readFile(dir / "ps_1-6.lin");
    EXPECT_NE(first.find("\r\n% % PBN 1.0\r\n% [Generator \"Big Deal version 1.2\"]\r\n"
                         "qx|o1|md|3S643H73DK7CAJ9854,SQT8HAJ8642DATCT2,SAKJ92H95DQ932C76|rh||ah|"
                         "Board 1|sv|0|pg||\r\n"
                         "qx|o2|md|4SAHAKQ54DQ9CJT965,S853HT763DA8CA432,SQ92HJ8DKT542CKQ7|rh||ah|"
                         "Board 2|sv|N|pg||\r\n"),
              std::string::npos)
        << first;
    const auto last = readFile(dir / "ps_19-24.lin");
    EXPECT_NE(last.find("|rh||ah|Board 24|sv|0|pg||\r\n"), std::string::npos);
    EXPECT_EQ(last.find("Board 25"), std::string::npos);
}

TEST(Timestamp, FormatsDayMonthYearAndTime) {
    std::tm moment{};
    moment.tm_mday = 5;
    moment.tm_mon = 11;
    moment.tm_year = 2026 - 1900;
    moment.tm_hour = 9;
    moment.tm_min = 7;
    const auto stamp = formatTimestamp(moment);  // under the suite's C.UTF-8 locale
    EXPECT_EQ(stamp.date, "5 Dec 2026");
    EXPECT_EQ(stamp.time, "09:07");
}

}  // namespace
}  // namespace conversion
