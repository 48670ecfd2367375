#include "lin_record.h"

#include "excerpt.h"
#include "fault.h"
#include "quillotan/display_text.h"

#include <algorithm>
#include <array>

namespace conversion {

namespace {

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

// Characters that would break the LIN line: | separates its fields, a comma the hands of its
// deal (a reader would see other hands in other seats), and it is one line.
constexpr std::string_view kBreaksLine("|,\r\n\0", 5);

// The seat a letter names, N, E, S or W; in either case when lower case is allowed.
std::optional<int> seatOf(char letter, bool lowerCase) {
    if (lowerCase && letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    const auto seat = kSeatLetters.find(letter);
    return seat == kSeatLetters.npos ? std::nullopt : std::optional<int>(static_cast<int>(seat));
}

// The dealer of the record: the board's when its letter names a seat, else the previous
// board's, which the note says.
void updateDealer(const Board& board, RecordState& state, LinRecord& record) {
    const std::string letter = board.dealer.value_or("").substr(0, 1);
    if (const auto seat = seatOf(letter.empty() ? ' ' : letter[0], false)) {
        state.dealer = seat;
        return;
    }
    if (!state.dealer) {
        throw Fault(expectedFound("a dealer tag like [Dealer \"N\"] (N, E, S or W)",
                                  "the dealer letter \"" + letter + "\""),
                    board.dealerLine, board.number);
    }
    const std::string used(kSeatNames[*state.dealer]);
    record.notes.push_back(
        board.dealer ? "the dealer \"" + excerpt(*board.dealer) +
                           "\" is not a seat: the previous board's, " + used + ", was used"
                     : "no Dealer tag: the previous board's dealer, " + used + ", was used");
}

// The vulnerability of the record: the board's when it is known, else the previous board's
// (none on a first board), which the note says.
void updateVulnerability(const Board& board, RecordState& state, LinRecord& record) {
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
    record.notes.push_back(board.vulnerability
                               ? "the vulnerability \"" + excerpt(*board.vulnerability) +
                                     "\" is not known: " + used
                               : "no Vulnerable tag: " + used);
}

// The seat of the deal's first hand. A deal whose letter names no seat lists its hands from
// the dealer, clockwise, which the note says.
int firstSeat(const Board& board, int dealer, LinRecord& record) {
    if (const auto seat = seatOf(board.dealLetter, true)) return *seat;
    record.notes.push_back("the deal does not say whose hand comes first (\"" +
                           std::string(1, board.dealLetter) +
                           ":\"): the hands were taken from the dealer, " +
                           std::string(kSeatNames[dealer]) + ", clockwise");
    return dealer;
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

LinRecord buildDealRecord(const Board& board, RecordState& state) {
    LinRecord record;
    updateDealer(board, state, record);
    updateVulnerability(board, state, record);
    record.deal = seated(board.number, board.hands, firstSeat(board, *state.dealer, record));

    // The line carries South's, West's and North's hands, in that order.
    std::array<std::string, 3> taken;
    for (int i = 0; i < 3; ++i) {
        const int seat = (kSouth + i) % 4;
        const std::string& hand = record.deal.hands[seat];
        if (const auto bad = hand.find_first_of(kBreaksLine); bad != hand.npos) {
            throw Fault(std::string(kSeatNames[seat]) + "'s hand holds \"" + hand[bad] +
                            "\", which a LIN line cannot carry",
                        board.dealLine, board.number);
        }
        taken[i] = InsertSuits(hand);
    }

    std::string& line = record.line;
    line.reserve(64 + taken[0].size() + taken[1].size() + taken[2].size());
    const std::string number = std::to_string(board.number);
    line += "qx|o";
    line += number;
    line += "|md|";
    line += static_cast<char>('1' + (*state.dealer + 2) % 4);  // 1 South, 2 West, 3 North, 4 East
    line += taken[0];
    line += ',';
    line += taken[1];
    line += ',';
    line += taken[2];
    line += "|rh||ah|Board ";
    line += number;
    line += "|sv|";
    line += state.vulnerability;
    line += "|pg||";
    return record;
}

}  // namespace conversion
