#pragma once

#include "pbn_reader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace conversion {

// Dealer and vulnerability, carried from board to board within one run: a board whose
// dealer letter or vulnerability text is not recognised, or missing, keeps the previous
// board's code.
struct RecordState {
    std::uint8_t dealerCode = 0;  // 1 South, 2 West, 3 North, 4 East; 0 none recognised yet
    std::string vulnerability;    // "0", "N", "E", "B" or empty
};

// The thirteen ranks, highest first.
inline constexpr std::string_view kRanks = "AKQJT98765432";

// The board-99 line that fills the top of the fourth file: South holds the spades, West the
// hearts, North the diamonds.
inline constexpr std::string_view kFillerRecord =
    "qx|o99|md|1SAKQJT98765432H-D-C-,S-HAKQJT98765432D-C-,S-H-DAKQJT98765432C-|rh||ah|Board "
    "99|sv|-|pg||";

// PBN hand to LIN hand: AKQ2.JT9.876.543 becomes SAKQ2HJT9D876C543.
std::string InsertSuits(std::string_view hand);

// The LIN line of one board: South's, West's and North's hands, dealer and vulnerability.
// Updates the record state; throws Fault while no dealer has been recognised. The board
// holds at least four hands (the reader sees to it). What had to be taken from elsewhere (a
// dealer or vulnerability from the previous board, the hands' seats from the dealer) is
// added to the board's notes, and a deal that names no seat first takes the dealer's.
std::string buildDealRecord(BoardFields& board, RecordState& state);

}  // namespace conversion
