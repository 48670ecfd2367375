#pragma once

#include <array>
#include <string_view>

namespace conversion {

// The four seats clockwise from North, as a deal lists them; a seat is its index here.
inline constexpr int kNorth = 0, kEast = 1, kSouth = 2, kWest = 3;
inline constexpr std::string_view kSeatLetters = "NESW";
inline constexpr std::array<std::string_view, 4> kSeatNames = {"North", "East", "South", "West"};

}  // namespace conversion
