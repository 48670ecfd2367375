// quillotan-convert FILE.pbn...: converts each file in turn as the window does, and goes on
// after a file that fails. The four paths written for each file go to standard output; the
// errors and what looks wrong in the deals, in the window's words, to standard error.

#include "conversion_run.h"
#include "deal_check.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
// clang-format off
#include <windows.h>  // before shellapi.h, which needs its declarations
#include <shellapi.h>
// clang-format on
#endif

namespace {

constexpr const char* kUsage =
    "Usage: quillotan-convert FILE.pbn...\n"
    "Converts each 24-board PBN hand record into four LIN files of six boards beside it:\n"
    "FILE_1-6.lin, FILE_7-12.lin, FILE_13-18.lin and FILE_19-24.lin. Prints the four paths\n"
    "written for each file that converts; errors, and what looks wrong in the deals, go to\n"
    "standard error.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when every file converted, 1 when any failed, 2 for a usage error.\n";

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

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Paths and suit symbols are written as UTF-8; the console shows them as such.
    SetConsoleOutputCP(CP_UTF8);
#endif
    std::vector<std::filesystem::path> files;
    bool options = true;
    for (const auto& arg : arguments(argc, argv)) {
        const std::string text = conversion::pathText(arg);
        if (options && text == "--") {
            options = false;
        } else if (options && text == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (options && text == "--version") {
            std::cout << "quillotan-convert " QUILLOTAN_VERSION "\n";
            return 0;
        } else if (options && text.size() > 1 && text.front() == '-') {
            std::cerr << "quillotan-convert: unknown option " << text << "\n" << kUsage;
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    int status = 0;
    for (const auto& file : files) {
        try {
            const auto findings = conversion::convert(file);
            for (const auto& path : conversion::outputPaths(file)) {
                std::cout << conversion::pathText(path) << "\n";
            }
            if (!findings.empty()) {
                std::cerr << conversion::pathText(file) << ":\n"
                          << conversion::findingsText(findings, findings.size()) << "\n";
            }
        } catch (const conversion::ConversionError& error) {
            std::cerr << error.what() << "\n";
            status = 1;
        }
        std::cout.flush();
    }
    return status;
}
