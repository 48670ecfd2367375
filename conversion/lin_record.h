#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// The values of one board of the source.
struct BoardFields {
    int line = 0;                        // source line of the Board tag
    int dealerLine = 0;                  // of the Dealer tag, or of the Board tag without one
    int dealLine = 0;                    // of the Deal tag
    std::optional<std::int16_t> number;  // the board number, once it is read
    std::string dealer;                  // the first letter of the Dealer tag's value, or empty
    std::string vulnerability;           // the Vulnerable tag's value
    char firstSeat = 'N';                // the seat of the deal's first hand: N, E, S or W
    std::vector<std::string> hands;      // PBN hands in deal order
};

// Dealer and vulnerability, carried from board to board within one run: a board whose
// dealer letter or vulnerability text is not recognised keeps the previous board's code.
struct RecordState {
    std::uint8_t dealerCode = 0;  // 1 South, 2 West, 3 North, 4 East; 0 none recognised yet
    std::string vulnerability;    // "0", "N", "E", "B" or empty
};

// The thirteen ranks, highest first, from which the filler record is built.
inline constexpr std::string_view kRanks = "AKQJT98765432";

// PBN hand to LIN hand: AKQ2.JT9.876.543 becomes SAKQ2HJT9D876C543.
std::string InsertSuits(std::string_view hand);

// The LIN line of one board: South's, West's and North's hands, dealer and vulnerability.
// Updates the record state; throws Fault for a deal with fewer than four hands or while no
// dealer has been recognised.
std::string buildDealRecord(const BoardFields& board, RecordState& state);

// The board-99 line that fills the top of the fourth file.
std::string buildFillerRecord(std::string_view ranks);

}  // namespace conversion
