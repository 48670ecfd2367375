// quillotan-convert [OPTION]... FILE.pbn...: converts each file in turn as the window does, and
// goes on after a file that fails. The paths written for each file go to standard output; the
// errors and what looks wrong in the deals, in the window's words, to standard error.

#include "quillotan/conversion_run.h"
#include "quillotan/display_text.h"
#include "quillotan/hand_record.h"
#include "quillotan/interrupt_cleanup.h"
#include "quillotan/platform.h"
#include "quillotan/version.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

using conversion::SetShape;

// The help, with the ranges of the set's numbers as the core gives them.
std::string usage() {
    const auto shape = conversion::describeShape(SetShape{});
    const auto range = [](const conversion::ShapeRange& range) {
        return std::to_string(range.low) + " to " + std::to_string(range.high);
    };
    return "Usage: quillotan-convert [OPTION]... FILE.pbn...\n"
           "Converts each PBN hand record into LIN files beside it: by default its first 24 "
           "boards\ninto four files of six, FILE_1-6.lin, FILE_7-12.lin, FILE_13-18.lin and "
           "FILE_19-24.lin,\nthe last led by two filler boards; any other shape of set with "
           "the options below.\nThe files of a set are written all together or not at all. "
           "Prints the paths written\nfor each file that converts; errors, notes and what looks "
           "wrong in the deals go to\nstandard error.\n"
           "\n"
           "  --boards N    the boards in the set, " +
           range(shape.boards) + " (default " + std::to_string(shape.shape.boards) +
           ")\n"
           "  --per-file K  the boards in each file, 1 to N (default " +
           std::to_string(shape.shape.perFile) +
           ", or N where N is smaller); the last\n"
           "                file holds what is left, and each is named for its boards' "
           "places:\n                FILE_1-6.lin\n"
           "  --fillers F   the filler boards (board 99) at the head of the last file, " +
           range(shape.fillers) + "\n                (default " +
           std::to_string(shape.shape.fillers) +
           ")\n"
           "  --hand-record also write the hand record: FILE_hands.pdf, every board's diagram "
           "with\n"
           "                its double-dummy table and par, and FILE_hands.pbn, the boards with\n"
           "                the analysis in PBN's tags\n"
           "  --paper P     the record's paper, A4 or Letter (default from the locale)\n"
           "  --per-page B  the record's boards on a page, 1, 2 or 4 (default 4)\n"
           "  --club NAME   the club's name at the head of the record's pages\n"
           "                (each of these three implies --hand-record)\n"
           "  -z, --null    end each path with a NUL, not a line end, and write it as it is (else\n"
           "                control characters in it are shown escaped, as in messages)\n"
           "  -h, --help    show this text and exit\n"
           "  -V, --version show the version and exit\n"
           "\n"
           "Examples: a Howell for six tables, 22 boards in rounds of two, into eleven files:\n"
           "  quillotan-convert --boards 22 --per-file 2 Week12.pbn\n"
           "nine rounds of three, 27 boards, with no filler boards:\n"
           "  quillotan-convert --boards=27 --per-file=3 --fillers=0 Week12.pbn\n"
           "\n"
           "Exit status: 0 when every file converted, 1 when any failed or the paths could not "
           "be\nwritten, 2 for a usage error.\n";
}

// Every option: its short and long names, what it does, and for a number of the set's shape,
// which one it gives (as --boards 27 or --boards=27); the record's options take a text.
struct Option {
    enum Kind { Help, Version, Nulls, Record, Number, Text };
    std::string_view shortName, longName;
    Kind kind;
    int SetShape::*number = nullptr;
};
constexpr Option kOptions[] = {{"-h", "--help", Option::Help},
                               {"-V", "--version", Option::Version},
                               {"-z", "--null", Option::Nulls},
                               {"", "--boards", Option::Number, &SetShape::boards},
                               {"", "--per-file", Option::Number, &SetShape::perFile},
                               {"", "--fillers", Option::Number, &SetShape::fillers},
                               {"", "--hand-record", Option::Record},
                               {"", "--paper", Option::Text},
                               {"", "--per-page", Option::Text},
                               {"", "--club", Option::Text}};

// What the command line asks for; a usage error's message, if any.
struct Request {
    SetShape shape;
    std::optional<std::string> typed[std::size(kOptions)];  // the values given, by option
    bool nulls = false, help = false, version = false;
    std::optional<conversion::RecordSettings> record;
    std::vector<std::filesystem::path> files;
    std::string usageError;
};

// The option that text names, and the value given after "=", if any.
const Option* optionOf(std::string_view text, std::optional<std::string>& value) {
    for (const auto& option : kOptions) {
        if ((!option.shortName.empty() && text == option.shortName) || text == option.longName) {
            return &option;
        }
        if (option.kind >= Option::Number && text.starts_with(option.longName) &&
            text.substr(option.longName.size()).starts_with('=')) {
            value = std::string(text.substr(option.longName.size() + 1));
            return &option;
        }
    }
    return nullptr;
}

// The text given for the option of that long name, if any.
std::optional<std::string> given(const Request& request, std::string_view longName) {
    for (std::size_t at = 0; at < std::size(kOptions); ++at) {
        if (kOptions[at].longName == longName) return request.typed[at];
    }
    return std::nullopt;
}

// The shape the numbers give, each at its default where not given; the per-file default
// follows the boards.
void takeShape(Request& request) {
    const SetShape defaults;
    const auto perFile = given(request, "--per-file");
    const auto shape = conversion::describeShape(
        given(request, "--boards").value_or(std::to_string(defaults.boards)),
        perFile ? std::optional<std::string_view>(*perFile) : std::nullopt,
        given(request, "--fillers").value_or(std::to_string(defaults.fillers)));
    request.shape = shape.shape;
    for (const auto& option : kOptions) {
        if (shape.at && option.number == shape.at) {
            request.usageError = std::string(option.longName) + ": " + shape.problem;
        }
    }
}

// The record's settings, where it is asked for: the paper from the locale unless given.
void takeRecord(Request& request) {
    const auto paper = given(request, "--paper"), perPage = given(request, "--per-page"),
               club = given(request, "--club");
    if (!request.record && !paper && !perPage && !club) return;
    auto& record = request.record.emplace();
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
        if (const char* value = std::getenv(name); value && *value && locale.empty())
            locale = value;
    }
    record.paper = conversion::paperFor(locale);
    if (paper) {
        std::string folded = *paper;
        for (auto& c : folded) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (folded != "a4" && folded != "letter") {
            request.usageError =
                "--paper: the paper must be A4 or Letter, not " + conversion::displayText(*paper);
        }
        record.paper = folded == "letter" ? conversion::Paper::Letter : conversion::Paper::A4;
    }
    if (perPage) {
        const auto& all = conversion::kBoardsPerPage;
        record.boardsPerPage = std::atoi(perPage->c_str());
        if (std::to_string(record.boardsPerPage) != *perPage ||
            std::find(all.begin(), all.end(), record.boardsPerPage) == all.end()) {
            request.usageError = "--per-page: the boards on a page must be 1, 2 or 4, not " +
                                 conversion::displayText(*perPage);
        }
    }
    if (club) record.club = *club;
}

Request parse(const std::vector<std::filesystem::path>& args) {
    Request request;
    bool options = true;
    for (std::size_t at = 0; at < args.size() && request.usageError.empty(); ++at) {
        const std::string text = conversion::pathText(args[at]);
        std::optional<std::string> value;
        const Option* option = options ? optionOf(text, value) : nullptr;
        if (options && text == "--") {
            options = false;
        } else if (option && option->kind >= Option::Number) {
            if (!value && at + 1 == args.size()) {
                request.usageError =
                    std::string(option->longName) +
                    (option->kind == Option::Number ? " needs a number" : " needs a value");
            } else {
                request.typed[option - kOptions] =
                    value ? *value : conversion::pathText(args[++at]);
            }
        } else if (option && option->kind == Option::Record) {
            request.record.emplace();
        } else if (option) {
            (option->kind == Option::Help      ? request.help
             : option->kind == Option::Version ? request.version
                                               : request.nulls) = true;
            if (request.help || request.version) return request;
        } else if (options && text.size() > 1 && text.front() == '-') {
            request.usageError = "unknown option " + conversion::displayText(text);
        } else {
            if (text.empty()) request.usageError = "no file name given";
            request.files.push_back(args[at]);
        }
    }
    if (request.usageError.empty()) takeShape(request);
    if (request.usageError.empty()) takeRecord(request);
    if (request.usageError.empty() && request.files.empty()) request.usageError = "no file given";
    return request;
}

// Writes text to standard output as it is, keeping the system's reason for the first failure:
// the stream's own error state keeps none.
void put(const std::string& text, int& writeError) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && !writeError) {
        writeError = errno ? errno : EIO;
    }
}

// A source that wrote files: the first of them stands for them all.
struct Converted {
    std::filesystem::path source, output, key;
};

int convertAll(const Request& request) {
    int status = 0, writeError = 0;
    std::vector<Converted> done;
    std::cerr.tie(nullptr);  // standard output is flushed only below, where a failure is seen
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
            const auto result = conversion::convert(file, conversion::localTimestamp, request.shape,
                                                    request.record);
            written = result.outputs;
            written.insert(written.end(), result.record.begin(), result.record.end());
            for (const auto& path : written) {
                if (request.nulls) {
                    put(conversion::pathText(path) + '\0', writeError);
                } else {
                    put(conversion::displayPath(path) + '\n', writeError);
                }
            }
            if (const auto warning = conversion::warningText(result, conversion::FilesAre::Written,
                                                             result.findings.size());
                !warning.empty()) {
                std::cerr << conversion::displayPath(file) << ":\n" << warning << "\n";
            }
        } catch (const conversion::ConversionError& error) {
            std::cerr << error.what() << "\n";
            status = 1;
        }
        if (!written.empty()) {
            done.push_back({file, written[0], conversion::os::comparisonKey(written[0])});
        }
        errno = 0;
        if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && !writeError) {
            writeError = errno ? errno : EIO;
        }
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
        std::cout << usage();
    } else if (request.version) {
        std::cout << "quillotan-convert " << conversion::kVersion << "\n";
    } else if (!request.usageError.empty()) {
        std::cerr << "quillotan-convert: " << request.usageError
                  << "\nTry 'quillotan-convert --help' for more information.\n";
        return 2;
    }
    return request.help || request.version ? 0 : convertAll(request);
}
