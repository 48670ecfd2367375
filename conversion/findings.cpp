#include "quillotan/findings.h"

#include "fault.h"

namespace conversion {

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

}  // namespace conversion
