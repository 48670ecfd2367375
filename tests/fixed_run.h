#pragma once

#include "timestamp.h"

// The fixed clock the tests, the benchmark and the fuzz target hand a run. Header-only, so
// each can take it.
namespace testing_support {

// 5 Dec 2026 at 09:07.
inline conversion::Timestamp fixedClock() { return {"5 Dec 2026", "09:07"}; }

}  // namespace testing_support
