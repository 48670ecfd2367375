#include "quillotan/findings.h"

#include "fault.h"
#include "quillotan/conversion_run.h"

#include <array>
#include <string_view>

namespace conversion {

namespace {

// "The four LIN files were written", "The LIN file is ready to save below".
std::string filesLead(std::size_t files, FilesAre state) {
    static constexpr std::array<std::string_view, 10> kWords = {
        "", "", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
    const bool one = files == 1;
    const std::string count = one          ? ""
                              : files < 10 ? std::string(kWords[files]) + " "
                                           : std::to_string(files) + " ";
    const std::string what = "The " + count + (one ? "LIN file " : "LIN files ");
    if (state == FilesAre::Offered) return what + (one ? "is" : "are") + " ready to save below";
    return what + (one ? "was" : "were") + " written";
}

}  // namespace

std::string boardName(int place, std::optional<std::int16_t> number) {
    std::string name = "board " + std::to_string(place);
    if (number && *number != place) name += " (numbered " + std::to_string(*number) + ")";
    return name;
}

std::string findingLine(const Finding& finding) {
    if (finding.board == 0) return "Before board 1: " + finding.text;
    std::string line = boardName(finding.board, finding.number);
    line.front() = 'B';
    return line + ": " + finding.text;
}

std::string onlyTheFirst(int opened) {
    if (opened < 2) return {};
    return std::to_string(opened) + " files were opened: only the first is converted.";
}

std::string warningText(const RunResult& result, FilesAre state, std::size_t maxLines) {
    const auto& findings = result.findings;
    if (result.notes.empty() && findings.empty()) return {};
    std::string text = filesLead(result.outputs.size(), state);
    if (result.notes.empty()) {
        text += ", but some deals look wrong:";
    } else {
        text += ".";
        for (const auto& note : result.notes) text += "\n" + note;
        if (!findings.empty()) text += "\nSome deals look wrong:";
    }
    for (std::size_t i = 0; i < findings.size() && i < maxLines; ++i) {
        text += "\n" + findingLine(findings[i]);
    }
    if (findings.size() > maxLines) {
        // Lines about the preamble come first: the rest are about boards unless they run over.
        const auto more = findings.size() - maxLines;
        const std::string what = findings[maxLines].board > 0 ? "board" : "line";
        text += "\nand " + std::to_string(more) + " more " + what + (more == 1 ? "." : "s.");
    }
    return text;
}

}  // namespace conversion
