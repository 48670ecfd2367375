// quillotan-convert FILE.pbn...: converts each file in turn as the window does, and goes on
// after a file that fails. The four paths written for each file go to standard output; the
// errors and what looks wrong in the deals, in the window's words, to standard error.

#include "conversion_run.h"
#include "display_text.h"
#include "interrupt_cleanup.h"
#include "version.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#ifdef _WIN32
// clang-format off
#include <windows.h>  // before shellapi.h, which needs its declarations
#include <shellapi.h>
// clang-format on
#endif

namespace {

constexpr const char* kUsage =
    "Usage: quillotan-convert [-z] FILE.pbn...\n"
    "Converts each 24-board PBN hand record into four LIN files of six boards beside it:\n"
    "FILE_1-6.lin, FILE_7-12.lin, FILE_13-18.lin and FILE_19-24.lin. Prints the four paths\n"
    "written for each file that converts; errors, and what looks wrong in the deals, go to\n"
    "standard error.\n"
    "\n"
    "  -z, --null  end each path with a NUL, not a line end, and write it as it is (else\n"
    "              control characters in it are shown escaped, as in messages)\n"
    "  --help      show this text and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Exit status: 0 when every file converted, 1 when any failed or the paths could not be\n"
    "written, 2 for a usage error.\n";

// The arguments as paths; on Windows from the wide command line, so that any name survives.
std::vector<std::filesystem::path> arguments(int argc, char** argv) {
    std::vector<std::filesystem::path> args;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) args.emplace_back(wide[i]);
    LocalFree(wide);
#else
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
#endif
    return args;
}

// An output file as the check for repeated outputs compares it: absolute and normalised, and
// where file names ignore case (Windows), in upper case.
std::filesystem::path outputKey(const std::filesystem::path& path) {
    std::error_code error;
    const auto key = std::filesystem::absolute(path, error).lexically_normal();
#ifdef _WIN32
    std::wstring name = key.native();
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
#else
    return key;
#endif
}

// A source that wrote files: the first of them stands for its four.
struct Converted {
    std::filesystem::path source, output, key;
};

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Paths and suit symbols are written as UTF-8; the console shows them as such.
    SetConsoleOutputCP(CP_UTF8);
#endif
    conversion::cleanUpOnInterrupt();
    std::vector<std::filesystem::path> files;
    bool options = true, nulls = false;
    for (const auto& arg : arguments(argc, argv)) {
        const std::string text = conversion::pathText(arg);
        if (options && text == "--") {
            options = false;
        } else if (options && text == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (options && text == "--version") {
            std::cout << "quillotan-convert " << conversion::kVersion << "\n";
            return 0;
        } else if (options && (text == "-z" || text == "--null")) {
            nulls = true;
        } else if (options && text.size() > 1 && text.front() == '-') {
            std::cerr << "quillotan-convert: unknown option " << conversion::displayText(text)
                      << "\n"
                      << kUsage;
            return 2;
        } else if (text.empty()) {
            std::cerr << "quillotan-convert: no file name given\n" << kUsage;
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    int status = 0, writeError = 0;
    std::vector<Converted> done;
    for (const auto& file : files) {
        const auto shown = conversion::displayPath(file);
        // A second source with the same four outputs would silently replace the first's: the
        // same file where the earlier one exists, else the same name.
        const auto first = conversion::outputPaths(file)[0];
        const auto key = outputKey(first);
        const auto same = std::find_if(done.begin(), done.end(), [&](const Converted& earlier) {
            std::error_code error;
            return std::filesystem::equivalent(first, earlier.output, error) || key == earlier.key;
        });
        if (same != done.end()) {
            std::cerr << "Could not convert " << shown << ".\nIts output files are those of "
                      << conversion::displayPath(same->source)
                      << ", converted before it.\nNo output file was written.\n";
            status = 1;
            continue;
        }
        std::vector<std::filesystem::path> written;
        try {
            const auto result = conversion::convert(file);
            written.assign(result.outputs.begin(), result.outputs.end());
            for (const auto& path : result.outputs) {
                if (nulls) {
                    std::cout << conversion::pathText(path) << '\0';
                } else {
                    std::cout << conversion::displayPath(path) << '\n';
                }
            }
            if (!result.findings.empty()) {
                std::cerr << shown << ":\n"
                          << conversion::findingsText(result.findings, result.findings.size())
                          << "\n";
            }
        } catch (const conversion::ConversionError& error) {
            std::cerr << error.what() << "\n";
            written = error.written();
            status = 1;
        }
        if (!written.empty()) done.push_back({file, written[0], outputKey(written[0])});
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
