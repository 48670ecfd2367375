#include "findings.h"

namespace conversion {

std::string findingLine(const Finding& finding) {
    if (finding.board == 0) return "Before board 1: " + finding.text;
    std::string line = "Board " + std::to_string(finding.board);
    if (finding.number) line += " (numbered " + std::to_string(*finding.number) + ")";
    return line + ": " + finding.text;
}

std::string findingsText(const std::vector<Finding>& findings, std::size_t maxLines) {
    std::string text = "The four LIN files were written, but some deals look wrong:";
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
