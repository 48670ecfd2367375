#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace conversion {

// The text of a path as it is written: UTF-8, and where the platform's paths are UTF-16, a
// half of a surrogate pair that has no other half as the three bytes it would take in UTF-8
// (which displayText shows escaped). Never throws for a name the system gave.
std::string pathText(const std::filesystem::path& path);

// Text from a source or a file name as it is shown: control characters (C0, DEL, C1) and
// bytes that are no valid UTF-8 are escaped, \0 \t \n \r for those four and \xHH for every
// other byte (a C1 character's two bytes each), and the invisible characters that reorder or
// hide text (the bidirectional controls, the zero-width ones) as \uHHHH, so that nothing
// reaches a screen raw or rearranged. The backslash itself is not escaped: a Windows path
// reads as it is.
std::string displayText(std::string_view text);

// Text as a sentence of a message: shown escaped, from a capital, with a full stop.
std::string sentence(std::string_view text);

// A path as it is shown: displayText(pathText(path)).
std::string displayPath(const std::filesystem::path& path);

}  // namespace conversion
