#pragma once

// The hand record's two files, laid out from the analysed boards.

#include "double_dummy.h"
#include "quillotan/hand_record.h"
#include "quillotan/timestamp.h"

#include <optional>
#include <string>
#include <vector>

namespace conversion {

using Analyses = std::vector<std::optional<Analysis>>;

// Par as the record says it, with the suits as ♠ ♥ ♦ ♣: "Par: NS 620, 4♠ NS", or a line for
// each side bidding first where the two differ, the dealer's side first.
std::vector<std::string> parLines(const Analysis& analysis, int dealer);

// The PDF: a heading on every page, the boards in set order, a diagram each with its
// double-dummy table and par, and the day it was made at the foot.
std::string recordPdf(const std::vector<RecordBoard>& boards, const Analyses& analyses,
                      const RecordSettings& settings, const Timestamp& stamp);

// The PBN: each board with the source's Event, Site and Date, its dealer, vulnerability and
// deal, and the analysis in OptimumResultTable, OptimumScore and ParContract; CR LF line ends.
std::string recordPbn(const std::vector<RecordBoard>& boards, const Analyses& analyses);

}  // namespace conversion
