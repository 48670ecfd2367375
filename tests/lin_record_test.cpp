#include "lin_record.h"

#include <gtest/gtest.h>

namespace conversion {
namespace {

struct SuitsCase {
    const char* name;
    const char* pbn;
    const char* lin;
};

void PrintTo(const SuitsCase& c, std::ostream* os) { *os << c.name; }

class InsertSuitsTest : public testing::TestWithParam<SuitsCase> {};

TEST_P(InsertSuitsTest, ConvertsHand) { EXPECT_EQ(InsertSuits(GetParam().pbn), GetParam().lin); }

INSTANTIATE_TEST_SUITE_P(
    Hands, InsertSuitsTest,
    testing::Values(SuitsCase{"Full", "AKQ2.JT9.876.543", "SAKQ2HJT9D876C543"},
                    SuitsCase{"VoidHearts", "AKQJ..T98765.432", "SAKQJHDT98765C432"},
                    SuitsCase{"VoidSpades", ".AKQJ.T98765.432", "SHAKQJDT98765C432"},
                    SuitsCase{"VoidClubs", "AKQJ.T98.765432.", "SAKQJHT98D765432C"},
                    SuitsCase{"TwoDotsOnly", "AKQ.JT9", "SAKQHJT9"},
                    SuitsCase{"ExtraDotsStay", "A.K.Q.J.T", "SAHKDQCJ.T"},
                    SuitsCase{"Empty", "", "S"}),
    [](const auto& info) { return info.param.name; });

BoardFields deal(std::int16_t number, std::string dealer, std::string vulnerability,
                 std::vector<std::string> hands, char firstSeat = 0) {
    BoardFields board;
    board.line = 10;
    board.number = number;
    board.dealer = std::move(dealer);
    board.vulnerability = std::move(vulnerability);
    board.hands = std::move(hands);
    board.firstSeat = firstSeat;
    return board;
}

// The hands of one deal by seat; each hand names its seat in spades so that a wrong
// choice shows in the output.
const std::vector<std::string> kNorthFirst = {"N.1.2.3", "E.1.2.3", "S.1.2.3", "W.1.2.3"};
constexpr const char* kSouthWestNorth = "SSH1D2C3,SWH1D2C3,SNH1D2C3";

std::vector<std::string> listedFrom(int first) {
    std::vector<std::string> hands;
    for (int i = 0; i < 4; ++i) hands.push_back(kNorthFirst[(first + i) % 4]);
    return hands;
}

TEST(DealRecord, MatchesTheWorkedExample) {
    RecordState state;
    const auto board =
        deal(7, "N", "None",
             {"AK2.QJ3.T98.7654", "QJ3.T98.7654.AK2", "T98.7654.AK2.QJ3", "7654.AK2.QJ3.T98"}, 'N');
    EXPECT_EQ(buildDealRecord(board, state),
              "qx|o7|md|3ST98H7654DAK2CQJ3,S7654HAK2DQJ3CT98,SAK2HQJ3DT98C7654|rh||ah|Board "
              "7|sv|0|pg||");
}

struct SeatCase {
    const char* name;
    const char* dealer;
    char firstSeat;  // the compass letter before the colon
    int listedFrom;  // index into N, E, S, W of the deal's first hand
    char code;
};

void PrintTo(const SeatCase& c, std::ostream* os) { *os << c.name; }

class HandChoiceTest : public testing::TestWithParam<SeatCase> {};

// Whatever the dealer and whichever seat the deal starts with, the line carries South's,
// West's and North's hands.
TEST_P(HandChoiceTest, TakesSouthWestNorth) {
    const auto& c = GetParam();
    RecordState state;
    const auto record =
        buildDealRecord(deal(1, c.dealer, "None", listedFrom(c.listedFrom), c.firstSeat), state);
    EXPECT_EQ(record,
              std::string("qx|o1|md|") + c.code + kSouthWestNorth + "|rh||ah|Board 1|sv|0|pg||");
}

INSTANTIATE_TEST_SUITE_P(
    Seats, HandChoiceTest,
    testing::Values(SeatCase{"DealerNorthFromNorth", "N", 'N', 0, '3'},
                    SeatCase{"DealerEastFromEast", "E", 'E', 1, '4'},
                    SeatCase{"DealerSouthFromSouth", "S", 'S', 2, '1'},
                    SeatCase{"DealerWestFromWest", "W", 'W', 3, '2'},
                    SeatCase{"DealerEastFromNorth", "E", 'N', 0, '4'},
                    SeatCase{"DealerWestFromNorth", "W", 'N', 0, '2'},
                    // An unknown compass letter: the deal is taken to start with the dealer.
                    SeatCase{"UnknownLetterDealerWest", "W", 'x', 3, '2'},
                    SeatCase{"NoLetterDealerSouth", "S", 0, 2, '1'}),
    [](const auto& info) { return info.param.name; });

TEST(DealRecord, CarriesDealerAndVulnerabilityOverUnrecognisedValues) {
    struct Step {
        const char* dealer;
        const char* vulnerability;
        const char* expected;  // dealer code / vulnerability code, as the line has them
    };
    const Step steps[] = {
        {"W", "#", "2/"},  // nothing recognised yet: empty vulnerability
        {"n", "EW", "2/E"},  {"", "Both", "2/B"}, {"S", "none", "1/B"}, {"E", "Love", "4/0"},
        {"N", "All", "3/B"}, {"N", "-", "3/0"},   {"N", "NS", "3/N"},   {"N", "", "3/N"},
    };
    RecordState state;
    for (const auto& step : steps) {
        const auto record =
            buildDealRecord(deal(1, step.dealer, step.vulnerability, listedFrom(0), 'N'), state);
        const auto sv = record.find("|sv|") + 4;
        const std::string codes =
            record.substr(9, 1) + "/" + record.substr(sv, record.size() - sv - 5);
        EXPECT_EQ(codes, step.expected) << step.dealer << " " << step.vulnerability;
    }
}

}  // namespace
}  // namespace conversion
