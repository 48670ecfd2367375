// Whole runs from the case folders in tests/cases: each folder holds a source, optionally a
// before/ folder of what stands beside it before the run, the .lin files that must stand
// beside it afterwards, error.txt with the run's whole message when the run must fail, and
// findings.txt with the notes about the whole source, then what looks wrong in the deals. A README
// line says what the case catches.
// "@DIR@" in the expected files stands for the source's folder, with forward slashes.
// shape.txt, where there is one, gives the set's shape (else 24 boards, 6 a file, 2 fillers);
// record.txt asks for the hand record too, and gives its paper, boards a page and club.
// QUILLOTAN_UPDATE_CASES=1 writes what the run gives into the folders instead, and fails, so
// that no run passes by rewriting: check every such file by hand before committing it.

#include "quillotan/conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace conversion {
namespace {

using namespace testing_support;

const fs::path kCases = CASES_DIR;

bool isSource(const fs::path& file) {
    return file.filename() != "README" && file.extension() != ".txt" &&
           file.extension() != ".lin" && file.extension() != ".pdf" &&
           !file.stem().string().ends_with("_hands");
}

// The files of a folder by name (a temporary file left behind among them), less its source
// and README, with @DIR@ made folder.
std::map<std::string, std::string> filesOf(const fs::path& dir, std::string_view folder,
                                           const fs::path& source) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const auto name = entry.path().filename();
        if (entry.is_regular_file() && name != source.filename() && name != "README" &&
            name != "shape.txt" && name != "record.txt") {
            files[name.string()] = replaced(readFile(entry.path()), "@DIR@", folder);
        }
    }
    return files;
}

class CaseTest : public testing::TestWithParam<std::string> {};

TEST_P(CaseTest, GivesTheExpectedFiles) {
    const fs::path expected = kCases / GetParam();
    TempDir work;
    const std::string folder = work.path.generic_string();
    fs::path source;
    for (const auto& entry : fs::directory_iterator(expected)) {
        if (!entry.is_regular_file() || !isSource(entry.path())) continue;
        source = folder + "/" + entry.path().filename().string();
        fs::copy_file(entry.path(), source);
    }
    if (fs::exists(expected / "before")) fs::copy(expected / "before", work.path);
    SetShape shape;  // the folder's shape.txt: boards, boards per file, fillers
    std::istringstream(readFile(expected / "shape.txt")) >> shape.boards >> shape.perFile >>
        shape.fillers;

    std::optional<RecordSettings> record;
    if (fs::exists(expected / "record.txt")) {
        std::istringstream line(readFile(expected / "record.txt"));
        std::string paper;
        line >> paper >> record.emplace().boardsPerPage >> std::ws;
        record->paper = paper == "Letter" ? Paper::Letter : Paper::A4;
        std::getline(line, record->club);
    }

    std::map<std::string, std::string> got;
    const auto error = messageOf([&] {
        const auto result = convert(source, fixedClock, shape, record);
        for (const auto& note : result.notes) got["findings.txt"] += note + "\n";
        for (const auto& finding : result.findings) {
            got["findings.txt"] += findingLine(finding) + "\n";
        }
    });
    if (!error.empty()) got["error.txt"] = error;
    got.merge(filesOf(work.path, folder, source));
    if (std::getenv("QUILLOTAN_UPDATE_CASES")) {
        for (const auto& [name, bytes] : got) {
            writeFile(expected / name, replaced(bytes, folder, "@DIR@"));
        }
        FAIL() << "wrote the expected files of " << GetParam() << ": check them by hand";
    }
    EXPECT_EQ(got, filesOf(expected, folder, source));
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kCases)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTest, testing::ValuesIn(caseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace conversion
