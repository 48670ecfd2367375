#pragma once

#include "conversion_run.h"
#include "fixed_run.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

namespace fs = std::filesystem;

// A fresh folder per test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(std::string_view name) const { return path_ / name; }
    // Names of the files and folders in it, sorted.
    std::vector<std::string> entries() const;

private:
    fs::path path_;
};

void writeFile(const fs::path& path, std::string_view bytes);
std::string readFile(const fs::path& path);

// Records what a run shows, and whether each output file existed at the moment it was shown.
struct RecordingDisplay : conversion::Display {
    void showSource(const fs::path& source) override;
    void showOutput(int index, const fs::path& output) override;

    std::vector<std::string> shown;  // "source <path>" and "<index> <path>", in order
    std::vector<bool> existedWhenShown;
};

// One board block in the four-line layout, dealt as given: [Board], [Dealer], [Vulnerable], [Deal].
std::string board(std::string_view number, std::string_view dealer, std::string_view vulnerable,
                  std::string_view deal, std::string_view eol = "\n");

// Boards first..last in the accepted layout, each followed by a blank line, the deal listed
// from the dealer. The deal of board n is distinct for every n.
std::string boards(int first, int last, std::string_view eol = "\n");

// The LIN line that boards() gives for board n, written out independently.
std::string expectedRecord(int n);

// Runs a conversion with a fresh state and the fixed clock.
void convertFile(const fs::path& source, conversion::RunState* state = nullptr,
                 RecordingDisplay* display = nullptr);

// The four output names for a base path.
std::vector<fs::path> outputsFor(const fs::path& base);

}  // namespace testing_support
