// Faults the file system throws at a run: a file size limit, a folder or source that the
// user may not touch. Each run goes in a child process, which takes the limits alone.

#include "conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace conversion {
namespace {

using namespace testing_support;

constexpr uid_t kNobody = 65534;

struct ChildRun {
    bool failed = false;  // the run raised its error
    std::string message;  // the error's message
};

// Runs a conversion of source in a child process after limit() has set the child's limits.
ChildRun convertInChild(const fs::path& source, const std::function<void()>& limit) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        limit();
        int status = 0;
        std::string message;
        try {
            convertFile(source);
        } catch (const ConversionError& error) {
            status = 1;
            message = error.what();
        } catch (...) {
            status = 2;
        }
        if (write(pipeEnds[1], message.data(), message.size()) < 0) status = 3;
        _exit(status);
    }
    close(pipeEnds[1]);
    ChildRun result;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        result.message.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    EXPECT_LE(WEXITSTATUS(status), 1) << "the run raised something other than its error";
    result.failed = WIFEXITED(status) && WEXITSTATUS(status) == 1;
    return result;
}

std::string longPreamble() {
    std::string text;
    for (int i = 0; i < 8; ++i) text += std::string(200, 'a' + i) + "\n";
    return text;
}

// A file that cannot be written in full: the size limit lets the first three files through
// and stops the fourth, which an earlier run had written.
TEST(FaultInjection, OutputCutShortBySizeLimit) {
    TempDir dir;
    const auto source = dir / "deals.pbn";
    writeFile(source, longPreamble() + boards(1, 24));
    convertFile(source);
    const auto outputs = outputsFor(dir / "deals");
    const auto earlier = readFile(outputs[3]);
    const auto third = fs::file_size(outputs[2]);
    ASSERT_LT(third + 100, earlier.size());

    writeFile(source, longPreamble() + boards(25, 48));
    const auto run = convertInChild(source, [third] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{third + 50, third + 50};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    ASSERT_TRUE(run.failed);
    EXPECT_NE(run.message.find("\nCannot write " + outputs[3].string() + ": File too large.\n"),
              std::string::npos)
        << run.message;
    EXPECT_NE(run.message.find("Written before the stop: " + outputs[0].string()),
              std::string::npos);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(readFile(outputs[i]).find("|Board " + std::to_string(30 + 6 * i) + "|"),
                  std::string::npos);
    }
    EXPECT_EQ(readFile(outputs[3]), earlier);
    EXPECT_EQ(dir.entries().size(), 5u);  // no temporary left
}

struct RefusalCase {
    const char* name;
    std::function<void(const fs::path& dir, const fs::path& source)> prepare;
    std::string sentence;  // "{out}" stands for the first output's path
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

// What the user may not touch stops the run before any file is written. The child runs
// as nobody when the suite runs as root, who may touch everything.
TEST_P(RefusalTest, StopsBeforeAnyFile) {
    TempDir dir;
    const auto source = dir / "deals.pbn";
    GetParam().prepare(dir.path(), source);
    const auto run = convertInChild(source, [] {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(4);
        alarm(10);  // a run that waits would be killed
    });
    ASSERT_TRUE(run.failed);
    std::string sentence = GetParam().sentence;
    if (const auto at = sentence.find("{out}"); at != sentence.npos) {
        sentence.replace(at, 5, outputsFor(dir / "deals")[0].string());
    }
    EXPECT_NE(run.message.find("\n" + sentence + "\nNo output file was written."),
              std::string::npos)
        << run.message;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"deals.pbn"});
}

INSTANTIATE_TEST_SUITE_P(
    FileSystem, RefusalTest,
    testing::Values(
        RefusalCase{"FolderNotWritable",
                    [](const fs::path& dir, const fs::path& source) {
                        writeFile(source, boards(1, 24));
                        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec |
                                                 fs::perms::group_read | fs::perms::group_exec |
                                                 fs::perms::others_read | fs::perms::others_exec);
                    },
                    "Cannot create {out}: the folder does not exist or is not writable."},
        RefusalCase{"SourceNotReadable",
                    [](const fs::path& dir, const fs::path& source) {
                        writeFile(source, boards(1, 24));
                        fs::permissions(source, fs::perms::none);
                        fs::permissions(dir, fs::perms::all);
                    },
                    "The source file cannot be opened for reading."},
        // A plain open of a pipe would wait for a writer for ever.
        RefusalCase{"SourceIsAPipe",
                    [](const fs::path&, const fs::path& source) {
                        ASSERT_EQ(mkfifo(source.c_str(), 0600), 0);
                    },
                    "The source is not a file on disk (a pipe or a device, say)."}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace conversion
