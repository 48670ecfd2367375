#pragma once

#include "conversion_run.h"

#include <filesystem>

// What the tests, the benchmark and the fuzz target hand a run: a fixed clock, and a
// display for runs whose names nobody looks at. Header-only, so each can take it.
namespace testing_support {

// 5 Dec 2026 at 09:07.
inline conversion::Timestamp fixedClock() { return {"5 Dec 2026", "09:07"}; }

struct NullDisplay : conversion::Display {
    void showSource(const std::filesystem::path&) override {}
    void showOutput(int, const std::filesystem::path&) override {}
};

}  // namespace testing_support
