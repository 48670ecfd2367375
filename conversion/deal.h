#pragma once

// Cards and seats, as the record and the deal checks both see them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// The thirteen ranks, highest first.
inline constexpr std::string_view kRanks = "AKQJT98765432";

// The four seats clockwise from North, as a deal lists them; a seat is its index here.
inline constexpr int kSouth = 2;
inline constexpr std::string_view kSeatLetters = "NESW";
inline constexpr std::array<std::string_view, 4> kSeatNames = {"North", "East", "South", "West"};

// One board's deal: its number and its four PBN hands by seat, North first.
struct Deal {
    std::int16_t number = 0;
    std::array<std::string, 4> hands;
};

// The deal of four hands listed clockwise from the seat firstSeat.
inline Deal seated(std::int16_t number, const std::vector<std::string>& hands, int firstSeat) {
    Deal deal{number, {}};
    for (std::size_t i = 0; i < 4; ++i) deal.hands[(firstSeat + i) % 4] = hands[i];
    return deal;
}

}  // namespace conversion
