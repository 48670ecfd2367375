#pragma once

#include "deal.h"
#include "pbn_source.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace conversion {

// Reads the boards of a PBN file as the PBN standard's import format has them: escape lines
// (% in the first column), ; and { } comments, tag pairs in any order and layout, games
// separated by empty lines, section data skipped, and # for a value repeated from the
// previous game. A board is a game with a Board tag; a second Board tag in one game starts
// the next game, and so, once the game holds its Deal, does a second Dealer, Vulnerable or
// Deal. Reads only as far as the game of the last board asked for.
class PbnReader {
public:
    // Throws Fault when the file cannot be opened.
    explicit PbnReader(const std::filesystem::path& path);

    // Reads up to the first Board tag; false when the source has none. The lines before the
    // line of that tag are the preamble; the first maxPreamble of them are kept.
    bool readPreamble(std::size_t maxPreamble);
    const std::vector<std::string>& preamble() const { return preamble_; }

    // The line of a { comment still open where the reading stopped, or 0.
    int openComment() const { return inComment_ ? commentLine_ : 0; }

    // What the preamble's comments passed over (see nextBoard).
    const std::vector<std::string>& preambleNotes() const { return preambleNotes_; }

    // The next board, read to the end of its game; none when the source holds no further
    // Board tag. Throws Fault for a Board, Dealer, Vulnerable or Deal tag that is not well
    // formed (any other line that starts with [ but holds no well-formed tag is passed over),
    // a board number that is not a whole number from -32768 to 32767, a board without a Deal
    // tag, or a deal that is not a letter, a colon and four hands. A { } comment that runs
    // over lines that start with a Board, Dealer, Vulnerable or Deal tag is noted on the board
    // in whose game it opens; a deal of more than four hands is noted too.
    std::optional<Board> nextBoard();

    // Whether another board follows the last one read: its Board tag, looked for in the next
    // game alone, with its number when that is a whole number; then how many boards follow,
    // counted from it until the source ends, the count passes most, or within bytes on. Never
    // throws for what it reads.
    struct Ahead {
        std::optional<std::int16_t> number;
        int boards = 1;        // counted so far, the next one among them
        bool counted = false;  // all of them: the source ended
    };
    std::optional<Ahead> boardAhead(std::uint64_t within, int most);

private:
    enum class Event { Tag, EndOfGame, EndOfSource };
    // The tags a board needs, in the order of the Used array below, then those kept for the
    // hand record's heading.
    enum Used { kBoard, kDealer, kVulnerable, kDeal, kUsed, kEvent = kUsed, kSite, kDate, kTags };
    struct Tag {
        std::string name, value;
        int line = 0;
    };

    Event next(Tag& tag);
    bool readTag(Tag& tag);
    void endLine();
    bool holds(const std::string& name) const;  // the game has that tag a board needs
    void take(Tag& tag);
    void endGame();
    Board fill();

    PbnSource source_;
    std::uint64_t readLimit_ = UINT64_MAX;  // of the source's bytes, while looking ahead
    bool limitReached_ = false;
    std::string line_;
    std::size_t pos_ = 0;
    bool inLine_ = false;
    bool inComment_ = false;          // inside { }, which may run over several lines
    int commentLine_ = 0;             // where it opened
    bool commentHidesTags_ = false;   // over a line that starts with a tag a board needs
    std::vector<std::string> notes_;  // of the game being read
    std::vector<std::string> preambleNotes_;
    bool boardSeen_ = false;
    std::size_t maxPreamble_ = 0;
    std::vector<std::string> preamble_;
    std::optional<Tag> pending_;                  // a Board tag that starts the next game
    std::array<std::optional<Tag>, kTags> game_;  // this game's tags, first copies
    std::array<std::string, kTags> previous_;     // values for #, from earlier games
};

}  // namespace conversion
