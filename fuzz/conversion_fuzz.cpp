// Writes each input as a source file into a fresh folder and converts it. Whatever the bytes,
// the run either ends normally with exactly four complete output files, or raises its
// conversion error leaving only the files it says it completed; no other exception, no
// crash, no sanitizer report, and no temporary file left behind.

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
// and six records.
std::size_t completeLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) {
        broken(file.filename().string() + " does not end with CR LF");
    }
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != bytes.npos; at += 2) ++lines;
    if (lines < 8) broken(file.filename().string() + " has too few lines");
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

    std::vector<fs::path> expected;
    try {
        const auto outputs = conversion::convert(source, fixedClock).outputs;
        expected.assign(outputs.begin(), outputs.end());
    } catch (const conversion::ConversionError& error) {
        expected = error.written();
        if (std::string(error.what()).find("Could not convert ") != 0) broken("bare message");
    }

    std::set<fs::path> found;
    for (const auto& entry : fs::directory_iterator(dir)) found.insert(entry.path());
    std::set<fs::path> wanted(expected.begin(), expected.end());
    wanted.insert(source);
    if (found != wanted) {
        for (const auto& path : found) std::cerr << "  on disk: " << path << "\n";
        broken("the folder holds other files than the source and the completed outputs");
    }
    std::vector<std::size_t> lines;
    for (const auto& file : expected) lines.push_back(completeLines(file));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] != lines[0] + (i == 3 ? 2 : 0)) broken("the outputs' lengths disagree");
    }
    fs::remove_all(dir);
    return 0;
}
