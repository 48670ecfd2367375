#include "deal_check.h"

#include "utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace conversion {

namespace {

constexpr std::array<std::string_view, 4> kSuits = {"\u2660", "\u2665", "\u2666", "\u2663"};

using Cards = std::uint64_t;  // one bit for each card: suit * 13 + rank
constexpr Cards kPack = (Cards{1} << 52) - 1;

struct Hand {
    bool given = false;
    int suits = 0;
    int cards = 0;
    Cards held = 0;
    Cards twice = 0;                   // cards written more than once in this hand
    std::vector<std::string> strange;  // characters that are no rank, each once
};

Hand readHand(std::string_view text) {
    Hand hand;
    if (text.empty() || text == "-") return hand;
    hand.given = true;
    hand.suits = 1;
    while (!text.empty()) {
        const char c = text.front();
        const auto rank = kRanks.find(c);
        // A character outside ASCII is one, whatever its bytes; a byte of no valid UTF-8 is one.
        const std::size_t length = std::max<std::size_t>(utf8Length(text), 1);
        const std::string character(text.substr(0, length));
        text.remove_prefix(length);
        if (c == '.') {
            ++hand.suits;
        } else if (rank == kRanks.npos) {
            if (std::find(hand.strange.begin(), hand.strange.end(), character) ==
                hand.strange.end()) {
                hand.strange.push_back(character);
            }
        } else if (hand.suits <= 4) {
            const Cards card = Cards{1} << ((hand.suits - 1) * 13 + static_cast<int>(rank));
            (hand.held & card ? hand.twice : hand.held) |= card;
            ++hand.cards;
        }
    }
    return hand;
}

std::string cardName(int card) {
    const char rank = kRanks[static_cast<std::size_t>(card % 13)];
    return std::string(kSuits[static_cast<std::size_t>(card / 13)]) +
           (rank == 'T' ? "10" : std::string(1, rank));
}

// "a", "a and b", "a, b and c".
std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

std::vector<std::string> cardNames(Cards cards) {
    std::vector<std::string> names;
    for (int card = 0; card < 52; ++card) {
        if (cards >> card & 1) names.push_back(cardName(card));
    }
    return names;
}

std::string seatsOf(const std::vector<int>& seats, std::string_view possessive) {
    std::vector<std::string> names;
    for (int seat : seats) {
        names.push_back(std::string(kSeatNames[static_cast<std::size_t>(seat)]) + "'s");
    }
    return joined(names) + std::string(possessive);
}

// The findings of one deal, hands by seat. The cards of a hand without four suits cannot be
// placed, and a hand not given has none: such hands stop the findings that need every card.
std::vector<std::string> dealFindings(const std::array<Hand, 4>& hands) {
    std::vector<std::string> found;
    std::vector<int> notGiven;
    bool placed = true;  // every hand given, in four suits
    for (int seat = 0; seat < 4; ++seat) {
        if (!hands[seat].given) notGiven.push_back(seat);
        placed = placed && hands[seat].suits == 4;
    }
    if (!notGiven.empty()) {
        found.push_back(seatsOf(
            notGiven, notGiven.size() == 1 ? " hand is not given" : " hands are not given"));
    }
    for (int seat = 0; seat < 4; ++seat) {
        const Hand& hand = hands[seat];
        if (hand.suits == 4 && hand.strange.empty() && !hand.twice) continue;  // the usual hand
        const std::string whose = std::string(kSeatNames[seat]) + "'s";
        if (hand.given && hand.suits != 4) {
            found.push_back(whose + " hand has " + std::to_string(hand.suits) +
                            (hand.suits == 1 ? " suit, not four" : " suits, not four"));
        }
        if (!hand.strange.empty()) {
            std::vector<std::string> quoted;
            for (const auto& c : hand.strange) quoted.push_back("\"" + c + "\"");
            found.push_back(
                whose + " hand holds " + joined(quoted) +
                (quoted.size() == 1 ? ", which is not a card" : ", which are not cards"));
        }
        if (hand.suits != 4) continue;
        for (const auto& card : cardNames(hand.twice)) {
            found.push_back("the " + card + " is twice in " + whose + " hand");
        }
    }
    std::vector<std::string> counts;
    for (int seat = 0; seat < 4 && placed; ++seat) {
        if (hands[seat].cards == 13) continue;
        counts.push_back(std::string(kSeatNames[seat]) + (counts.empty() ? " holds " : " ") +
                         std::to_string(hands[seat].cards) + (counts.empty() ? " cards" : ""));
    }
    if (!counts.empty()) found.push_back(joined(counts));

    Cards dealt = 0, shared = 0;  // cards in some hand, in more than one
    for (const Hand& hand : hands) {
        if (hand.suits != 4) continue;
        shared |= dealt & hand.held;
        dealt |= hand.held;
    }
    for (int card = 0; card < 52; ++card) {
        if (!(shared >> card & 1)) continue;
        std::vector<int> seats;
        for (int seat = 0; seat < 4; ++seat) {
            if (hands[seat].suits == 4 && hands[seat].held >> card & 1) seats.push_back(seat);
        }
        found.push_back("the " + cardName(card) + " is in " + (seats.size() == 2 ? "both " : "") +
                        seatsOf(seats, " hands"));
    }
    const auto missing = cardNames(kPack & ~dealt);
    if (placed && !missing.empty()) {
        found.push_back("the " + joined(missing) +
                        (missing.size() == 1 ? " is missing" : " are missing"));
    }
    return found;
}

}  // namespace

std::vector<std::vector<std::string>> checkDeals(const std::vector<Deal>& deals) {
    std::vector<std::vector<std::string>> found;
    found.reserve(deals.size());
    std::vector<std::array<Cards, 4>> dealt;  // by place less one
    for (std::size_t at = 0; at < deals.size(); ++at) {
        const Deal& deal = deals[at];
        std::array<Hand, 4> hands;
        for (int seat = 0; seat < 4; ++seat) hands[seat] = readHand(deal.hands[seat]);
        auto& phrases = found.emplace_back(dealFindings(hands));

        for (std::size_t earlier = 0; earlier < at; ++earlier) {
            if (deals[earlier].number == deal.number) {
                phrases.push_back("board " + std::to_string(earlier + 1) + " has the same number");
                break;
            }
        }
        auto& cards = dealt.emplace_back();
        cards.fill(~Cards{0});  // no deal matches one with a hand not given
        if (hands[0].given && hands[1].given && hands[2].given && hands[3].given) {
            cards = {hands[0].held, hands[1].held, hands[2].held, hands[3].held};
            const auto same = std::find(dealt.begin(), dealt.end() - 1, cards);
            if (same != dealt.end() - 1) {
                phrases.push_back("the same deal as board " +
                                  std::to_string(same - dealt.begin() + 1));
            }
        }
    }
    return found;
}

}  // namespace conversion
