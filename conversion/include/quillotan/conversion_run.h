#pragma once

#include "quillotan/conversion_error.h"
#include "quillotan/findings.h"
#include "quillotan/hand_record.h"
#include "quillotan/set_shape.h"
#include "quillotan/timestamp.h"

#include <filesystem>
#include <optional>
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
    std::vector<std::filesystem::path> outputs;  // the LIN files written
    // About the source and its folder as a whole: boards left over, other sets beside it.
    std::vector<std::string> notes;
    std::vector<Finding> findings;  // what was guessed and what looks wrong, in board order
    // Files beside the source named as a set's, <base>_a-b.lin or <base>_a.lin, that are not
    // of this set: left by a run of another shape.
    std::vector<std::filesystem::path> others;
    std::vector<std::filesystem::path> record;  // the hand record's files, when asked for
    std::vector<RecordBoard> boards;            // the set's, as the hand record shows them
};

// The warning after a run, empty when there is nothing to say: a lead line, every note, then
// at most maxLines findings and "and N more boards." for the rest.
std::string warningText(const RunResult& result, FilesAre state = FilesAre::Written,
                        std::size_t maxLines = 12);

// Converts the first shape.boards boards of a PBN source into the LIN files of
// outputPaths(source, shape), with CR LF line ends. Reads only as far as the last of those
// boards, and then at most a little way on, to tell whether more boards follow (a finding).
// Findings do not stop the files being written. With record settings, the hand record's
// files of recordPaths(source) are written too, as part of the set. The set is written whole or not
// at all: every file is written under a temporary name and all are put in place at the end. Throws
// ConversionError, and nothing else, on failure (a shape that describeShape refuses included,
// before anything is read); no file is then written and no earlier file is touched.
RunResult convert(const std::filesystem::path& source, const Clock& clock = localTimestamp,
                  const SetShape& shape = {},
                  const std::optional<RecordSettings>& record = std::nullopt);

}  // namespace conversion
