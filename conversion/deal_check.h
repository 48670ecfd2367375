#pragma once

#include "lin_record.h"

#include <string>
#include <vector>

namespace conversion {

// What looks wrong in the deals of a run, one line for each board with findings, in board
// order, as a player would say it: "Board 7: North holds 12 cards and East 14." Each deal
// should be four hands of four suits and 13 cards, every card of the pack once; no board
// number and no deal (the same cards in the same seats) should come twice. boards are the
// boards of the run in order; a board's place in the run is its index plus one.
std::vector<std::string> checkDeals(const std::vector<BoardFields>& boards);

// The text of the warning for a run with findings: a lead line, then the lines, at most
// maxLines of those about a board ("Board ..."), then "and N more boards." for the rest.
std::string findingsText(const std::vector<std::string>& findings, std::size_t maxLines = 12);

}  // namespace conversion
