// The page's entry into the conversion core, compiled to WebAssembly: one call converts a
// source that the page has put into the module's in-memory file system, with the page's clock,
// and answers in JSON, which the page reads as it is.

#include "quillotan/conversion_run.h"
#include "quillotan/display_text.h"
#include "quillotan/version.h"

#include <cstdio>
#include <emscripten.h>
#include <string>
#include <string_view>

namespace {

std::string answer;  // the last call's, kept until the next call

// A JSON string: quotes, backslashes and control characters escaped.
std::string json(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

// The shape as the row's three boxes hold it, their texts as typed.
conversion::ShapeDescription described(const char* boards, const char* perFile,
                                       const char* fillers) {
    return conversion::describeShape(boards, std::string_view(perFile), fillers);
}

}  // namespace

// Converts source (a path in the module's file system) with date and time as the header's
// timestamp, in the set's shape as the row's boxes hold it; opened: the files opened at once,
// of which source is the first. The answer: {"source": the name as shown, "note": a line for
// several files opened, or "", "files": [{"path": the name in the file system, "shown": as shown},
// one for each file], "zip": the name of the ZIP of them all, which says the set's boards,
// "warning": the notes' and findings' text, or ""}; or {"source": ..., "error": the message's first
// two lines}.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_convert(const char* source, const char* date,
                                                              const char* time, const char* boards,
                                                              const char* perFile,
                                                              const char* fillers, int opened) {
    const conversion::Timestamp stamp{date, time};
    const auto shape = described(boards, perFile, fillers);
    answer = "{\"source\":" + json(conversion::displayText(source)) +
             ",\"note\":" + json(conversion::onlyTheFirst(opened));
    try {
        if (shape.at) throw conversion::notConverted(source, shape.problem);
        const auto result = conversion::convert(
            source, [&stamp] { return stamp; }, shape.shape);
        std::string files;
        for (const auto& path : result.outputs) {
            files += (files.empty() ? "" : ",") + std::string("{\"path\":") +
                     json(conversion::pathText(path)) +
                     ",\"shown\":" + json(conversion::displayPath(path)) + "}";
        }
        const std::string warning =
            conversion::warningText(result, conversion::FilesAre::Offered, result.findings.size());
        const auto zip = std::filesystem::path(source).stem().string() + "_1-" +
                         std::to_string(shape.shape.boards) + "_lin.zip";
        answer += ",\"files\":[" + files + "],\"zip\":" + json(zip) +
                  ",\"warning\":" + json(warning) + "}";
    } catch (const conversion::ConversionError& error) {
        answer += ",\"error\":" + json(error.summary()) + "}";
    }
    return answer.c_str();
}

// The shape as the row's boxes hold it, described: {"boards", "perFile", "fillers": each
// [lowest, highest], then either "problem": why it cannot be converted, as a sentence, or
// "title": the page's title}.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_shape(const char* boards, const char* perFile,
                                                            const char* fillers) {
    const auto shape = described(boards, perFile, fillers);
    const auto range = [](const conversion::ShapeRange& range) {
        return "[" + std::to_string(range.low) + "," + std::to_string(range.high) + "]";
    };
    answer = "{\"boards\":" + range(shape.boards) + ",\"perFile\":" + range(shape.perFile) +
             ",\"fillers\":" + range(shape.fillers) + ",";
    if (shape.at) {
        answer += "\"problem\":" + json(conversion::sentence(shape.problem)) + "}";
    } else {
        answer += "\"title\":" + json(shape.title) + "}";
    }
    return answer.c_str();
}

// The answer for a file the browser would not let the page convert, as quillotan_convert's
// error: kind "unreadable" (the file cannot be read at all), "incomplete" (not to its end), or
// "failed" (the page's own fault); why: the browser's reason.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_refused(const char* source, const char* kind,
                                                              const char* why) {
    const std::string reason = conversion::displayText(why);
    const std::string_view is(kind);
    const std::string sentence =
        is == "unreadable"
            ? "the file cannot be read (" + reason +
                  "): it may have been moved or removed since it was picked, or be too large "
                  "for this browser"
        : is == "incomplete" ? "the file could not be read to the end: it may have changed or "
                               "been removed since it was picked"
                             : "the page failed in its conversion (" + reason +
                                   "); please report this with the file";
    answer = "{\"source\":" + json(conversion::displayText(source)) +
             ",\"error\":" + json(conversion::notConverted(source, sentence).summary()) + "}";
    return answer.c_str();
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_version() { return conversion::kVersion; }
