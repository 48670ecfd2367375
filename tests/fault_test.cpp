// Faults that the file system and the machine throw at a run, one row each in fault_rows.txt:
// how the folder is prepared, the message the run must give and what the folder must hold
// afterwards. Rows with limits run the conversion in a child process, which takes them alone.

#include "fault.h"

#include "conversion_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

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

std::pair<fs::path, fs::perms> kept;  // an earlier output that stands beside the source
bool throwsMemory = false;            // what and where the run's test hook throws
int throwAt = -1;
void (*limit)() = nullptr;  // set in a child process before the run; none: run here

#ifdef _WIN32
HANDLE held = INVALID_HANDLE_VALUE;
#else
// The run's message, from a child process that sets its limits first.
std::string convertInChild(const fs::path& source) {
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
#endif

// One step of a row's preparation (fault_rows.txt says what each does).
void prepare(const std::string& step, const fs::path& dir, const fs::path& source) {
    std::istringstream words(step);
    std::string verb, name, mode;
    words >> verb >> name >> mode;
    const fs::path path = dir / pathOf(name);
    const auto perms = [&mode] { return fs::perms(std::stoi(mode, nullptr, 8)); };
    if (verb == "source") fs::copy_file(kCases / "no_preamble" / "deals.pbn", source);
    if (verb == "mkdir") fs::create_directory(path);
    if (verb == "chmod") fs::permissions(path, perms());
    if (verb == "earlier") {
        writeFile(path, "earlier");
        fs::permissions(path, perms());
        kept = {path, fs::status(path).permissions()};
    }
    if (verb == "throw") throwAt = std::stoi(name), throwsMemory = mode == "memory";
#ifdef _WIN32
    if (verb == "hold") {
        held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    }
#else
    if (verb == "fifo") mkfifo(path.c_str(), 0600);
    if (verb == "nobody") limit = asNobody;
    if (verb == "sizelimit") limit = sizeLimit;
#endif
}

using Row = std::vector<std::string>;  // name, platform, source, steps, message, left

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        const auto first = part.find_first_not_of(' ');
        parts.push_back(
            first == part.npos ? "" : part.substr(first, part.find_last_not_of(' ') - first + 1));
    }
    return parts;
}

class FaultTest : public testing::TestWithParam<Row> {};

TEST_P(FaultTest, SaysWhatAndLeavesNoPartialFile) {
    const auto& row = GetParam();
    TempDir dir;
    const std::string folder = pathText(dir.path);
    const fs::path source = pathOf(folder + "/" + row[2] + ".pbn");
    afterTemporaryCreated = [](int index) {
        if (index != throwAt) return;
        throwsMemory ? throw std::bad_alloc() : throw std::runtime_error("refused");
    };
    for (const auto& step : split(row[3], ';')) prepare(step, dir.path, source);
#ifndef _WIN32
    const std::string message = limit ? convertInChild(source) : convertHere(source);
#else
    const std::string message = convertHere(source);
    CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
#endif
    throwAt = -1, limit = nullptr;

    std::string sentence = row[4];
    if (const auto at = sentence.find("@DIR@"); at != sentence.npos) {
        sentence.replace(at, 5, folder);
    }
    EXPECT_TRUE(sentence.empty() ? message.empty() : message.find("\n" + sentence) != message.npos)
        << message;
    if (message.empty()) {  // the header names the source as it was given
        const auto first = readFile(outputPaths(source)[0]);
        EXPECT_NE(first.find("\r\n% Source file " + pathText(source) + "\r\n"), first.npos);
    }
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path)) {
        names.insert(pathText(entry.path().filename()));
    }
    std::string left;
    for (const auto& name : names) left += (left.empty() ? "" : " ") + name;
    const std::string base = row[2];
    EXPECT_EQ(left, row[5] == "@ALL@" ? base + ".pbn " + base + "_1-6.lin " + base + "_13-18.lin " +
                                            base + "_19-24.lin " + base + "_7-12.lin"
                                      : row[5]);
    if (const auto [path, perms] = std::exchange(kept, {}); !path.empty()) {
        // An earlier output keeps its permission bits, and its content when the run failed.
        EXPECT_EQ(fs::status(path).permissions(), perms);
        EXPECT_TRUE(message.empty() || readFile(path) == "earlier");
    }
}

std::vector<Row> rows() {
    std::vector<Row> rows;
    std::ifstream file(fs::path(CASES_DIR).parent_path() / "fault_rows.txt");
#ifdef _WIN32
    const std::string other = "posix";
#else
    const std::string other = "windows";
#endif
    for (std::string line; std::getline(file, line);) {
        auto row = split(line, '|');
        row.resize(6);
        if (!line.starts_with('#') && row[1] != other) rows.push_back(row);
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTest, testing::ValuesIn(rows()),
                         [](const auto& info) { return info.param[0]; });

}  // namespace
}  // namespace conversion
