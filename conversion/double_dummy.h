#pragma once

// The double-dummy analysis of a set's boards: the tricks each declarer takes in each strain
// with every card seen, and par, by the solver the clubs' programs use.

#include "deal.h"

#include <array>
#include <optional>
#include <vector>

namespace conversion {

// The strains in the solver's order, which the record's tables follow: spades, hearts,
// diamonds, clubs, no trumps.
inline constexpr int kStrains = 5;
inline constexpr int kNoTrumps = 4;

// One board as the record shows it: its deal by seat, its dealer and its vulnerability.
struct RecordBoard {
    Deal deal;
    int dealer = 0;         // the seat
    char vulnerable = '0';  // as the LIN line has it: 0 none, N north-south, E east-west, B all
    std::array<std::string, 3> heading;  // the source's Event, Site and Date
};

// One contract of a par: 4♠ doubled by North-South two down is {4, 0, 4, 2, 0}.
struct ParContract {
    int level = 0;
    int strain = 0;       // kStrains' order
    int seats = 0;        // 0-3 a seat, 4 north-south, 5 east-west
    int underTricks = 0;  // a doubled sacrifice's tricks down; 0 for a contract that makes
    int overTricks = 0;
};

// Par when one side bids first: its score for north-south (east-west's when negative), and the
// contracts that give it; none when the board is passed out.
struct Par {
    int score = 0;
    std::vector<ParContract> contracts;
    bool operator==(const Par&) const = default;
};
inline bool operator==(const ParContract& a, const ParContract& b) {
    return a.level == b.level && a.strain == b.strain && a.seats == b.seats &&
           a.underTricks == b.underTricks && a.overTricks == b.overTricks;
}

using Tricks = std::array<std::array<int, 4>, kStrains>;  // by strain, then declarer's seat

struct Analysis {
    Tricks tricks{};
    std::array<Par, 2> par;  // when north-south bid first, then when east-west do
};

// Par from a table of tricks, when north-south bid first and when east-west do.
std::array<Par, 2> sidesPar(const Tricks& tricks, char vulnerable);

// The analysis of every board, in order, on at most threads threads (0: as many as the
// machine has); none for a deal that is not 52 different cards, 13 in each hand. Throws Fault
// when the solver fails.
std::vector<std::optional<Analysis>> analyse(const std::vector<RecordBoard>& boards,
                                             int threads = 0);

}  // namespace conversion
