#pragma once

// Boards, cards and seats, as the reader gives them and the record and the deal checks see
// them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// The thirteen ranks, highest first.
inline constexpr std::string_view kRanks = "AKQJT98765432";

// A card's rank as kRanks writes it: hands may write it in small letters.
inline char rankLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The four seats clockwise from North, as a deal lists them; a seat is its index here.
inline constexpr int kSouth = 2;
inline constexpr std::string_view kSeatLetters = "NESW";
inline constexpr std::array<std::string_view, 4> kSeatNames = {"North", "East", "South", "West"};

// One board's deal: its number and its four PBN hands by seat, North first.
struct Deal {
    std::int16_t number = 0;
    std::array<std::string, 4> hands;
};

// One board of the source, as its tags give it.
struct Board {
    int line = 0;                              // source line of the Board tag
    int dealerLine = 0;                        // of the Dealer tag, or of the Board tag without one
    int dealLine = 0;                          // of the Deal tag
    std::int16_t number = 0;                   // the board number
    std::optional<std::string> dealer;         // the Dealer tag's value; none without the tag
    std::optional<std::string> vulnerability;  // the Vulnerable tag's value; none without the tag
    char dealLetter = 'N';                     // the deal's letter before its colon, a seat or not
    std::vector<std::string> hands;            // the first four PBN hands, in deal order
    std::vector<std::string> notes;            // what the reading passed over
    std::array<std::string, 3> heading;        // the Event, Site and Date tags' values
};

// The deal of four hands listed clockwise from the seat firstSeat.
inline Deal seated(std::int16_t number, const std::vector<std::string>& hands, int firstSeat) {
    Deal deal{number, {}};
    for (std::size_t i = 0; i < 4; ++i) deal.hands[(firstSeat + i) % 4] = hands[i];
    return deal;
}

}  // namespace conversion
