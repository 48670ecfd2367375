#pragma once

// The hand record: every board of a set as a diagram with its double-dummy table and par, as
// a PDF for the players and as PBN for scoring programs, written beside the LIN files. The
// window and the converter ask convert() for it; the page, which solves the boards in its
// workers while it shows them, puts it together from these parts.

#include "quillotan/timestamp.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

enum class Paper { A4, Letter };

// The boards a page of the record can hold, the default first.
inline constexpr std::array<int, 3> kBoardsPerPage = {4, 2, 1};

struct RecordSettings {
    Paper paper = Paper::A4;
    int boardsPerPage = 4;  // one of kBoardsPerPage; any other is taken as the next below
    std::string club;       // the club's name at the head of every page; none when empty
    bool operator==(const RecordSettings&) const = default;
};

// The paper of a locale's country ("en_US", "fr-CA", "en_US.UTF-8"): Letter in the countries
// that use it, A4 elsewhere.
Paper paperFor(std::string_view locale);

// The record's files beside the source: <base>_hands.pdf, then <base>_hands.pbn.
std::array<std::filesystem::path, 2> recordPaths(const std::filesystem::path& source);

// One board of the set as the record shows it.
struct RecordBoard {
    std::int16_t number = 0;
    std::array<std::string, 4> hands;    // PBN hands by seat, North first
    int dealer = 0;                      // the seat, North 0 clockwise
    char vulnerable = '0';               // as the LIN line has it: 0 none, N, E (a side's), B all
    std::array<std::string, 3> heading;  // the source's Event, Site and Date
};

// The strains in the solver's order, which the tables follow: spades, hearts, diamonds, clubs,
// no trumps.
inline constexpr int kStrains = 5;
inline constexpr int kNoTrumps = 4;
using Tricks = std::array<std::array<int, 4>, kStrains>;  // by strain, then declarer's seat

// One contract of a par: 4♠ doubled by north-south two down is {4, 0, 4, 2, 0}.
struct ParContract {
    int level = 0;
    int strain = 0;       // kStrains' order
    int seats = 0;        // 0-3 a seat, 4 north-south, 5 east-west
    int underTricks = 0;  // a doubled sacrifice's tricks down; 0 for a contract that makes
    int overTricks = 0;
    bool operator==(const ParContract&) const = default;
};

// Par when one side bids first: its score for north-south (east-west's when negative), and the
// contracts that give it; none when the board is passed out.
struct Par {
    int score = 0;
    std::vector<ParContract> contracts;
    bool operator==(const Par&) const = default;
};

struct Analysis {
    Tricks tricks{};
    std::array<Par, 2> par;  // when north-south bid first, then when east-west do
};

// The analysis of every board, in order, on at most threads threads (0: as many as the
// machine has); none for a deal that is not 52 different cards, 13 in each hand. Throws
// std::runtime_error when the solver fails.
std::vector<std::optional<Analysis>> analyse(const std::vector<RecordBoard>& boards,
                                             int threads = 0);

// The analysis a table of tricks gives: the table and its par.
Analysis analysisOf(const Tricks& tricks, char vulnerable);

// A board in the record's words, suits as ♠ ♥ ♦ ♣: "Board 1", "Dealer N", "Vul. None", the
// seats' names, each hand's four lines ("♠ AK1072", a void "♠ -") by seat, and its high-card
// points.
struct BoardView {
    std::string title, dealer, vulnerable;
    std::array<std::string, 4> seats;
    std::array<std::array<std::string, 4>, 4> hands;
    std::array<int, 4> points{};
};
BoardView boardView(const RecordBoard& board);

// The double-dummy table in the record's words, its columns no trumps first and its rows
// North, South, East, West; then par: "Par: NS 620, 4♠ NS", or a line for each side bidding
// first where the two differ, the dealer's side first. Without an analysis, one line that
// says why.
struct TableView {
    std::array<std::string, kStrains> strains;
    std::array<std::string, 4> declarers;
    std::array<std::array<int, kStrains>, 4> tricks{};  // by row, then column
    std::vector<std::string> par;
};
TableView tableView(const std::optional<Analysis>& analysis, int dealer);

// The record's two files' bytes: the PDF (a heading on every page, the boards in set order,
// each a diagram with its table and par, the day it was made at the foot), and the PBN (each
// board with the source's Event, Site and Date, its dealer, vulnerability and deal, and the
// analysis in OptimumResultTable, OptimumScore and ParContract). Throws std::runtime_error when
// the PDF cannot be laid out.
struct RecordFiles {
    std::string pdf, pbn;
};
RecordFiles recordFiles(const std::vector<RecordBoard>& boards,
                        const std::vector<std::optional<Analysis>>& analyses,
                        const RecordSettings& settings, const Timestamp& stamp);

}  // namespace conversion
