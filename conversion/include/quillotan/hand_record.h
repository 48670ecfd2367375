#pragma once

// The hand record: every board of a set as a diagram with its double-dummy table and par, as
// a PDF for the players and as PBN for scoring programs, written beside the LIN files.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace conversion {

enum class Paper { A4, Letter };

struct RecordSettings {
    Paper paper = Paper::A4;
    int boardsPerPage = 4;  // 1, 2 or 4
    std::string club;       // the club's name at the head of every page; none when empty
    bool operator==(const RecordSettings&) const = default;
};

// The paper of a locale's country ("en_US", "fr-CA", "en_US.UTF-8"): Letter in the countries
// that use it, A4 elsewhere.
Paper paperFor(std::string_view locale);

// The record's files beside the source: <base>_hands.pdf, then <base>_hands.pbn.
std::array<std::filesystem::path, 2> recordPaths(const std::filesystem::path& source);

}  // namespace conversion
