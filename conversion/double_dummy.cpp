#include "double_dummy.h"

#include "deal.h"

#include <algorithm>
#include <cstring>
#include <dds/dll.h>
#include <memory>
#include <stdexcept>
#include <utility>

namespace conversion {

namespace {

// The solver's vulnerability codes: none, both, north-south, east-west.
int solverVulnerability(char vulnerable) {
    return vulnerable == 'B' ? 1 : vulnerable == 'N' ? 2 : vulnerable == 'E' ? 3 : 0;
}

void check(int code) {
    if (code == RETURN_NO_FAULT) return;
    char text[80] = {};
    ErrorMessage(code, text);
    throw std::runtime_error(std::string("the double-dummy solver failed: ") + text);
}

// The solver numbers strains spades first and no trumps last, as kStrains does; its own
// contracts name no trumps 0 and the suits from 1.
Par parOf(const parResultsMaster& master) {
    Par par{master.score, {}};
    for (int i = 0; i < master.number; ++i) {
        const auto& c = master.contracts[i];
        if (c.level == 0) continue;  // passed out
        par.contracts.push_back({c.level, c.denom == 0 ? kNoTrumps : c.denom - 1, c.seats,
                                 c.underTricks, c.overTricks});
    }
    return par;
}

// The deal as the solver reads it, "N:" and the four hands in capitals; empty when the deal
// is not 52 different cards, 13 in each hand of four suits.
std::string solverDeal(const RecordBoard& deal) {
    std::string cards = "N:";
    std::array<bool, 52> seen{};
    for (const auto& hand : deal.hands) {
        int suit = 0, held = 0;
        for (const char c : hand) {
            if (c == '.') {
                if (++suit > 3) return {};
                cards += c;
                continue;
            }
            const auto rank = kRanks.find(rankLetter(c));
            if (rank == kRanks.npos || std::exchange(seen[suit * 13 + rank], true)) return {};
            ++held;
            cards += kRanks[rank];
        }
        if (suit != 3 || held != 13) return {};
        cards += ' ';
    }
    cards.pop_back();
    return cards;
}

}  // namespace

std::array<Par, 2> sidesPar(const Tricks& tricks, char vulnerable) {
    ddTableResults table;
    for (int strain = 0; strain < kStrains; ++strain) {
        for (int seat = 0; seat < 4; ++seat) table.resTable[strain][seat] = tricks[strain][seat];
    }
    parResultsMaster sides[2];
    check(SidesParBin(&table, sides, solverVulnerability(vulnerable)));
    // The second side's score comes from east-west's view: turned to north-south's.
    sides[1].score = -sides[1].score;
    return {parOf(sides[0]), parOf(sides[1])};
}

Analysis analysisOf(const Tricks& tricks, char vulnerable) {
    return {tricks, sidesPar(tricks, vulnerable)};
}

std::vector<std::optional<Analysis>> analyse(const std::vector<RecordBoard>& boards, int threads) {
    SetMaxThreads(threads);
    std::vector<std::optional<Analysis>> analyses(boards.size());
    std::vector<std::size_t> sound;  // the boards the solver can take
    std::vector<std::string> cards;
    for (std::size_t at = 0; at < boards.size(); ++at) {
        if (auto deal = solverDeal(boards[at]); !deal.empty()) {
            sound.push_back(at);
            cards.push_back(std::move(deal));
        }
    }
    // The solver takes its tables in batches; the structures are large for a stack.
    auto deals = std::make_unique<ddTableDealsPBN>();
    auto results = std::make_unique<ddTablesRes>();
    auto pars = std::make_unique<allParResults>();
    int strains[DDS_STRAINS] = {0, 0, 0, 0, 0};  // 0: every strain solved
    for (std::size_t first = 0; first < sound.size(); first += MAXNOOFTABLES) {
        const auto count = std::min<std::size_t>(MAXNOOFTABLES, sound.size() - first);
        deals->noOfTables = static_cast<int>(count);
        for (std::size_t i = 0; i < count; ++i) {
            // A sound deal is 69 characters and its NUL: the solver's field holds 80.
            std::memcpy(deals->deals[i].cards, cards[first + i].c_str(),
                        cards[first + i].size() + 1);
        }
        check(CalcAllTablesPBN(deals.get(), -1, strains, results.get(), pars.get()));
        for (std::size_t i = 0; i < count; ++i) {
            const auto& table = results->results[i];
            const auto at = sound[first + i];
            Tricks tricks;
            for (int strain = 0; strain < kStrains; ++strain) {
                for (int seat = 0; seat < 4; ++seat)
                    tricks[strain][seat] = table.resTable[strain][seat];
            }
            analyses[at] = analysisOf(tricks, boards[at].vulnerable);
        }
    }
    return analyses;
}

}  // namespace conversion
