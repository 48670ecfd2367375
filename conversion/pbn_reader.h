#pragma once

#include "pbn_source.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace conversion {

// The values of one board of the source.
struct BoardFields {
    int line = 0;                        // source line of the Board tag
    int dealerLine = 0;                  // of the Dealer tag, or of the Board tag without one
    int dealLine = 0;                    // of the Deal tag
    std::optional<std::int16_t> number;  // the board number, once it is read
    std::string dealer;                  // the first letter of the Dealer tag's value, or empty
    std::string vulnerability;           // the Vulnerable tag's value
    char firstSeat = 'N';                // the seat of the deal's first hand: N, E, S or W
    std::vector<std::string> hands;      // PBN hands in deal order
};

// Reads the boards of a PBN file as the PBN standard's import format has them: escape lines
// (% in the first column), ; and { } comments, tag pairs in any order and layout, games
// separated by empty lines, section data skipped, and # for a value repeated from the
// previous game. A board is a game with a Board tag; a second Board tag in one game starts
// the next game. Reads only as far as the game of the last board asked for.
class PbnReader {
public:
    // Throws Fault when the file cannot be opened.
    explicit PbnReader(const std::filesystem::path& path);

    // Reads up to the first Board tag; false when the source has none. The lines before the
    // line of that tag are the preamble; the first maxPreamble of them are kept.
    bool readPreamble(std::size_t maxPreamble);
    const std::vector<std::string>& preamble() const { return preamble_; }

    // The next board, read to the end of its game; false when the source holds no further
    // Board tag. Throws Fault for a tag that is not well formed, a board number that is not
    // a whole number from -32768 to 32767, a board without a Deal tag, or a deal that is not
    // a seat letter, a colon and four hands. Fills board as it goes, so that after a Fault it
    // holds what was read before it.
    bool nextBoard(BoardFields& board);

private:
    enum class Event { Tag, EndOfGame, EndOfSource };
    // The tags a board needs, in the order of the Used array below.
    enum Used { kBoard, kDealer, kVulnerable, kDeal, kUsed };
    struct Tag {
        std::string name, value;
        int line = 0;
    };

    Event next(Tag& tag);
    void readTag(Tag& tag);
    void endLine();
    void take(Tag& tag);
    void endGame();
    void fill(BoardFields& board) const;

    PbnSource source_;
    std::string line_;
    std::size_t pos_ = 0;
    bool inLine_ = false;
    bool inComment_ = false;  // inside { }, which may run over several lines
    bool boardSeen_ = false;
    std::size_t maxPreamble_ = 0;
    std::vector<std::string> preamble_;
    std::optional<Tag> pending_;                  // a Board tag that starts the next game
    std::array<std::optional<Tag>, kUsed> game_;  // this game's tags, first copies
    std::array<std::string, kUsed> previous_;     // values for #, from earlier games
};

}  // namespace conversion
