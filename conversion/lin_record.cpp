#include "lin_record.h"

#include "fault.h"

#include <algorithm>
#include <array>

namespace conversion {

namespace {

constexpr std::array<std::string_view, 4> kSeats = {"S", "W", "N", "E"};  // dealer codes 1..4
constexpr std::array<std::string_view, 4> kSeatNames = {"South", "West", "North", "East"};
constexpr std::string_view kCompass = "NESW";  // clockwise from North

struct Vulnerability {
    std::string_view text, code;
};
// PBN's own synonyms: Both for All, Love and "-" for None. The first of each code names it.
constexpr std::array<Vulnerability, 7> kVulnerabilities = {{{"None", "0"},
                                                            {"NS", "N"},
                                                            {"EW", "E"},
                                                            {"All", "B"},
                                                            {"Both", "B"},
                                                            {"Love", "0"},
                                                            {"-", "0"}}};

// The dealer of the record: the board's when its letter names a seat, else the previous
// board's, which the note says.
void updateDealer(BoardFields& board, RecordState& state) {
    const std::string letter = board.dealer.value_or("").substr(0, 1);
    const auto seat = std::find(kSeats.begin(), kSeats.end(), letter);
    if (seat != kSeats.end()) {
        state.dealerCode = static_cast<std::uint8_t>(seat - kSeats.begin() + 1);
        return;
    }
    if (state.dealerCode == 0) {
        throw Fault(expectedFound("a dealer tag like [Dealer \"N\"] (N, E, S or W)",
                                  "the dealer letter \"" + letter + "\""),
                    board.dealerLine);
    }
    const std::string used = std::string(kSeatNames[state.dealerCode - 1]);
    board.notes.push_back(
        board.dealer ? "the dealer \"" + *board.dealer +
                           "\" is not a seat: the previous board's, " + used + ", was used"
                     : "no Dealer tag: the previous board's dealer, " + used + ", was used");
}

// The vulnerability of the record: the board's when it is known, else the previous board's
// (none on a first board), which the note says.
void updateVulnerability(BoardFields& board, RecordState& state) {
    for (const auto& name : kVulnerabilities) {
        if (board.vulnerability == name.text) {
            state.vulnerability = name.code;
            return;
        }
    }
    const auto known =
        std::find_if(kVulnerabilities.begin(), kVulnerabilities.end(),
                     [&state](const auto& name) { return name.code == state.vulnerability; });
    const std::string used =
        known == kVulnerabilities.end()
            ? "none was written, as no earlier board gives one"
            : "the previous board's, " + std::string(known->text) + ", was used";
    board.notes.push_back(board.vulnerability ? "the vulnerability \"" + *board.vulnerability +
                                                    "\" is not known: " + used
                                              : "no Vulnerable tag: " + used);
}

// Index of South's hand, counted from the seat of the deal's first hand. A deal whose letter
// names no seat lists its hands from the dealer, clockwise: the note says so, and the board
// takes the dealer's seat for the deal checks.
int southIndex(BoardFields& board, const RecordState& state) {
    if (kCompass.find(board.firstSeat) == kCompass.npos) {
        const std::string_view dealer = kSeats[state.dealerCode - 1];
        board.notes.push_back("the deal does not say whose hand comes first (\"" +
                              std::string(1, board.firstSeat) +
                              ":\"): the hands were taken from the dealer, " +
                              std::string(kSeatNames[state.dealerCode - 1]) + ", clockwise");
        board.firstSeat = dealer.front();
    }
    return static_cast<int>((2 + 4 - kCompass.find(board.firstSeat)) % 4);
}

}  // namespace

std::string InsertSuits(std::string_view hand) {
    std::string lin;
    lin.reserve(hand.size() + 1);
    lin += 'S';
    std::string_view next = "HDC";
    for (char c : hand) {
        if (c == '.' && !next.empty()) {
            lin += next.front();
            next.remove_prefix(1);
        } else {
            lin += c;
        }
    }
    return lin;
}

std::string buildDealRecord(BoardFields& board, RecordState& state) {
    updateDealer(board, state);
    updateVulnerability(board, state);

    // The line carries South's, West's and North's hands, in that order.
    const int south = southIndex(board, state);
    std::array<std::string, 3> taken;
    for (int i = 0; i < 3; ++i) taken[i] = InsertSuits(board.hands[(south + i) % 4]);

    std::string record;
    record.reserve(64 + taken[0].size() + taken[1].size() + taken[2].size());
    const std::string number = std::to_string(board.number.value_or(0));
    record += "qx|o";
    record += number;
    record += "|md|";
    record += static_cast<char>('0' + state.dealerCode);
    record += taken[0];
    record += ',';
    record += taken[1];
    record += ',';
    record += taken[2];
    record += "|rh||ah|Board ";
    record += number;
    record += "|sv|";
    record += state.vulnerability;
    record += "|pg||";
    return record;
}

}  // namespace conversion
