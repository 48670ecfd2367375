#pragma once

#include "quillotan/conversion_error.h"
#include "quillotan/timestamp.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

namespace fs = std::filesystem;

// The clock of every run in the tests, the benchmark and the fuzz target: 5 Dec 2026 at 09:07.
inline conversion::Timestamp fixedClock() { return {"5 Dec 2026", "09:07"}; }

// Where test folders go: a folder in memory where the system has one, as every output is
// flushed to its disk.
inline fs::path scratchFolder() {
#ifndef _WIN32
    if (std::error_code error; fs::is_directory("/dev/shm", error)) return "/dev/shm";
#endif
    return fs::temp_directory_path();
}

// A fresh folder per test, removed with everything in it afterwards.
struct TempDir {
    const fs::path path =
        scratchFolder() / ("quillotan-test-" + std::to_string(std::random_device{}()));

    TempDir() { fs::create_directories(path); }
    ~TempDir() {
        std::error_code error;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(path, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    fs::path operator/(std::string_view name) const { return path / name; }
};

inline void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// text with every from made to.
inline std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != text.npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The whole message of the ConversionError that call throws; empty when it converts.
template <class Call>
std::string messageOf(Call call) {
    try {
        call();
    } catch (const conversion::ConversionError& error) {
        return error.what();
    }
    return {};
}

// The cells of a row, split at separator, without the spaces around them.
inline std::vector<std::string> cellsOf(const std::string& row, char separator) {
    std::vector<std::string> cells;
    std::istringstream in(row);
    for (std::string cell; std::getline(in, cell, separator);) {
        const auto first = cell.find_first_not_of(' ');
        cells.push_back(
            first == cell.npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
    }
    return cells;
}

#ifdef CASES_DIR
// The rows of a table beside the tests, of at least columns cells split at "|"; lines that
// start with # are comments.
inline std::vector<std::vector<std::string>> tableRows(const char* name, std::size_t columns) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream file(fs::path(CASES_DIR).parent_path() / name);
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with('#')) continue;
        rows.push_back(cellsOf(line, '|'));
        rows.back().resize(std::max(rows.back().size(), columns));
    }
    return rows;
}
#endif

inline std::string readFile(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

}  // namespace testing_support
