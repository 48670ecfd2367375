// Writes each input as a source file into a fresh folder and converts it, in the default shape
// of set when its last byte is even, else in a shape its last three bytes draw. Whatever the
// bytes, the run either ends normally with exactly the shape's complete output files, or
// raises its conversion error leaving only the files it says it completed; no other
// exception, no crash, no sanitizer report, and no temporary file left behind.

#include "quillotan/conversion_run.h"
#include "test_support.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testing_support::fixedClock;

namespace {

[[noreturn]] void broken(const std::string& what) {
    std::cerr << "property broken: " << what << "\n";
    std::abort();
}

const fs::path& root() {
    static const fs::path path = [] {
        auto dir = testing_support::scratchFolder() /  // in memory: each output is flushed
                   ("quillotan-fuzz-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        return dir;
    }();
    return path;
}

// Lines of a complete output file: CR LF at the end, and at least the two header lines
// and a record.
std::size_t completeLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) {
        broken(file.filename().string() + " does not end with CR LF");
    }
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != bytes.npos; at += 2) ++lines;
    if (lines < 3) broken(file.filename().string() + " has too few lines");
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::uint64_t count = 0;
    const fs::path dir = root() / std::to_string(count++);
    fs::create_directory(dir);
    const fs::path source = dir / "deals.pbn";
    std::ofstream(source, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    conversion::SetShape shape;
    if (size >= 3 && data[size - 1] % 2 == 1) {
        shape.boards = 1 + data[size - 2] % conversion::kMaxBoards;
        shape.perFile = 1 + data[size - 3] % shape.boards;
        shape.fillers = data[size - 1] / 2 % (conversion::kMaxFillers + 1);
    }
    std::vector<fs::path> expected;
    try {
        expected = conversion::convert(source, fixedClock, shape).outputs;
        if (static_cast<int>(expected.size()) != shape.files()) broken("not the shape's files");
    } catch (const conversion::ConversionError& error) {
        if (std::string(error.what()).find("Could not convert ") != 0) broken("bare message");
    }

    std::set<fs::path> found;
    for (const auto& entry : fs::directory_iterator(dir)) found.insert(entry.path());
    std::set<fs::path> wanted(expected.begin(), expected.end());
    wanted.insert(source);
    if (found != wanted) {
        for (const auto& path : found) std::cerr << "  on disk: " << path << "\n";
        broken("the folder holds other files than the source and a whole set");
    }
    // Every file: the same header, then its boards, and the fillers in the last.
    const auto records = [&shape](std::size_t file) {
        const int first = static_cast<int>(file) * shape.perFile;
        const bool last = first + shape.perFile >= shape.boards;
        return static_cast<long>(last ? shape.boards - first + shape.fillers : shape.perFile);
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (static_cast<long>(completeLines(expected[i])) - records(i) !=
            static_cast<long>(completeLines(expected[0])) - records(0)) {
            broken("the outputs' lengths disagree with the shape");
        }
    }
    fs::remove_all(dir);
    return 0;
}
