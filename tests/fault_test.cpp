// Faults that the file system and the machine throw at a run, one row each in fault_rows.txt:
// how the folder is prepared, the message the run must give and what the folder must hold
// afterwards. Rows with limits run the conversion in a child process, which takes them alone.

#include "quillotan/conversion_run.h"
#include "quillotan/display_text.h"
#include "quillotan/interrupt_cleanup.h"
#include "run_hook.h"
#include "temporaries.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <new>
#include <set>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
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

// A path from UTF-8 text, whatever the platform's narrow encoding.
fs::path pathOf(const std::string& text) { return std::u8string(text.begin(), text.end()); }

// What a row's test hook does, and where: each row has its own.
struct Plan {
    bool throwsMemory = false;
    int throwAt = -1, raiseAt = -1, signalNumber = 0, ignoredSignal = 0, lookAt = -1;
    fs::path lookIn;
    std::string lookFor;          // the temporary file's mode there, in octal
    std::function<void()> limit;  // set in a child process before the run; none: run here
};

// Right after temporary file index is created: the row's signal, or its fault.
void strike(const Plan& plan, int index) {
#ifdef _WIN32
    if (index == plan.raiseAt) removeWatchedTemporaries();  // wine sends no console events
#else
    if (index == plan.raiseAt) std::raise(plan.signalNumber);
#endif
    if (index == plan.lookAt) {
        int temporaries = 0;
        for (const auto& entry : fs::directory_iterator(plan.lookIn)) {
            if (pathText(entry.path().filename()).starts_with(".quillotan-")) {
                EXPECT_EQ(entry.status().permissions(),
                          fs::perms(std::stoi(plan.lookFor, nullptr, 8)));
                ++temporaries;
            }
        }
        EXPECT_EQ(temporaries, index + 1);  // each file of the set so far, under its short name
    }
    if (index != plan.throwAt) return;
    plan.throwsMemory ? throw std::bad_alloc() : throw std::runtime_error("refused");
}

std::string convertHere(const fs::path& source, const Plan& plan) {
    return messageOf([&] {
        convert(source, fixedClock, {}, std::nullopt, [&plan](int index) { strike(plan, index); });
    });
}

#ifdef _WIN32
HANDLE held = INVALID_HANDLE_VALUE;
#else
// The run's message, from a child process that sets its limits first; for a child that a
// signal ends, "killed by signal N".
std::string convertInChild(const fs::path& source, const Plan& plan) {
    TempDir out;
    fs::permissions(out.path, fs::perms::all);
    if (fork() == 0) {
        plan.limit();
        alarm(10);  // a run that waits is killed
        writeFile(out / "message", convertHere(source, plan));
        _exit(0);
    }
    int status = 0;
    wait(&status);
    if (WIFSIGNALED(status)) return "\nkilled by signal " + std::to_string(WTERMSIG(status));
    EXPECT_EQ(status, 0) << "the child did not end normally";
    return readFile(out / "message");
}

// Root may touch everything: the child drops to nobody.
void asNobody() {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
}

// The first three files fit under the limit; the fourth, with its two filler lines, does not.
void sizeLimit() {
    cleanUpOnInterrupt();
    const auto third = fs::file_size(kCases / "no_preamble" / "deals_13-18.lin") + 100;
    const rlimit limit{third, third};
    setrlimit(RLIMIT_FSIZE, &limit);
}
#endif

// One step of a row's preparation in the folder, or one check of it afterwards: its verb,
// then a name in the folder and a mode or a target (fault_rows.txt says what each does).
struct Step {
    Plan& plan;
    fs::path& folder;
    const std::string& source;
    std::string name, mode;
    fs::path path() const { return folder / pathOf(name); }
    fs::perms perms() const { return fs::perms(std::stoi(mode, nullptr, 8)); }
};

// Windows keeps one permission bit: read-only or not.
fs::perms bits(fs::perms perms) {
#ifdef _WIN32
    return perms & fs::perms::owner_write;
#endif
    return perms;
}

const std::map<std::string, std::function<void(const Step&)>> kSteps = {
    {"source",
     [](const Step& s) {
         fs::copy_file(kCases / "no_preamble" / "deals.pbn",
                       s.folder / pathOf(s.name.empty() ? s.source : s.name));
     }},
    {"mkdir", [](const Step& s) { fs::create_directory(s.path()); }},
    {"tmpmode",
     [](const Step& s) {
         s.plan.lookAt = std::stoi(s.name), s.plan.lookIn = s.folder, s.plan.lookFor = s.mode;
     }},
    {"chmod", [](const Step& s) { fs::permissions(s.path(), s.perms()); }},
    {"file",
     [](const Step& s) { writeFile(s.path(), "earlier"), fs::permissions(s.path(), s.perms()); }},
    {"symlink", [](const Step& s) { fs::create_symlink(s.mode, s.path()); }},
    {"link", [](const Step& s) { fs::create_hard_link(s.folder / s.mode, s.path()); }},
    {"throw",
     [](const Step& s) {
         s.plan.throwAt = std::stoi(s.name), s.plan.throwsMemory = s.mode == "memory";
     }},
    {"deep",
     [](const Step& s) {
         const auto length = std::stoul(s.name);
         while (pathText(s.folder / pathOf(s.source)).size() + 201 < length) {
             s.folder /= std::string(200, 'd');
         }
         s.folder /= std::string(length - pathText(s.folder / pathOf(s.source)).size() - 1, 'd');
         fs::create_directories(s.folder);
     }},
    {"mode",
     [](const Step& s) {
         EXPECT_EQ(bits(fs::symlink_status(s.path()).permissions()), bits(s.perms())) << s.name;
     }},
    {"earlier", [](const Step& s) { EXPECT_EQ(readFile(s.path()), "earlier") << s.name; }},
    {"signal",
     [](const Step& s) {
         s.plan.raiseAt = std::stoi(s.name), s.plan.signalNumber = std::stoi(s.mode);
#ifndef _WIN32
         s.plan.limit = [ignored = s.plan.ignoredSignal] {
             if (ignored) std::signal(ignored, SIG_IGN);  // as nohup does
             cleanUpOnInterrupt();
         };
#endif
     }},
#ifdef _WIN32
    {"hold",
     [](const Step& s) {
         held = CreateFileW(s.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
     }},
#else
    {"ignore", [](const Step& s) { s.plan.ignoredSignal = std::stoi(s.name); }},
    {"owner",
     [](const Step& s) { ASSERT_EQ(lchown(s.path().c_str(), 65534, 65534), 0) << "not root"; }},
    {"fifo", [](const Step& s) { mkfifo(s.path().c_str(), 0600); }},
    {"nobody", [](const Step& s) { s.plan.limit = asNobody; }},
    {"sizelimit", [](const Step& s) { s.plan.limit = sizeLimit; }},
#endif
};

void step(const std::string& text, Plan& plan, fs::path& folder, const std::string& source) {
    std::istringstream words(text);
    std::string verb;
    Step step{plan, folder, source, {}, {}};
    words >> verb >> step.name >> step.mode;
    const auto found = kSteps.find(verb);
    if (found == kSteps.end()) return ADD_FAILURE() << "no step " << verb;
    found->second(step);
}

using Row = std::vector<std::string>;  // name, platform, source, steps, message, left, checks

class FaultTest : public testing::TestWithParam<Row> {};

TEST_P(FaultTest, SaysWhatAndLeavesNoPartialFile) {
    const auto& row = GetParam();
    TempDir dir;
    fs::path folder = dir.path;
#ifndef _WIN32
    umask(022);  // the mode of a new file: 0644
#endif
    Plan plan;
    for (const auto& text : cellsOf(row[3], ';')) step(text, plan, folder, row[2]);
    const fs::path source = pathOf(pathText(folder) + "/" + row[2]);
#ifndef _WIN32
    const std::string message =
        plan.limit ? convertInChild(source, plan) : convertHere(source, plan);
#else
    const std::string message = convertHere(source, plan);
    CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
#endif

    const auto sentence = replaced(replaced(row[4], "@DIR@", pathText(folder)), "\\n", "\n");
    EXPECT_TRUE(sentence.empty() ? message.empty() : message.find("\n" + sentence) != message.npos)
        << message;
    if (message.empty()) {  // the header names the source as it was given
        const auto first = readFile(outputPaths(source)[0]);
        EXPECT_NE(first.find("\r\n% Source file " + pathText(source) + "\r\n"), first.npos);
    }
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(pathText(entry.path().filename()));
    }
    std::string left;
    for (const auto& name : names) left += (left.empty() ? "" : " ") + name;
    EXPECT_EQ(left, row[5]);
    for (const auto& text : cellsOf(row[6], ';')) step(text, plan, folder, row[2]);
}

// The rows for this platform: any, windows; or any, posix and, for root, root.
std::vector<Row> rows() {
#ifdef _WIN32
    const std::string here = " any windows ";
#else
    const std::string here = geteuid() == 0 ? " any posix root " : " any posix ";
#endif
    std::vector<Row> rows;
    for (auto& row : tableRows("fault_rows.txt", 7)) {
        if (here.find(" " + row[1] + " ") != here.npos) rows.push_back(std::move(row));
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTest, testing::ValuesIn(rows()),
                         [](const auto& info) { return info.param[0]; });

}  // namespace
}  // namespace conversion
