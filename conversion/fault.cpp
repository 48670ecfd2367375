#include "fault.h"

#include "excerpt.h"
#include "quillotan/display_text.h"

namespace conversion {

Fault::Fault(std::string detail, int line, std::optional<std::int16_t> boardNumber)
    : std::runtime_error(detail),
      detail_(std::move(detail)),
      line_(line),
      boardNumber_(boardNumber) {}

std::string expectedFound(std::string_view what, std::string_view found) {
    std::string text = "expected ";
    text += what;
    text += ", found ";
    text += found.empty() ? "an empty line" : excerpt(found);
    return text;
}

ConversionError describeFault(const std::filesystem::path& source, std::string_view detail,
                              FaultPlace place) {
    std::string where;
    if (place.line > 0) where = "Line " + std::to_string(place.line);
    if (place.board > 0)
        where += (where.empty() ? "" : ", ") + boardName(place.board, place.boardNumber);
    return notConverted(source,
                        where.empty() ? std::string(detail) : where + ": " + std::string(detail),
                        place.earlier);
}

}  // namespace conversion
