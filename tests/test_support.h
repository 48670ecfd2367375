#pragma once

#include "conversion_run.h"
#include "fixed_run.h"

#include <filesystem>
#include <string>
#include <string_view>

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

private:
    fs::path path_;
};

void writeFile(const fs::path& path, std::string_view bytes);
std::string readFile(const fs::path& path);

}  // namespace testing_support
