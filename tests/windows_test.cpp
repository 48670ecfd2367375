// What only Windows does to a run: wide names, drive letters and backslashes, and files that
// another program holds open.

#include "conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace conversion {
namespace {

using namespace testing_support;

struct Held {  // a file another program has open, sharing only reading with others
    explicit Held(const fs::path& path)
        : handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~Held() { CloseHandle(handle); }
    HANDLE handle;
};

// Converts name in a fresh folder (created under it as given) and returns the error message.
std::string convertIn(const TempDir& dir, const fs::path& name, bool holdSource, bool holdFourth) {
    const fs::path source = dir.path() / name;
    fs::create_directories(source.parent_path());
    fs::copy_file(fs::path(CASES_DIR) / "bigdeal2-24" / "deals.pbn", source);
    auto fourth = source;
    fourth.replace_extension();
    fourth += "_19-24.lin";
    if (holdFourth) writeFile(fourth, "earlier");
    const Held heldSource(holdSource ? source : fs::path());
    const Held heldFourth(holdFourth ? fourth : fs::path());
    RunState state;
    NullDisplay display;
    try {
        convert(state, source, display, fixedClock);
    } catch (const ConversionError& error) {
        return error.what();
    }
    const std::u8string header = u8"% Source file " + source.u8string() + u8"\r\n";
    EXPECT_NE(readFile(fourth).find(std::string(header.begin(), header.end())), std::string::npos);
    return {};
}

TEST(Windows, NamesOutsideAsciiAndNativeForms) {
    for (const fs::path& name :
         {fs::path(u8"Übungen\\Woche 12.pbn"), fs::path(u8"Неделя\\Σύνολο.pbn")}) {
        TempDir dir;
        EXPECT_EQ(convertIn(dir, name, true, false), "");
        EXPECT_TRUE(
            fs::exists(dir.path() / name.parent_path() / (name.stem().wstring() + L"_1-6.lin")));
    }
    TempDir dir;  // the temporary folder's own native form: a drive letter and backslashes
    ASSERT_EQ(dir.path().native().substr(1, 2), L":\\");
    EXPECT_EQ(convertIn(dir, "deals.pbn", false, false), "");
}

// The output check cannot see a lock: the run stops at that file, keeps the files before it,
// and leaves no temporary file behind.
TEST(Windows, OutputHeldOpenByAnotherProgram) {
    TempDir dir;
    const std::string message = convertIn(dir, "deals.pbn", false, true);
    EXPECT_NE(message.find("\nCannot write " + pathText(dir.path() / "deals_19-24.lin") + ": "),
              std::string::npos)
        << message;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, (std::vector<std::string>{"deals.pbn", "deals_1-6.lin", "deals_13-18.lin",
                                              "deals_19-24.lin", "deals_7-12.lin"}));
    EXPECT_EQ(readFile(dir.path() / "deals_19-24.lin"), "earlier");
}

}  // namespace
}  // namespace conversion
