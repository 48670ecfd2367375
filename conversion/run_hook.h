#pragma once

// A seam into a run for the tests alone: they plant faults through it that strike mid-run.

#include "quillotan/hand_record.h"
#include "quillotan/set_shape.h"
#include "quillotan/timestamp.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace conversion {

struct RunResult;

// Called right after each temporary output file of a run is created, with the file's index,
// counted from 0.
using AfterTemporaryCreated = std::function<void(int index)>;

// convert(source, clock, shape, record), calling afterTemporaryCreated as it goes.
RunResult convert(const std::filesystem::path& source, const Clock& clock, const SetShape& shape,
                  const std::optional<RecordSettings>& record,
                  const AfterTemporaryCreated& afterTemporaryCreated);

}  // namespace conversion
