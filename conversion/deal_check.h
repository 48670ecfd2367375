#pragma once

#include "deal.h"

#include <string>
#include <vector>

namespace conversion {

// What looks wrong in the deals of a run, as a player would say it ("North holds 12 cards
// and East 14"): for each deal in order, its phrases, none for a good deal. Each deal
// should be four hands of four suits and 13 cards, every card of the pack once; no board
// number and no deal (the same cards in the same seats) should come twice, a board being
// named by its place in the run, counted from 1.
std::vector<std::vector<std::string>> checkDeals(const std::vector<Deal>& deals);

}  // namespace conversion
