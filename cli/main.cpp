// quillotan-convert [OPTION]... FILE.pbn...: converts each file in turn as the window does, and
// goes on after a file that fails. The paths written for each file go to standard output; the
// errors and what looks wrong in the deals, in the window's words, to standard error.

#include "quillotan/conversion_run.h"
#include "quillotan/display_text.h"
#include "quillotan/interrupt_cleanup.h"
#include "quillotan/platform.h"
#include "quillotan/version.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

using conversion::SetShape;

constexpr const char* kUsage =
    "Usage: quillotan-convert [OPTION]... FILE.pbn...\n"
    "Converts each PBN hand record into LIN files beside it: by default its first 24 boards\n"
    "into four files of six, FILE_1-6.lin, FILE_7-12.lin, FILE_13-18.lin and FILE_19-24.lin,\n"
    "the last led by two filler boards. Prints the paths written for each file that converts;\n"
    "errors, and what looks wrong in the deals, go to standard error.\n"
    "\n"
    "  --boards N    the boards in the set, 1 to 99 (default 24)\n"
    "  --per-file K  the boards in each file, 1 to N (default 6); the last file holds what is\n"
    "                left, and each is named for its boards' places: FILE_1-6.lin\n"
    "  --fillers F   the filler boards (board 99) at the head of the last file, 0 to 9\n"
    "                (default 2)\n"
    "  -z, --null    end each path with a NUL, not a line end, and write it as it is (else\n"
    "                control characters in it are shown escaped, as in messages)\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Examples: a Howell for six tables, 22 boards in rounds of two, into eleven files:\n"
    "  quillotan-convert --boards 22 --per-file 2 Week12.pbn\n"
    "nine rounds of three, 27 boards, with no filler boards:\n"
    "  quillotan-convert --boards=27 --per-file=3 --fillers=0 Week12.pbn\n"
    "\n"
    "Exit status: 0 when every file converted, 1 when any failed or the paths could not be\n"
    "written, 2 for a usage error.\n";

// The options that take a number: each sets one number of the set's shape.
struct NumberOption {
    std::string_view name;
    int SetShape::*number;
};
constexpr NumberOption kNumberOptions[] = {{"--boards", &SetShape::boards},
                                           {"--per-file", &SetShape::perFile},
                                           {"--fillers", &SetShape::fillers}};

// What the command line asks for; a usage error's message, if any.
struct Request {
    SetShape shape;
    bool nulls = false;
    std::vector<std::filesystem::path> files;
    std::string usageError;
    bool help = false, version = false;
};

// The option of the table that text starts, with its value after "=" or in the next argument.
bool takeNumber(const std::string& text, const std::vector<std::filesystem::path>& args,
                std::size_t& at, Request& request) {
    for (const auto& option : kNumberOptions) {
        if (!text.starts_with(option.name)) continue;
        const auto rest = std::string_view(text).substr(option.name.size());
        if (!rest.empty() && rest.front() != '=') continue;
        if (rest.empty() && at + 1 == args.size()) {
            request.usageError = std::string(option.name) + " needs a number";
            return true;
        }
        const std::string value =
            rest.empty() ? conversion::pathText(args[++at]) : std::string(rest.substr(1));
        int& number = request.shape.*option.number;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
            request.usageError = std::string(option.name) + ": expected a whole number, not \"" +
                                 conversion::displayText(value) + "\"";
        }
        return true;
    }
    return false;
}

Request parse(const std::vector<std::filesystem::path>& args) {
    Request request;
    bool options = true;
    for (std::size_t at = 0; at < args.size() && request.usageError.empty(); ++at) {
        const std::string text = conversion::pathText(args[at]);
        if (!options || text.size() < 2 || text.front() != '-') {
            if (text.empty()) request.usageError = "no file name given";
            request.files.push_back(args[at]);
        } else if (text == "--") {
            options = false;
        } else if (text == "--help" || text == "--version") {
            (text == "--help" ? request.help : request.version) = true;
            return request;
        } else if (text == "-z" || text == "--null") {
            request.nulls = true;
        } else if (!takeNumber(text, args, at, request)) {
            request.usageError = "unknown option " + conversion::displayText(text);
        }
    }
    if (const auto problem = conversion::shapeProblem(request.shape);
        request.usageError.empty() && problem.number) {
        for (const auto& option : kNumberOptions) {
            if (option.number == problem.number) {
                request.usageError = std::string(option.name) + ": " + problem.text;
            }
        }
    }
    return request;
}

// A source that wrote files: the first of them stands for them all.
struct Converted {
    std::filesystem::path source, output, key;
};

int convertAll(const Request& request) {
    int status = 0, writeError = 0;
    std::vector<Converted> done;
    for (const auto& file : request.files) {
        // A second source with the same outputs would silently replace the first's: the same
        // file where the earlier one exists, else the same name.
        const auto first = conversion::outputPaths(file, request.shape)[0];
        const auto key = conversion::os::comparisonKey(first);
        const auto same = std::find_if(done.begin(), done.end(), [&](const Converted& earlier) {
            std::error_code error;
            return std::filesystem::equivalent(first, earlier.output, error) || key == earlier.key;
        });
        std::vector<std::filesystem::path> written;
        try {
            if (same != done.end()) {
                throw conversion::notConverted(file, "its output files are those of " +
                                                         conversion::pathText(same->source) +
                                                         ", converted before it");
            }
            const auto result =
                conversion::convert(file, conversion::localTimestamp, request.shape);
            written = result.outputs;
            for (const auto& path : result.outputs) {
                if (request.nulls) {
                    std::cout << conversion::pathText(path) << '\0';
                } else {
                    std::cout << conversion::displayPath(path) << '\n';
                }
            }
            if (!result.findings.empty()) {
                std::cerr << conversion::displayPath(file) << ":\n"
                          << conversion::findingsText(result.findings, request.shape.files(),
                                                      conversion::FilesAre::Written,
                                                      result.findings.size())
                          << "\n";
            }
        } catch (const conversion::ConversionError& error) {
            std::cerr << error.what() << "\n";
            written = error.written();
            status = 1;
        }
        if (!written.empty()) {
            done.push_back({file, written[0], conversion::os::comparisonKey(written[0])});
        }
        if (!std::cout.flush() && !writeError) writeError = errno ? errno : EIO;
    }
    // The paths are what a script reads: losing them is a failure, as for the GNU tools.
    if (writeError) {
        std::cerr << "quillotan-convert: cannot write to standard output: "
                  << std::generic_category().message(writeError) << "\n";
        status = 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const conversion::os::ConsoleSession console;
    conversion::cleanUpOnInterrupt();
    const Request request = parse(conversion::os::arguments(argc, argv));
    if (request.help) {
        std::cout << kUsage;
    } else if (request.version) {
        std::cout << "quillotan-convert " << conversion::kVersion << "\n";
    } else if (!request.usageError.empty() || request.files.empty()) {
        if (!request.usageError.empty()) {
            std::cerr << "quillotan-convert: " << request.usageError << "\n";
        }
        std::cerr << kUsage;
        return 2;
    }
    return request.help || request.version ? 0 : convertAll(request);
}
