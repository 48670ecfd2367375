#pragma once

// The double-dummy solver behind analyse(): the tricks each declarer takes in each strain with
// every card seen, and par, by the solver the clubs' programs use.

#include "quillotan/hand_record.h"

namespace conversion {

// Par from a table of tricks, when north-south bid first and when east-west do.
std::array<Par, 2> sidesPar(const Tricks& tricks, char vulnerable);

}  // namespace conversion
