#pragma once

#include "conversion_error.h"
#include "timestamp.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

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

inline std::string readFile(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

}  // namespace testing_support
