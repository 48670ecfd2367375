// Tables for what is smaller than a whole run: hands, seats, dealer and vulnerability codes,
// and the timestamp.

#include "deal_check.h"
#include "lin_record.h"
#include "timestamp.h"

#include <gtest/gtest.h>

namespace conversion {
namespace {

TEST(Tables, InsertSuits) {
    const std::pair<const char*, const char*> rows[] = {{"AKQ2.JT9.876.543", "SAKQ2HJT9D876C543"},
                                                        {"AKQJ..T98765.432", "SAKQJHDT98765C432"},
                                                        {"AKQJ.T98.765432.", "SAKQJHT98D765432C"},
                                                        {"AKQ.JT9", "SAKQHJT9"},
                                                        {"A.K.Q.J.T", "SAHKDQCJ.T"},
                                                        {"", "S"}};
    for (const auto& [pbn, lin] : rows) EXPECT_EQ(InsertSuits(pbn), lin) << pbn;
}

// Each hand names its seat in spades, so that a wrong choice shows in the record.
BoardFields dealListedFrom(int first, const char* dealer, const char* vulnerability,
                           char firstSeat) {
    BoardFields board;
    board.number = 1;
    board.dealer = dealer;
    board.vulnerability = vulnerability;
    board.firstSeat = firstSeat;
    for (int i = 0; i < 4; ++i) board.hands.push_back(std::string(1, "NESW"[(first + i) % 4]));
    return board;
}

// Whatever the dealer and whichever seat the deal starts with, the record carries South's,
// West's and North's hands.
TEST(Tables, HandsBySeat) {
    struct Row {
        const char* dealer;
        char firstSeat;  // the letter before the colon
        int listedFrom;  // index into N, E, S, W of the deal's first hand
        const char* start;
    };
    const Row rows[] = {{"N", 'N', 0, "3SS,SW,SN"}, {"E", 'E', 1, "4SS,SW,SN"},
                        {"S", 'S', 2, "1SS,SW,SN"}, {"W", 'W', 3, "2SS,SW,SN"},
                        {"E", 'N', 0, "4SS,SW,SN"}, {"W", 'N', 0, "2SS,SW,SN"}};
    for (const auto& row : rows) {
        RecordState state;
        const auto record =
            buildDealRecord(dealListedFrom(row.listedFrom, row.dealer, "", row.firstSeat), state);
        EXPECT_EQ(record.substr(9, 9), row.start) << row.dealer << " " << row.firstSeat;
    }
}

// A dealer letter or vulnerability word that is not recognised keeps the previous board's.
TEST(Tables, DealerAndVulnerabilityCarryOver) {
    const std::array<const char*, 3> rows[] = {
        {"W", "#", "2|"},  // nothing recognised yet: no vulnerability
        {"n", "EW", "2|E"},  {"", "Both", "2|B"}, {"S", "none", "1|B"}, {"E", "Love", "4|0"},
        {"N", "All", "3|B"}, {"N", "-", "3|0"},   {"N", "NS", "3|N"},   {"N", "", "3|N"},
    };
    RecordState state;
    for (const auto& [dealer, vulnerability, codes] : rows) {
        const auto record = buildDealRecord(dealListedFrom(0, dealer, vulnerability, 'N'), state);
        const auto sv = record.find("|sv|") + 4;
        EXPECT_EQ(record.substr(9, 1) + "|" + record.substr(sv, record.size() - sv - 5), codes)
            << dealer << " " << vulnerability;
    }
}

TEST(Tables, TimestampUnderTheSuitesLocale) {
    std::tm moment{};
    moment.tm_mday = 5;
    moment.tm_mon = 11;
    moment.tm_year = 2026 - 1900;
    moment.tm_hour = 9;
    moment.tm_min = 7;
    const auto stamp = formatTimestamp(moment);
    EXPECT_EQ(stamp.date + " " + stamp.time, "5 Dec 2026 09:07");
}

TEST(Tables, FindingsTextShowsTwelveBoards) {
    std::string twelve = "The four LIN files were written, but some deals look wrong:";
    for (int i = 0; i < 12; ++i) twelve += "\nBoard 1: x.";
    for (std::size_t n : {12, 13, 14}) {
        const auto text = findingsText(std::vector<std::string>(n, "Board 1: x."));
        EXPECT_EQ(text, twelve + (n == 12   ? ""
                                  : n == 13 ? "\nand 1 more board."
                                            : "\nand 2 more boards."));
    }
}

}  // namespace
}  // namespace conversion
