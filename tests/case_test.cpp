// Whole runs from the case folders in tests/cases: each folder holds a source, optionally a
// before/ folder of what stands beside it before the run, the .lin files that must stand
// beside it afterwards, and error.txt with the run's whole message when the run must fail.
// "@DIR@" in the expected files stands for the source's folder, with forward slashes.
// QUILLOTAN_UPDATE_CASES=1 writes what the run gives into the folders instead: check every
// such file by hand before committing it.

#include "conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace conversion {
namespace {

using namespace testing_support;

const fs::path kCases = CASES_DIR;

bool isSource(const fs::directory_entry& entry) {
    const auto name = entry.path().filename();
    return entry.is_regular_file() && name != "README" && name.extension() != ".txt" &&
           name.extension() != ".lin";
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != text.npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Name to content of the entries of a folder ("<folder>" for a folder), less the source.
std::map<std::string, std::string> entriesOf(const fs::path& dir, std::string_view folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const auto name = entry.path().filename().string();
        if (entry.is_directory()) {
            if (name != "before") entries[name] = "<folder>";
        } else if (!isSource(entry)) {
            entries[name] = replaced(readFile(entry.path()), "@DIR@", folder);
        }
    }
    entries.erase("README");
    entries.erase("error.txt");
    entries.erase("findings.txt");
    return entries;
}

// Records whether each output existed when its name was shown.
struct ShownFirst : NullDisplay {
    void showOutput(int, const fs::path& output) override { existed |= fs::exists(output); }
    bool existed = false;
};

class CaseTest : public testing::TestWithParam<std::string> {};

TEST_P(CaseTest, GivesTheExpectedFiles) {
    const fs::path expected = kCases / GetParam();
    TempDir work;
    const std::string folder = work.path().generic_string();
    fs::path source;
    for (const auto& entry : fs::directory_iterator(expected)) {
        if (!isSource(entry)) continue;
        source = fs::path(folder + "/" + entry.path().filename().string());
        fs::copy_file(entry.path(), source);
    }
    const bool before = fs::exists(expected / "before");
    if (before) fs::copy(expected / "before", work.path(), fs::copy_options::recursive);

    // The window has converted a source with a longer preamble before.
    RunState state;
    TempDir other;
    fs::copy_file(kCases / "eight-preamble-lines" / "deals.pbn", other / "deals.pbn");
    NullDisplay ignored;
    convert(state, other / "deals.pbn", ignored, fixedClock);

    ShownFirst display;
    std::string error, findings;
    try {
        const auto lines = convert(state, source, display, fixedClock);
        for (const auto& line : lines) findings += line + "\n";
    } catch (const ConversionError& failure) {
        error = failure.what();
    }
    if (std::getenv("QUILLOTAN_UPDATE_CASES")) {
        for (const auto& [name, bytes] : entriesOf(work.path(), folder)) {
            if (bytes != "<folder>") writeFile(expected / name, replaced(bytes, folder, "@DIR@"));
        }
        if (!error.empty()) writeFile(expected / "error.txt", replaced(error, folder, "@DIR@"));
        if (!findings.empty()) writeFile(expected / "findings.txt", findings);
        return;
    }
    const auto want = [&](const char* name) {
        return fs::exists(expected / name) ? replaced(readFile(expected / name), "@DIR@", folder)
                                           : "";
    };
    EXPECT_EQ(error, want("error.txt"));
    EXPECT_EQ(findings, want("findings.txt"));
    EXPECT_EQ(entriesOf(work.path(), folder), entriesOf(expected, folder));
    EXPECT_TRUE(before || !display.existed) << "an output existed before its name was shown";
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kCases)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTest, testing::ValuesIn(caseNames()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
});

}  // namespace
}  // namespace conversion
