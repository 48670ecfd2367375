#include "pbn_reader.h"

#include "excerpt.h"
#include "fault.h"
#include "quillotan/display_text.h"

#include <charconv>
#include <string_view>

namespace conversion {

namespace {

// The tags a board needs, then those the hand record heads its pages with.
constexpr std::array<std::string_view, 7> kUsedNames = {"Board", "Dealer", "Vulnerable", "Deal",
                                                        "Event", "Site",   "Date"};
constexpr std::size_t kNeeded = 4;  // of those, the tags a board needs
constexpr std::string_view kBlank = " \t";

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// A whole number from -32768 to 32767, surrounding spaces allowed.
std::optional<std::int16_t> parseBoardNumber(std::string_view text) {
    const auto first = text.find_first_not_of(kBlank);
    if (first == text.npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(kBlank) - first + 1);
    const bool plus = text.front() == '+';
    if (plus) text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-')) return std::nullopt;
    std::int16_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

// The tag a board needs that the text names after [ and any spaces, or kNeeded for any other.
std::size_t usedTagAt(std::string_view text) {
    const auto name = text.find_first_not_of(kBlank);
    if (name == text.npos) return kNeeded;
    text.remove_prefix(name);
    std::size_t i = 0;
    while (i < kNeeded &&
           !(text.starts_with(kUsedNames[i]) &&
             (text.size() == kUsedNames[i].size() || !isNameChar(text[kUsedNames[i].size()])))) {
        ++i;
    }
    return i;
}

// The hands of a deal's value after its "N:", separated by spaces.
std::vector<std::string> splitHands(std::string_view hands) {
    std::vector<std::string> split;
    for (auto at = hands.find_first_not_of(kBlank); at != hands.npos;
         at = hands.find_first_not_of(kBlank, at)) {
        const auto end = std::min(hands.find_first_of(kBlank, at), hands.size());
        split.emplace_back(hands.substr(at, end - at));
        at = end;
    }
    return split;
}

}  // namespace

PbnReader::PbnReader(const std::filesystem::path& path) : source_(path) {}

bool PbnReader::readPreamble(std::size_t maxPreamble) {
    maxPreamble_ = maxPreamble;
    Tag tag;
    for (;;) {
        switch (next(tag)) {
            case Event::EndOfSource:
                return false;
            case Event::EndOfGame:
                endGame();
                break;
            case Event::Tag:
                if (tag.name == kUsedNames[kBoard]) {
                    pending_ = std::move(tag);
                    return true;
                }
                take(tag);
        }
    }
}

std::optional<Board> PbnReader::nextBoard() {
    if (pending_) {
        take(*pending_);
        pending_.reset();
    }
    Tag tag;
    for (;;) {
        const Event event = next(tag);
        // A second Board tag starts the next game; so, once the game holds its Board and its
        // Deal, does a second copy of any tag a board needs, as in files that run their games
        // together with no empty line between. (Before the Deal, a second copy is passed over.)
        const bool nextGame = event == Event::Tag && game_[kBoard] && holds(tag.name) &&
                              (tag.name == kUsedNames[kBoard] || game_[kDeal]);
        if (event == Event::Tag && !nextGame) {
            take(tag);
            continue;
        }
        if (game_[kBoard]) {
            if (nextGame) pending_ = std::move(tag);
            Board board = fill();
            endGame();
            return board;
        }
        endGame();
        if (event == Event::EndOfSource) return std::nullopt;
    }
}

std::optional<PbnReader::Ahead> PbnReader::boardAhead(std::uint64_t within, int most) {
    readLimit_ = source_.bytesRead() + within;
    std::optional<Ahead> ahead;
    if (pending_ && pending_->name == kUsedNames[kBoard]) {
        ahead = Ahead{parseBoardNumber(pending_->value)};
    }
    try {
        Tag tag;
        for (bool inGame = false;;) {
            const Event event = next(tag);
            const bool board = event == Event::Tag && tag.name == kUsedNames[kBoard];
            if (ahead) {
                if (event == Event::EndOfSource) {
                    ahead->counted = !limitReached_;
                    break;
                }
                if (board && ++ahead->boards > most) break;
                continue;
            }
            // The next game alone tells whether another board follows.
            if (event == Event::EndOfSource || (event == Event::EndOfGame && inGame)) break;
            if (board) ahead = Ahead{parseBoardNumber(tag.value)};
            inGame = inGame || event == Event::Tag;
        }
    } catch (const Fault&) {
        // a line that no board could start with: the count stops short
    }
    return ahead;
}

// The next tag, or the end of a game or of the source. Escape lines, comments and section
// data are passed over; a line of nothing but spaces ends a game unless it is in a comment.
PbnReader::Event PbnReader::next(Tag& tag) {
    for (;;) {
        if (!inLine_) {
            limitReached_ = source_.bytesRead() >= readLimit_;
            if (limitReached_ || !source_.readLine(line_)) return Event::EndOfSource;
            inLine_ = true;
            pos_ = 0;
            if (!inComment_ && line_.starts_with('%')) {
                endLine();
                continue;
            }
            if (!inComment_ && line_.find_first_not_of(kBlank) == line_.npos) {
                endLine();
                return Event::EndOfGame;
            }
        }
        if (inComment_) {
            if (pos_ == 0) {  // a new line, inside the comment
                const auto first = line_.find_first_not_of(kBlank);
                commentHidesTags_ = commentHidesTags_ ||
                                    (first != line_.npos && line_[first] == '[' &&
                                     usedTagAt(std::string_view(line_).substr(first + 1)) < kUsed);
            }
            pos_ = line_.find('}', pos_);
            if (pos_ == line_.npos) {
                endLine();
                continue;
            }
            inComment_ = false;
            ++pos_;
            if (commentHidesTags_) {
                (boardSeen_ ? notes_ : preambleNotes_)
                    .push_back("a comment opened with { on line " + std::to_string(commentLine_) +
                               " runs to line " + std::to_string(source_.lineNumber()) +
                               ": the tags between were passed over as comment");
            }
        }
        pos_ = line_.find_first_not_of(kBlank, pos_);
        if (pos_ == line_.npos || line_[pos_] == ';') {
            endLine();
        } else if (line_[pos_] == '{') {
            inComment_ = true;
            commentLine_ = source_.lineNumber();
            commentHidesTags_ = false;
            ++pos_;
        } else if (line_[pos_] == '[') {
            if (readTag(tag)) return Event::Tag;
            endLine();  // not a tag a board needs: the line is passed over
        } else {        // section data: calls, cards, table rows
            pos_ = line_.find_first_of("[{;", pos_);
            if (pos_ == line_.npos) endLine();
        }
    }
}

// [Name "value"], spaces allowed around the name and the value; \" and \\ in the value
// stand for " and \. False for a line that holds no well-formed tag here, unless it names a
// tag that a board needs: then it throws, so that a typo never loses a board or its deal.
bool PbnReader::readTag(Tag& tag) {
    const auto skipBlanks = [this] {
        pos_ = std::min(line_.find_first_not_of(kBlank, pos_), line_.size());
    };
    const auto malformed = [this, start = pos_] {
        if (usedTagAt(std::string_view(line_).substr(start + 1)) == kUsed) return false;
        throw Fault(expectedFound("a tag like [Board \"7\"]", line_), source_.lineNumber());
    };
    tag.line = source_.lineNumber();
    ++pos_;
    skipBlanks();
    const auto name = pos_;
    while (pos_ < line_.size() && isNameChar(line_[pos_])) ++pos_;
    if (pos_ == name) return malformed();
    tag.name.assign(line_, name, pos_ - name);
    skipBlanks();
    if (pos_ == line_.size() || line_[pos_] != '"') return malformed();
    tag.value.clear();
    for (++pos_;; ++pos_) {
        if (pos_ >= line_.size()) return malformed();
        char c = line_[pos_];
        if (c == '"') break;
        if (c == '\\' && pos_ + 1 < line_.size() &&
            (line_[pos_ + 1] == '"' || line_[pos_ + 1] == '\\')) {
            c = line_[++pos_];
        }
        tag.value += c;
    }
    ++pos_;
    skipBlanks();
    if (pos_ == line_.size() || line_[pos_] != ']') return malformed();
    ++pos_;
    if (tag.name == kUsedNames[kBoard]) boardSeen_ = true;
    return true;
}

// The lines before the line of the first Board tag are the preamble.
void PbnReader::endLine() {
    if (!boardSeen_ && preamble_.size() < maxPreamble_) preamble_.push_back(line_);
    inLine_ = false;
}

// Keeps the first copy of each tag a board needs; # stands for the previous game's value.
bool PbnReader::holds(const std::string& name) const {
    for (std::size_t i = 0; i < kUsed; ++i) {
        if (name == kUsedNames[i]) return game_[i].has_value();
    }
    return false;
}

void PbnReader::take(Tag& tag) {
    for (std::size_t i = 0; i < kTags; ++i) {
        if (tag.name != kUsedNames[i] || game_[i]) continue;
        if (tag.value == "#") tag.value = previous_[i];
        game_[i] = std::move(tag);
        return;
    }
}

void PbnReader::endGame() {
    for (std::size_t i = 0; i < kTags; ++i) {
        if (game_[i]) previous_[i] = game_[i]->value;
        game_[i].reset();
    }
}

Board PbnReader::fill() {
    const Tag& number = *game_[kBoard];
    Board board;
    board.line = board.dealerLine = number.line;
    const auto parsed = parseBoardNumber(number.value);
    if (!parsed) {
        throw Fault("the board number \"" + excerpt(number.value) +
                        "\" is not a whole number from -32768 to 32767",
                    number.line);
    }
    board.number = *parsed;
    if (const auto& dealer = game_[kDealer]) {
        board.dealer = dealer->value;
        board.dealerLine = dealer->line;
    }
    if (game_[kVulnerable]) board.vulnerability = game_[kVulnerable]->value;
    for (std::size_t i = kEvent; i < kTags; ++i) {
        if (game_[i]) board.heading[i - kEvent] = game_[i]->value;
    }
    board.notes = std::move(notes_);
    notes_.clear();
    if (!game_[kDeal]) {
        throw Fault("board " + std::to_string(board.number) + " has no Deal tag", number.line,
                    board.number);
    }
    const Tag& deal = *game_[kDeal];
    board.dealLine = deal.line;
    if (deal.value.size() < 2 || deal.value[1] != ':') {
        throw Fault("expected a deal like \"N:AKQ2.JT9.876.543 ...\", found \"" +
                        excerpt(deal.value) + "\"",
                    deal.line, board.number);
    }
    board.dealLetter = deal.value[0];
    board.hands = splitHands(std::string_view(deal.value).substr(2));
    if (board.hands.size() < 4) {
        throw Fault("the deal holds " + std::to_string(board.hands.size()) +
                        " hands; a deal needs four, separated by spaces",
                    deal.line, board.number);
    }
    if (board.hands.size() > 4) {
        board.notes.push_back("the deal holds " + std::to_string(board.hands.size()) +
                              " hands: those after the fourth were left out");
        board.hands.resize(4);
    }
    return board;
}

}  // namespace conversion
