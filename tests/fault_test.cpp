// Faults that the file system and the machine throw at a run, one row each: the message the
// run must give and what the folder must hold afterwards. Rows with limits run the conversion
// in a child process, which takes the limits alone.

#include "fault.h"

#include "conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <set>

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
using Dir = const fs::path&;

const fs::path kCases = CASES_DIR;
const std::string kLong = std::string(236, 'w');  // with "_13-18.lin", 246 bytes: a name that fits

std::string convertHere(const fs::path& source) {
    try {
        convert(source, fixedClock);
    } catch (const ConversionError& error) {
        return error.what();
    }
    return {};
}

// A path from UTF-8 text, whatever the platform's narrow encoding.
fs::path pathOf(const std::string& text) { return std::u8string(text.begin(), text.end()); }

void copySource(Dir dir, const std::string& name = "deals") {
    fs::copy_file(kCases / "no_preamble" / "deals.pbn", dir / pathOf(name + ".pbn"));
}
std::pair<std::string, fs::perms> kept;  // an earlier output that stands beside the source

void earlier(Dir dir, const char* name, fs::perms perms) {
    copySource(dir);
    writeFile(dir / name, "earlier");
    fs::permissions(dir / name, perms);
    kept = {name, fs::status(dir / name).permissions()};
}

// How each row prepares the folder.
void nothing(Dir) {}
void folderAsSource(Dir dir) { fs::create_directory(dir / "deals.pbn"); }
void folderInTheWay(Dir dir) { copySource(dir), fs::create_directory(dir / "deals_13-18.lin"); }
void readOnlyOutput(Dir dir) { earlier(dir, "deals_19-24.lin", fs::perms::owner_read); }
void ownerOnlyOutput(Dir dir) { earlier(dir, "deals_1-6.lin", fs::perms(0600)); }
void longName(Dir dir) { copySource(dir, kLong); }
void nonLatinNames(Dir dir) {
    fs::create_directory(dir / pathOf("Übungen")), copySource(dir, "Übungen/Неделя Σ 12");
}
void outOfMemory(Dir dir) {
    copySource(dir);
    afterTemporaryCreated = [](int index) { index == 1 ? throw std::bad_alloc() : void(); };
}
void unforeseen(Dir dir) {
    copySource(dir);
    afterTemporaryCreated = [](int) { throw std::runtime_error("refused"); };
}

#ifdef _WIN32
// A file that another program holds open, sharing only reading with others.
HANDLE held = INVALID_HANDLE_VALUE;
void hold(const fs::path& path) {
    held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
}
void sourceHeld(Dir dir) { copySource(dir), hold(dir / "deals.pbn"); }
void outputHeld(Dir dir) {
    earlier(dir, "deals_19-24.lin", fs::perms::all), hold(dir / "deals_19-24.lin");
}
#else
// The run's message, from a child process that sets its limits first.
std::string convertInChild(const fs::path& source, void (*limit)()) {
    TempDir out;
    fs::permissions(out.path, fs::perms::all);
    if (fork() == 0) {
        limit();
        alarm(10);  // a run that waits is killed
        writeFile(out / "message", convertHere(source));
        _exit(0);
    }
    int status = 0;
    wait(&status);
    EXPECT_EQ(status, 0) << "the child did not end normally";
    return readFile(out / "message");
}

// Root may touch everything: the child drops to nobody.
void asNobody() {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
}

// The first three files fit under the limit; the fourth, with its two filler lines, does not.
void sizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
    const auto third = fs::file_size(kCases / "no_preamble" / "deals_13-18.lin") + 100;
    const rlimit limit{third, third};
    setrlimit(RLIMIT_FSIZE, &limit);
}
void sizeLimited(Dir dir) { earlier(dir, "deals_19-24.lin", fs::perms(0644)); }
void folderNotWritable(Dir dir) { copySource(dir), fs::permissions(dir, fs::perms(0555)); }
void sourceNotReadable(Dir dir) {
    copySource(dir), fs::permissions(dir / "deals.pbn", fs::perms::none);
}
void pipeAsSource(Dir dir) { mkfifo((dir / "deals.pbn").c_str(), 0600); }
#endif

struct FaultRow {
    const char* name;
    std::function<void(Dir)> prepare;  // writes the source and what else stands beside it
    std::string sentence;              // what the message says, @DIR@ the folder; empty: no error
    std::string left;                  // what the folder holds afterwards, in name order
    void (*limit)() = nullptr;         // set in a child first; none: run here
    std::string source = "deals";
};

void PrintTo(const FaultRow& row, std::ostream* os) { *os << row.name; }

class FaultTest : public testing::TestWithParam<FaultRow> {};

TEST_P(FaultTest, SaysWhatAndLeavesNoPartialFile) {
    const auto& row = GetParam();
    TempDir dir;
    const std::string folder = pathText(dir.path);
    row.prepare(dir.path);
    const fs::path source = pathOf(folder + "/" + row.source + ".pbn");
    std::string message;
#ifndef _WIN32
    if (row.limit) message = convertInChild(source, row.limit);
#endif
    if (!row.limit) message = convertHere(source);
    afterTemporaryCreated = nullptr;
#ifdef _WIN32
    CloseHandle(held), held = INVALID_HANDLE_VALUE;
#endif

    std::string sentence = row.sentence;
    if (const auto at = sentence.find("@DIR@"); at != sentence.npos) {
        sentence.replace(at, 5, folder);
    }
    EXPECT_TRUE(sentence.empty() ? message.empty() : message.find("\n" + sentence) != message.npos)
        << message;
    if (message.empty()) {  // the header names the source as it was given
        const auto first = readFile(pathOf(folder + "/" + row.source + "_1-6.lin"));
        EXPECT_NE(first.find("\r\n% Source file " + pathText(source) + "\r\n"), first.npos);
    }
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path)) {
        names.insert(pathText(entry.path().filename()));
    }
    std::string left;
    for (const auto& name : names) left += (left.empty() ? "" : " ") + name;
    EXPECT_EQ(left, row.left);
    if (const auto [name, perms] = std::exchange(kept, {}); !name.empty()) {
        // An earlier output keeps its permission bits, and its content when the run failed.
        EXPECT_EQ(fs::status(dir / name).permissions(), perms);
        EXPECT_TRUE(message.empty() || readFile(dir / name) == "earlier");
    }
}

const std::string kAll = "deals.pbn deals_1-6.lin deals_13-18.lin deals_19-24.lin deals_7-12.lin";

const FaultRow kRows[] = {
    {"SourceMissing", nothing, "The source file does not exist.", ""},
    {"SourceIsAFolder", folderAsSource, "The source is a folder, not a hand-record file.",
     "deals.pbn"},
    // Nothing of the run is written when one of the four names is taken.
    {"FolderInTheWay", folderInTheWay,
     "Cannot create @DIR@/deals_13-18.lin: a folder of that name is in the way.",
     "deals.pbn deals_13-18.lin"},
    {"ReadOnlyOutput", readOnlyOutput,
     "Cannot replace @DIR@/deals_19-24.lin: the file is read-only.", "deals.pbn deals_19-24.lin"},
    {"ReplacedKeepsPermissions", ownerOnlyOutput, "", kAll},
    {"LongName", longName, "",
     kLong + ".pbn " + kLong + "_1-6.lin " + kLong + "_13-18.lin " + kLong + "_19-24.lin " + kLong +
         "_7-12.lin",
     nullptr, kLong},
    {"NonLatinNames", nonLatinNames, "", "Übungen", nullptr, "Übungen/Неделя Σ 12"},
    {"OutOfMemory", outOfMemory, "There was not enough memory.", "deals.pbn deals_1-6.lin"},
    {"UnforeseenError", unforeseen, "An unexpected error: refused.", "deals.pbn"},
#ifdef _WIN32
    {"SourceHeldOpen", sourceHeld, "", kAll},
    // The check before the run cannot see a lock: the run stops at that file.
    {"OutputHeldOpen", outputHeld, "Cannot write @DIR@/deals_19-24.lin: ", kAll},
#else
    {"OutputCutShortBySizeLimit", sizeLimited,
     "Cannot write @DIR@/deals_19-24.lin: File too large.", kAll, sizeLimit},
    {"FolderNotWritable", folderNotWritable,
     "Cannot create @DIR@/deals_1-6.lin: the folder does not exist or is not writable.",
     "deals.pbn", asNobody},
    {"SourceNotReadable", sourceNotReadable, "The source file cannot be opened for reading.",
     "deals.pbn", asNobody},
    // A plain open of a pipe would wait for a writer for ever.
    {"SourceIsAPipe", pipeAsSource, "The source is not a file on disk (a pipe or a device, say).",
     "deals.pbn", asNobody},
#endif
};

INSTANTIATE_TEST_SUITE_P(Rows, FaultTest, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace conversion
