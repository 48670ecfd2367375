// Faults that the file system and the machine throw at a run, one row each: the message the
// run must give and what the folder must hold afterwards. Rows with limits run the conversion
// in a child process, which takes the limits alone.

#include "conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <new>
#include <set>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace conversion {
namespace {

using namespace testing_support;

const fs::path kCases = CASES_DIR;
std::function<void(int)> onShowOutput;  // called as each output is shown

struct HookDisplay : NullDisplay {
    void showOutput(int index, const fs::path&) override {
        if (onShowOutput) onShowOutput(index);
    }
};

std::string convertHere(const fs::path& source) {
    RunState state;
    HookDisplay display;
    try {
        convert(state, source, display, fixedClock);
    } catch (const ConversionError& error) {
        return error.what();
    }
    return {};
}

#ifndef _WIN32
constexpr uid_t kNobody = 65534;

// The run's message, from a child process that sets its limits first.
std::string convertInChild(const fs::path& source, void (*limit)()) {
    int ends[2];
    if (pipe(ends) != 0) throw std::runtime_error("pipe");
    if (fork() == 0) {
        close(ends[0]);
        limit();
        alarm(10);  // a run that waits is killed
        const std::string message = convertHere(source);
        _exit(write(ends[1], message.data(), message.size()) < 0 ? 3 : 0);
    }
    close(ends[1]);
    std::string message;
    char buffer[4096];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
    close(ends[0]);
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return message;
}

void asNobody() {
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(4);
}

// The first three files fit under the limit; the fourth, with its two filler lines, does not.
void sizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
    const auto third = fs::file_size(kCases / "no-preamble" / "deals_13-18.lin") + 100;
    const rlimit limit{third, third};
    setrlimit(RLIMIT_FSIZE, &limit);
}
#endif

struct FaultRow {
    const char* name;
    std::function<void(const fs::path& dir)> prepare;  // writes deals.pbn and what else is there
    void (*limit)();                                   // set in a child first; none: run here
    std::string sentence;                              // @DIR@ stands for the folder
    std::set<std::string> left;                        // what the folder holds afterwards
    std::string source = "deals.pbn";
};

void PrintTo(const FaultRow& row, std::ostream* os) { *os << row.name; }

void copySource(const fs::path& dir, const std::string& name = "deals.pbn") {
    fs::copy_file(kCases / "no-preamble" / "deals.pbn", dir / name);
}

// A name of 240 bytes: its outputs' names fit in 255.
const std::string kLong = std::string(236, 'w') + ".pbn";

const std::set<std::string> kAll = {"deals.pbn", "deals_1-6.lin", "deals_7-12.lin",
                                    "deals_13-18.lin", "deals_19-24.lin"};

class FaultTest : public testing::TestWithParam<FaultRow> {};

TEST_P(FaultTest, SaysWhatAndLeavesNoPartialFile) {
    const auto& row = GetParam();
    TempDir dir;
    const std::string folder = dir.path().generic_string();
    row.prepare(dir.path());
    // What stood there before keeps its permission bits, and its content if the run failed.
    std::map<std::string, std::pair<std::string, fs::perms>> before;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const auto name = entry.path().filename().string();
        if (name.ends_with(".lin") && entry.is_regular_file()) {
            before[name] = {readFile(entry.path()), entry.status().permissions()};
        }
    }
    const fs::path source = folder + "/" + row.source;
    std::string message;
#ifndef _WIN32
    if (row.limit) message = convertInChild(source, row.limit);
#endif
    if (!row.limit) message = convertHere(source);
    onShowOutput = nullptr;

    std::string sentence = row.sentence;
    if (const auto at = sentence.find("@DIR@"); at != sentence.npos)
        sentence.replace(at, 5, folder);
    EXPECT_NE(message.find("\n" + sentence + "\n"), std::string::npos) << message;
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, row.left);
    for (const auto& [name, old] : before) {
        EXPECT_EQ(fs::status(dir / name).permissions(), old.second) << name;
        EXPECT_TRUE(message.empty() || readFile(dir / name) == old.first) << name;
    }
}

const FaultRow kRows[] = {
    FaultRow{
        "SourceMissing", [](const fs::path&) {}, nullptr, "The source file does not exist.", {}},
    FaultRow{"SourceIsAFolder",
             [](const fs::path& dir) { fs::create_directory(dir / "deals.pbn"); },
             nullptr,
             "The source is a folder, not a hand-record file.",
             {"deals.pbn"}},
    FaultRow{"OutOfMemory",
             [](const fs::path& dir) {
                 copySource(dir);
                 onShowOutput = [](int index) {
                     if (index == 1) throw std::bad_alloc();
                 };
             },
             nullptr,
             "There was not enough memory.",
             {"deals.pbn", "deals_1-6.lin"}},
    FaultRow{"UnforeseenError",
             [](const fs::path& dir) {
                 copySource(dir);
                 onShowOutput = [](int) { throw std::runtime_error("refused"); };
             },
             nullptr,
             "An unexpected error: refused.",
             {"deals.pbn"}},
#ifndef _WIN32
    FaultRow{"OutputCutShortBySizeLimit",
             [](const fs::path& dir) {
                 copySource(dir);
                 writeFile(dir / "deals_19-24.lin", "earlier");
             },
             sizeLimit, "Cannot write @DIR@/deals_19-24.lin: File too large.", kAll},
    FaultRow{"FolderNotWritable",
             [](const fs::path& dir) {
                 copySource(dir);
                 fs::permissions(
                     dir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                     fs::perm_options::remove);
             },
             asNobody,
             "Cannot create @DIR@/deals_1-6.lin: the folder does not exist or is not writable.",
             {"deals.pbn"}},
    FaultRow{"SourceNotReadable",
             [](const fs::path& dir) {
                 copySource(dir);
                 fs::permissions(dir / "deals.pbn", fs::perms::none);
                 fs::permissions(dir, fs::perms::all);
             },
             asNobody,
             "The source file cannot be opened for reading.",
             {"deals.pbn"}},
    // A plain open of a pipe would wait for a writer for ever.
    FaultRow{"SourceIsAPipe",
             [](const fs::path& dir) { mkfifo((dir / "deals.pbn").c_str(), 0600); },
             asNobody,
             "The source is not a file on disk (a pipe or a device, say).",
             {"deals.pbn"}},
#endif
};

INSTANTIATE_TEST_SUITE_P(Rows, FaultTest, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace conversion
