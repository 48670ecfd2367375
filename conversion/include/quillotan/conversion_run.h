#pragma once

#include "quillotan/conversion_error.h"
#include "quillotan/findings.h"
#include "quillotan/set_shape.h"
#include "quillotan/timestamp.h"

#include <filesystem>
#include <vector>

namespace conversion {

// The files a run of source in that shape writes, beside it and in this order: one for each
// file of the set, <base>_a-b.lin, a and b the places of its first and last board in the set
// (<base>_a.lin for a file of one board), base being source less its extension. By default:
// <base>_1-6.lin, <base>_7-12.lin, <base>_13-18.lin and <base>_19-24.lin.
std::vector<std::filesystem::path> outputPaths(const std::filesystem::path& source,
                                               const SetShape& shape = {});

// What a run that converted gives.
struct RunResult {
    std::vector<std::filesystem::path> outputs;  // the files written
    std::vector<Finding> findings;  // what was guessed and what looks wrong, in board order
};

// Converts the first shape.boards boards of a PBN source into the LIN files of
// outputPaths(source, shape), with CR LF line ends. Reads only as far as the last of those
// boards, and then at most a little way on, to tell whether more boards follow (a finding).
// Findings do not stop the files being written. Throws ConversionError, and nothing else, on
// failure (a shape that shapeProblem refuses included, before anything is read); output files
// completed before it stay, no other file is touched and no partial file is left behind.
RunResult convert(const std::filesystem::path& source, const Clock& clock = localTimestamp,
                  const SetShape& shape = {});

}  // namespace conversion
