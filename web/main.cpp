// The page's entry into the conversion core, compiled to WebAssembly: one call converts a
// source that the page has put into the module's in-memory file system, with the page's clock,
// and answers in JSON, which the page reads as it is.

#include "quillotan/conversion_run.h"
#include "quillotan/display_text.h"
#include "quillotan/hand_record.h"
#include "quillotan/version.h"

#include <cstdio>
#include <emscripten.h>
#include <sstream>
#include <string>
#include <string_view>

namespace {

std::string answer;  // the last call's, kept until the next call

// The last conversion's source and boards, of which quillotan_record makes the record.
std::filesystem::path lastSource;
std::vector<conversion::RecordBoard> lastBoards;

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

template <typename Items, typename Each>
std::string list(const Items& items, Each each) {
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : ",") + each(item);
    return "[" + text + "]";
}

// A board of the set as the page shows it before it is solved, with what its solver needs:
// {"view": {"title", "dealer", "vulnerable", "seats", "hands": four seats' four lines, "points"},
// "deal": "N:" and the four hands, "dealer": the seat, "vulnerable": the LIN line's letter}.
std::string boardJson(const conversion::RecordBoard& board) {
    const auto view = conversion::boardView(board);
    std::string deal = "N:";
    for (const auto& hand : board.hands) deal += hand + " ";
    deal.pop_back();
    return "{\"view\":{\"title\":" + json(view.title) + ",\"dealer\":" + json(view.dealer) +
           ",\"vulnerable\":" + json(view.vulnerable) + ",\"seats\":" + list(view.seats, json) +
           ",\"hands\":" + list(view.hands, [](const auto& lines) { return list(lines, json); }) +
           ",\"points\":" + list(view.points, [](int n) { return std::to_string(n); }) +
           "},\"deal\":" + json(deal) + ",\"dealer\":" + std::to_string(board.dealer) +
           ",\"vulnerable\":" + json(std::string(1, board.vulnerable)) + "}";
}

// The board of a solver's deal as boardJson gives it.
conversion::RecordBoard boardOf(std::string_view deal, int dealer, char vulnerable) {
    conversion::RecordBoard board{0, {}, dealer, vulnerable, {}};
    std::istringstream hands{std::string(deal.substr(deal.find(':') + 1))};
    for (auto& hand : board.hands) hands >> hand;
    return board;
}

}  // namespace

// Converts source (a path in the module's file system) with date and time as the header's
// timestamp, in the set's shape as the row's boxes hold it; opened: the files opened at once,
// of which source is the first. The answer: {"source": the name as shown, "note": a line for
// several files opened, or "", "files": [{"path": the name in the file system, "shown": as shown},
// one for each file], "zip": the name of the ZIP of them all, which says the set's boards,
// "warning": the notes' and findings' text, or "", "boards": the set's boards as boardJson
// gives them}; or {"source": ..., "error": the message's first two lines}.
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
                  ",\"warning\":" + json(warning) +
                  ",\"boards\":" + list(result.boards, boardJson) + "}";
        lastSource = source;
        lastBoards = result.boards;
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

// Solves one board (its deal, dealer and vulnerability as boardJson gives them): {"tricks": the
// table's 20 numbers as the solver orders them, which quillotan_record takes back, or null for
// a deal that cannot be solved; "table": {"strains", "declarers", "tricks": by row, "par": its
// lines}, in the record's words}.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_solve(const char* deal, int dealer,
                                                            const char* vulnerable) {
    const auto board = boardOf(deal, dealer, *vulnerable);
    const auto analysis = conversion::analyse({board}, 1).front();
    const auto view = conversion::tableView(analysis, dealer);
    std::string tricks = "null";
    if (analysis) {
        tricks.clear();
        for (const auto& strain : analysis->tricks) {
            for (const int n : strain) tricks += (tricks.empty() ? "" : " ") + std::to_string(n);
        }
        tricks = json(tricks);
    }
    const auto number = [](int n) { return std::to_string(n); };
    answer = "{\"tricks\":" + tricks + ",\"table\":{\"strains\":" + list(view.strains, json) +
             ",\"declarers\":" + list(view.declarers, json) + ",\"tricks\":" +
             list(view.tricks, [&](const auto& row) { return list(row, number); }) +
             ",\"par\":" + list(view.par, json) + "}}";
    return answer.c_str();
}

// Writes the record of the last conversion into the current folder: tricks, each board's as
// quillotan_solve gave them, joined by ";" ("null" for a board it could not solve); paper
// "A4" or "Letter"; boards a page; the club; date and time as the conversion's. The answer:
// {"files": [{"path", "shown"}], the PDF's then the PBN's}, or {"error"}.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_record(const char* tricks, const char* paper,
                                                             int perPage, const char* club,
                                                             const char* date, const char* time) {
    std::vector<std::optional<conversion::Analysis>> analyses;
    std::istringstream boards(tricks);
    for (std::string one; std::getline(boards, one, ';') && analyses.size() < lastBoards.size();) {
        auto& analysis = analyses.emplace_back();
        if (one == "null") continue;
        std::istringstream numbers(one);
        conversion::Tricks table{};
        for (auto& strain : table) {
            for (int& n : strain) numbers >> n;
        }
        analysis = conversion::analysisOf(table, lastBoards[analyses.size() - 1].vulnerable);
    }
    analyses.resize(lastBoards.size());
    const conversion::RecordSettings settings{
        std::string_view(paper) == "Letter" ? conversion::Paper::Letter : conversion::Paper::A4,
        perPage, club};
    try {
        const auto files = conversion::recordFiles(lastBoards, analyses, settings, {date, time});
        const auto paths = conversion::recordPaths(lastSource.filename());
        const std::string* bytes[] = {&files.pdf, &files.pbn};
        answer = "{\"files\":[";
        for (std::size_t i = 0; i < 2; ++i) {
            std::FILE* out = std::fopen(paths[i].c_str(), "wb");
            if (!out) throw std::runtime_error("cannot write " + paths[i].string());
            const bool written =
                std::fwrite(bytes[i]->data(), 1, bytes[i]->size(), out) == bytes[i]->size();
            if (std::fclose(out) != 0 || !written) {
                throw std::runtime_error("cannot write " + paths[i].string());
            }
            answer += std::string(i ? "," : "") + "{\"path\":" + json(paths[i].string()) +
                      ",\"shown\":" + json(conversion::displayPath(paths[i])) + "}";
        }
        answer += "]}";
    } catch (const std::exception& error) {
        answer = "{\"error\":" + json(error.what()) + "}";
    }
    return answer.c_str();
}

// The paper of the browser's language ("en-US"): "A4" or "Letter".
extern "C" EMSCRIPTEN_KEEPALIVE const char* quillotan_paper(const char* locale) {
    return conversion::paperFor(locale) == conversion::Paper::Letter ? "Letter" : "A4";
}
