#pragma once

#include "deal.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// Dealer and vulnerability, carried from board to board within one run: a board whose
// dealer letter or vulnerability text is not recognised, or missing, keeps the previous
// board's.
struct RecordState {
    std::optional<int> dealer;  // the seat; none recognised yet
    std::string vulnerability;  // "0", "N", "E", "B" or empty
};

// One board's LIN line, and what building it had to decide.
struct LinRecord {
    std::string line;
    Deal deal;                       // the hands by seat, as the line places them
    std::vector<std::string> notes;  // what was taken from elsewhere, as the warning says it
};

// The number the filler boards carry.
inline constexpr std::int16_t kFillerNumber = 99;

// The board-99 line that fills the top of the last file: South holds the spades, West the
// hearts, North the diamonds.
inline constexpr std::string_view kFillerRecord =
    "qx|o99|md|1SAKQJT98765432H-D-C-,S-HAKQJT98765432D-C-,S-H-DAKQJT98765432C-|rh||ah|Board "
    "99|sv|-|pg||";

// PBN hand to LIN hand: AKQ2.JT9.876.543 becomes SAKQ2HJT9D876C543.
std::string InsertSuits(std::string_view hand);

// The LIN line of one board: South's, West's and North's hands, dealer and vulnerability.
// Updates the record state. Throws Fault while no dealer has been recognised, and for a hand
// that holds a character the line cannot carry (|, CR, LF, NUL). A dealer or vulnerability
// taken from the previous board is noted, and so is a deal whose letter names no seat: its
// hands are placed from the dealer.
LinRecord buildDealRecord(const Board& board, RecordState& state);

}  // namespace conversion
