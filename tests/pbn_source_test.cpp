#include "pbn_source.h"

#include "conversion_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace conversion {
namespace {

using testing_support::TempDir;
using testing_support::writeFile;
using namespace std::string_literals;

std::vector<std::string> linesOf(const TempDir& dir, std::string_view bytes) {
    writeFile(dir / "source.pbn", bytes);
    PbnSource source(dir / "source.pbn");
    std::vector<std::string> lines;
    std::string line;
    while (source.readLine(line)) lines.push_back(line);
    return lines;
}

TEST(PbnSource, SplitsLinesAtLfAndCrLf) {
    TempDir dir;
    using Lines = std::vector<std::string>;
    EXPECT_EQ(linesOf(dir, ""), Lines{});
    EXPECT_EQ(linesOf(dir, "a\nb\r\n\r\n\nlast"), (Lines{"a", "b", "", "", "last"}));
    EXPECT_EQ(linesOf(dir, "a\r\n"), Lines{"a"});
    EXPECT_EQ(linesOf(dir, "a\rb\n"), Lines{"a\rb"});                    // a lone CR ends no line
    EXPECT_EQ(linesOf(dir, "\xe9t\xe9\0x\n"s), Lines{"\xe9t\xe9\0x"s});  // bytes as they are
}

TEST(PbnSource, ReadsLinesAcrossBlocksUpToTheLimit) {
    TempDir dir;
    const std::string longest(kMaxLineLength, 'x');
    const auto lines = linesOf(dir, "a\n" + longest + "\r\n" + longest + "\nb");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], longest);
    EXPECT_EQ(lines[2], longest);
    EXPECT_EQ(lines[3], "b");

    for (const std::string& tooLong : {longest + "x\n", longest + "x", longest + "xx\r\n"}) {
        writeFile(dir / "source.pbn", "first\n" + tooLong);
        PbnSource source(dir / "source.pbn");
        std::string line;
        ASSERT_TRUE(source.readLine(line));
        try {
            source.readLine(line);
            FAIL() << "a line of " << tooLong.size() << " bytes was read";
        } catch (const Fault& fault) {
            EXPECT_EQ(fault.line(), 2);
        }
    }
}

}  // namespace
}  // namespace conversion
