// The page's entry into the conversion core, compiled to WebAssembly: one call converts a
// source that the page has put into the module's in-memory file system, with the page's clock.

#include "conversion_run.h"

#include <emscripten.h>
#include <string>

namespace {

std::string answer;  // the last call's, kept until the next call

}  // namespace

// Converts source (a path in the module's file system) with date and time as the header's
// timestamp. The answer, a line each: "ok", the four files written, then what looks wrong in
// the deals; or "error", then the run's whole message.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_convert(const char* source, const char* date,
                                                              const char* time) {
    const conversion::Timestamp stamp{date, time};
    try {
        const auto findings = conversion::convert(source, [&stamp] { return stamp; });
        answer = "ok";
        for (const auto& path : conversion::outputPaths(source)) {
            answer += "\n" + conversion::pathText(path);
        }
        for (const auto& line : findings) answer += "\n" + line;
    } catch (const conversion::ConversionError& error) {
        answer = std::string("error\n") + error.what();
    }
    return answer.c_str();
}
