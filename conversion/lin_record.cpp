#include "lin_record.h"

#include "fault.h"

#include <array>

namespace conversion {

namespace {

constexpr std::array<std::string_view, 4> kSeats = {"S", "W", "N", "E"};  // dealer codes 1..4
constexpr std::string_view kCompass = "NESW";                             // clockwise from North

void updateDealer(std::string_view letter, RecordState& state) {
    for (std::size_t i = 0; i < kSeats.size(); ++i) {
        if (letter == kSeats[i]) state.dealerCode = static_cast<std::uint8_t>(i + 1);
    }
}

void updateVulnerability(std::string_view text, RecordState& state) {
    struct Name {
        std::string_view text, code;
    };
    // PBN's own synonyms: Both for All, Love and "-" for None.
    static constexpr std::array<Name, 7> kNames = {{{"None", "0"},
                                                    {"NS", "N"},
                                                    {"EW", "E"},
                                                    {"All", "B"},
                                                    {"Both", "B"},
                                                    {"Love", "0"},
                                                    {"-", "0"}}};
    for (const auto& name : kNames) {
        if (text == name.text) state.vulnerability = name.code;
    }
}

// Index of South's hand, counted from the seat of the deal's first hand.
int southIndex(const BoardFields& board) {
    return static_cast<int>((2 + 4 - kCompass.find(board.firstSeat)) % 4);
}

}  // namespace

std::string InsertSuits(std::string_view hand) {
    std::string lin;
    lin.reserve(hand.size() + 1);
    lin += 'S';
    std::string_view next = "HDC";
    for (char c : hand) {
        if (c == '.' && !next.empty()) {
            lin += next.front();
            next.remove_prefix(1);
        } else {
            lin += c;
        }
    }
    return lin;
}

std::string buildDealRecord(const BoardFields& board, RecordState& state) {
    updateDealer(board.dealer, state);
    updateVulnerability(board.vulnerability, state);

    if (state.dealerCode == 0) {
        throw Fault(expectedFound("a dealer tag like [Dealer \"N\"] (N, E, S or W)",
                                  "the dealer letter \"" + board.dealer + "\""),
                    board.dealerLine);
    }

    // The line carries South's, West's and North's hands, in that order.
    const int south = southIndex(board);
    std::array<std::string, 3> taken;
    for (int i = 0; i < 3; ++i) taken[i] = InsertSuits(board.hands[(south + i) % 4]);

    std::string record;
    record.reserve(64 + taken[0].size() + taken[1].size() + taken[2].size());
    const std::string number = std::to_string(board.number.value_or(0));
    record += "qx|o";
    record += number;
    record += "|md|";
    record += static_cast<char>('0' + state.dealerCode);
    record += taken[0];
    record += ',';
    record += taken[1];
    record += ',';
    record += taken[2];
    record += "|rh||ah|Board ";
    record += number;
    record += "|sv|";
    record += state.vulnerability;
    record += "|pg||";
    return record;
}

}  // namespace conversion
