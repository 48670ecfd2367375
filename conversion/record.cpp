#include "deal.h"
#include "os.h"
#include "quillotan/hand_record.h"
#include "utf8.h"

#include <algorithm>
#include <hpdf.h>
#include <stdexcept>

namespace conversion {

namespace {

// The record's words, in one place.
struct Words {
    std::string_view board = "Board", dealer = "Dealer", vulnerable = "Vul.", none = "None",
                     all = "All", noTrumps = "NT", par = "Par", first = "first",
                     unsound = "No analysis: the deal is not 52 different cards, 13 in a hand.";
    std::array<std::string_view, 4> seats = {"N", "E", "S", "W"};
};
constexpr Words kWords;

constexpr std::string_view kSuits[4] = {"\u2660", "\u2665", "\u2666", "\u2663"};  // ♠ ♥ ♦ ♣

std::string strainText(int strain) {
    return std::string(strain == kNoTrumps ? kWords.noTrumps : kSuits[strain]);
}

// Within a line of the PDF, a suit's symbol is one of these bytes, spades first.
constexpr char kSuitMark = '\x01';
bool isSuitMark(char c) { return c >= kSuitMark && c < kSuitMark + 4; }

std::string sideText(int seats) {
    return seats < 4 ? std::string(kWords.seats[seats])
                     : std::string(kWords.seats[seats - 4]) + std::string(kWords.seats[seats - 2]);
}

std::string vulnerabilityText(char vulnerable) {
    return vulnerable == 'N'   ? sideText(4)
           : vulnerable == 'E' ? sideText(5)
           : vulnerable == 'B' ? std::string(kWords.all)
                               : std::string(kWords.none);
}

// "NS 620", "EW 110", or "0" for a board passed out.
std::string scoreText(int score) {
    return score == 0 ? "0" : sideText(score > 0 ? 4 : 5) + " " + std::to_string(std::abs(score));
}

// "4♠x EW -1", "3NT N +1".
std::string contractText(const ParContract& c) {
    std::string text = std::to_string(c.level) + strainText(c.strain) + (c.underTricks ? "x" : "");
    text += " " + sideText(c.seats);
    if (c.underTricks) text += " -" + std::to_string(c.underTricks);
    if (c.overTricks) text += " +" + std::to_string(c.overTricks);
    return text;
}

std::vector<std::string> parLines(const Analysis& analysis, int dealer) {
    const auto line = [](const Par& par, const std::string& who) {
        std::string text = std::string(kWords.par) + who + ": " + scoreText(par.score);
        for (const auto& contract : par.contracts) text += ", " + contractText(contract);
        return text;
    };
    if (analysis.par[0] == analysis.par[1]) return {line(analysis.par[0], "")};
    std::vector<std::string> lines;
    for (const int side : {dealer % 2, 1 - dealer % 2}) {
        lines.push_back(line(analysis.par[side],
                             " (" + sideText(4 + side) + " " + std::string(kWords.first) + ")"));
    }
    return lines;
}

int highCardPoints(const std::string& hand) {
    int points = 0;
    for (const char c : hand) {
        const auto rank = kRanks.find(rankLetter(c));
        if (rank < 4) points += 4 - static_cast<int>(rank);
    }
    return points;
}

// A hand's four lines: the suit's symbol and its cards, ten as "10", a void as a dash.
std::array<std::string, 4> handLines(const std::string& hand) {
    std::array<std::string, 4> lines;
    std::size_t suit = 0;
    for (const char c : hand) {
        if (c == '.') {
            if (++suit == 4) break;
        } else {
            lines[suit] += rankLetter(c) == 'T' ? std::string("10") : std::string(1, rankLetter(c));
        }
    }
    for (int i = 0; i < 4; ++i) {
        lines[i] = std::string(kSuits[i]) + " " + (lines[i].empty() ? "-" : lines[i]);
    }
    return lines;
}

// Text in the PDF's fonts' encoding (Windows-1252), the suits' symbols as their marks: what it
// lacks becomes "?", and a byte that is no UTF-8 is taken as Latin-1.
std::string winAnsi(std::string_view text) {
    static constexpr char32_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    while (!text.empty()) {
        const auto length = std::max<std::size_t>(utf8Length(text), 1);
        const char32_t code =
            utf8Length(text) ? decodeUtf8(text, length) : static_cast<unsigned char>(text.front());
        text.remove_prefix(length);
        const auto suit = std::find(std::begin(kSuits), std::end(kSuits),
                                    std::string_view(text.data() - length, length));
        if (suit != std::end(kSuits)) {
            out += static_cast<char>(kSuitMark + (suit - kSuits));
        } else if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            out += code < 0x20 ? '?' : static_cast<char>(code);
        } else {
            const auto at = std::find(std::begin(kHigh), std::end(kHigh), code);
            out +=
                at == std::end(kHigh) || code == 0 ? '?' : static_cast<char>(0x80 + (at - kHigh));
        }
    }
    return out;
}

// A page of the PDF as the record draws on it, in points from the bottom left.
class Pdf {
public:
    explicit Pdf(Paper paper);
    ~Pdf() { HPDF_Free(doc_); }
    Pdf(const Pdf&) = delete;
    Pdf& operator=(const Pdf&) = delete;

    void newPage();
    float width() const { return width_; }
    float height() const { return height_; }
    // Writes a line of the record's text with its suits' symbols, from x (or centred on x, or
    // ending at x) on the baseline y.
    enum class Align { Left, Centre, Right };
    void text(float x, float y, std::string_view line, float size, bool bold = false,
              Align align = Align::Left);
    void rule(float x0, float y0, float x1, float y1, float grey);
    // Draws what follows scaled by scale from the point x, y, until restore().
    void place(float x, float y, float scale);
    void restore() { HPDF_Page_GRestore(page_); }
    std::string bytes();

private:
    static void onError(HPDF_STATUS error, HPDF_STATUS detail, void* self);

    HPDF_Doc doc_;
    HPDF_Page page_ = nullptr;
    HPDF_Font regular_ = nullptr, bold_ = nullptr, symbol_ = nullptr;
    float width_, height_;
    HPDF_STATUS error_ = HPDF_OK, detail_ = 0;
};

Pdf::Pdf(Paper paper)
    : doc_(HPDF_New(&Pdf::onError, this)),
      width_(paper == Paper::A4 ? 595.276f : 612),
      height_(paper == Paper::A4 ? 841.89f : 792) {
    if (!doc_) throw std::bad_alloc();
    HPDF_SetCompressionMode(doc_, HPDF_COMP_ALL);
    // The library's own name would differ between its builds (Debian's says "2.3.0", its
    // upstream tarball "2.3.0RC2"): the same bytes everywhere need one of the record's own.
    HPDF_SetInfoAttr(doc_, HPDF_INFO_CREATOR, "Quillotan");
    HPDF_SetInfoAttr(doc_, HPDF_INFO_PRODUCER, "Quillotan");
    regular_ = HPDF_GetFont(doc_, "Helvetica", "WinAnsiEncoding");
    bold_ = HPDF_GetFont(doc_, "Helvetica-Bold", "WinAnsiEncoding");
    symbol_ = HPDF_GetFont(doc_, "Symbol", nullptr);
}

void Pdf::onError(HPDF_STATUS error, HPDF_STATUS detail, void* self) {
    auto& pdf = *static_cast<Pdf*>(self);
    if (pdf.error_ == HPDF_OK) pdf.error_ = error, pdf.detail_ = detail;
}

void Pdf::newPage() {
    page_ = HPDF_AddPage(doc_);
    HPDF_Page_SetWidth(page_, width_);
    HPDF_Page_SetHeight(page_, height_);
}

// A line's pieces, each in one font: every suit's symbol alone in the Symbol font, the text
// between them in Helvetica.
struct Piece {
    bool symbol;
    std::string text;
};

std::vector<Piece> pieces(std::string_view line) {
    std::vector<Piece> found;
    for (std::size_t at = 0; at < line.size();) {
        if (isSuitMark(line[at])) {
            found.push_back({true, std::string(1, "\xAA\xA9\xA8\xA7"[line[at++] - kSuitMark])});
            continue;
        }
        const auto end =
            std::find_if(line.begin() + static_cast<std::ptrdiff_t>(at), line.end(), isSuitMark) -
            line.begin();
        found.push_back({false, std::string(line.substr(at, static_cast<std::size_t>(end) - at))});
        at = static_cast<std::size_t>(end);
    }
    return found;
}

void Pdf::text(float x, float y, std::string_view utf8, float size, bool bold, Align align) {
    const auto parts = pieces(winAnsi(utf8));
    const auto font = [&](const Piece& piece) {
        HPDF_Page_SetFontAndSize(page_, piece.symbol ? symbol_ : bold ? bold_ : regular_, size);
    };
    float width = 0;
    for (const auto& piece : parts) {
        font(piece);
        width += HPDF_Page_TextWidth(page_, piece.text.c_str());
    }
    if (align != Align::Left) x -= align == Align::Centre ? width / 2 : width;
    HPDF_Page_BeginText(page_);
    HPDF_Page_MoveTextPos(page_, x, y);
    for (const auto& piece : parts) {
        // Hearts and diamonds red.
        const bool red = piece.symbol && (piece.text == "\xA9" || piece.text == "\xA8");
        font(piece);
        if (red) HPDF_Page_SetRGBFill(page_, 0.8f, 0, 0);
        HPDF_Page_ShowText(page_, piece.text.c_str());
        if (red) HPDF_Page_SetRGBFill(page_, 0, 0, 0);
    }
    HPDF_Page_EndText(page_);
}

void Pdf::rule(float x0, float y0, float x1, float y1, float grey) {
    HPDF_Page_SetGrayStroke(page_, grey);
    HPDF_Page_SetLineWidth(page_, 0.5f);
    HPDF_Page_MoveTo(page_, x0, y0);
    HPDF_Page_LineTo(page_, x1, y1);
    HPDF_Page_Stroke(page_);
}

void Pdf::place(float x, float y, float scale) {
    HPDF_Page_GSave(page_);
    HPDF_Page_Concat(page_, scale, 0, 0, scale, x, y);
}

std::string Pdf::bytes() {
    HPDF_SaveToStream(doc_);
    std::string bytes(HPDF_GetStreamSize(doc_), '\0');
    HPDF_UINT32 size = static_cast<HPDF_UINT32>(bytes.size());
    HPDF_ReadFromStream(doc_, reinterpret_cast<HPDF_BYTE*>(bytes.data()), &size);
    bytes.resize(size);
    if (error_ != HPDF_OK) {
        throw std::runtime_error("the hand record could not be laid out (PDF error " +
                                 std::to_string(error_) + ", " + std::to_string(detail_) + ")");
    }
    return bytes;
}

// A board's block, in its own units from its bottom left: three columns of hands, then the
// double-dummy table and par.
constexpr float kBlockWidth = 252, kBlockHeight = 250, kColumn = 84, kRow = 56, kLine = 11;

void drawBoard(Pdf& pdf, const BoardView& board, const TableView& table) {
    const auto top = [](float fromTop) { return kBlockHeight - fromTop; };
    pdf.text(4, top(12), board.title, 12, true);
    pdf.text(4, top(27), board.dealer, 9);
    pdf.text(4, top(39), board.vulnerable, 9);
    // North at the top, West and East either side, South below.
    constexpr float kPlaces[4][2] = {{1, 0}, {2, 1}, {1, 2}, {0, 1}};
    for (int seat = 0; seat < 4; ++seat) {
        for (int i = 0; i < 4; ++i) {
            pdf.text(kPlaces[seat][0] * kColumn + 8, top(kPlaces[seat][1] * kRow + 10 + i * kLine),
                     board.hands[seat][i], 10);
        }
    }
    // The high-card points, each on its seat's side of a square in the middle.
    const float cx = kColumn * 1.5f, cy = top(kRow * 1.5f), half = 20;
    pdf.rule(cx - half, cy - half, cx + half, cy - half, 0.6f);
    pdf.rule(cx + half, cy - half, cx + half, cy + half, 0.6f);
    pdf.rule(cx + half, cy + half, cx - half, cy + half, 0.6f);
    pdf.rule(cx - half, cy + half, cx - half, cy - half, 0.6f);
    const auto points = [&board](int seat) { return std::to_string(board.points[seat]); };
    pdf.text(cx, cy + half - 9, points(0), 8, false, Pdf::Align::Centre);
    pdf.text(cx + half - 3, cy - 3, points(1), 8, false, Pdf::Align::Right);
    pdf.text(cx, cy - half + 3, points(2), 8, false, Pdf::Align::Centre);
    pdf.text(cx - half + 3, cy - 3, points(3), 8, false, Pdf::Align::Left);
    // The table, then par below it; without an analysis, the line that says why.
    constexpr float kCell = 20, kTableLine = 10.5f;
    const float head = top(kRow * 3 + 12);
    if (table.par.size() == 1 && table.strains[0].empty()) {
        pdf.text(4, head, table.par[0], 8);
        return;
    }
    for (int column = 0; column < kStrains; ++column) {
        pdf.text(28 + kCell * column, head, table.strains[column], 9, true, Pdf::Align::Centre);
    }
    for (int row = 0; row < 4; ++row) {
        const float y = head - static_cast<float>(row + 1) * kTableLine;
        pdf.text(4, y, table.declarers[row], 9, true);
        for (int column = 0; column < kStrains; ++column) {
            pdf.text(28 + kCell * column, y, std::to_string(table.tricks[row][column]), 9, false,
                     Pdf::Align::Centre);
        }
    }
    for (std::size_t i = 0; i < table.par.size(); ++i) {
        pdf.text(4, head - 5 * kTableLine - 4 - static_cast<float>(i) * kLine, table.par[i], 9);
    }
}

// The page's heading: the club, then the event, site and date the source gives.
std::vector<std::string> heading(const RecordSettings& settings, const RecordBoard& first) {
    std::vector<std::string> parts;
    for (const auto& part : first.heading) {
        if (part.find_first_not_of("?.# ") != std::string::npos) parts.push_back(part);
    }
    std::string title = settings.club;
    if (title.empty() && !parts.empty()) {
        title = parts.front();
        parts.erase(parts.begin());
    }
    std::string rest;
    for (const auto& part : parts) rest += (rest.empty() ? "" : "  \u00B7  ") + part;
    return {title, rest};
}

std::string recordPdf(const std::vector<RecordBoard>& boards,
                      const std::vector<std::optional<Analysis>>& analyses,
                      const RecordSettings& settings, const Timestamp& stamp) {
    Pdf pdf(settings.paper);
    const int perPage = *std::find_if(kBoardsPerPage.begin(), kBoardsPerPage.end() - 1,
                                      [&](int n) { return n <= settings.boardsPerPage; });
    const int columns = perPage == 4 ? 2 : 1, rows = perPage == 1 ? 1 : 2;
    constexpr float kMargin = 36, kHeading = 40, kFoot = 16;
    const float cellWidth = (pdf.width() - 2 * kMargin) / static_cast<float>(columns);
    const float cellHeight =
        (pdf.height() - 2 * kMargin - kHeading - kFoot) / static_cast<float>(rows);
    const float scale = std::min(cellWidth / kBlockWidth, cellHeight / kBlockHeight);
    const auto head =
        boards.empty() ? std::vector<std::string>{"", ""} : heading(settings, boards.front());
    for (std::size_t at = 0; at < boards.size(); ++at) {
        const int place = static_cast<int>(at) % perPage;
        if (place == 0) {
            pdf.newPage();
            const float top = pdf.height() - kMargin;
            pdf.text(kMargin, top - 14, head[0], 14, true);
            pdf.text(kMargin, top - 30, head[1], 10);
            pdf.rule(kMargin, top - kHeading + 4, pdf.width() - kMargin, top - kHeading + 4, 0.5f);
            pdf.text(pdf.width() - kMargin, kMargin, "Quillotan, " + stamp.date, 7, false,
                     Pdf::Align::Right);
        }
        const int column = place % columns, row = place / columns;
        const float left = kMargin + cellWidth * static_cast<float>(column);
        const float bottom =
            pdf.height() - kMargin - kHeading - cellHeight * static_cast<float>(row + 1);
        if (row > 0 && column == 0)
            pdf.rule(kMargin, bottom + cellHeight, pdf.width() - kMargin, bottom + cellHeight,
                     0.8f);
        pdf.place(left + (cellWidth - kBlockWidth * scale) / 2,
                  bottom + (cellHeight - kBlockHeight * scale) / 2, scale);
        drawBoard(pdf, boardView(boards[at]), tableView(analyses[at], boards[at].dealer));
        pdf.restore();
    }
    return pdf.bytes();
}

std::string recordPbn(const std::vector<RecordBoard>& boards,
                      const std::vector<std::optional<Analysis>>& analyses) {
    static constexpr std::string_view kNames[3] = {"Event", "Site", "Date"};
    static constexpr std::string_view kStrainLetters[kStrains] = {"S", "H", "D", "C", "NT"};
    const auto tag = [](std::string_view name, const std::string& value) {
        std::string escaped;
        for (const char c : value)
            escaped += c == '"' || c == '\\' ? std::string{'\\', c} : std::string(1, c);
        return "[" + std::string(name) + " \"" + escaped + "\"]\r\n";
    };
    std::string text =
        "% PBN 2.1\r\n% EXPORT\r\n%Content-type: text/x-pbn; charset=UTF-8\r\n"
        "%Creator: Quillotan\r\n";
    for (std::size_t at = 0; at < boards.size(); ++at) {
        const auto& board = boards[at];
        if (at > 0) text += "\r\n";
        for (int i = 0; i < 3; ++i) text += tag(kNames[i], board.heading[i]);
        text += tag("Board", std::to_string(board.number));
        text += tag("Dealer", std::string(1, kSeatLetters[board.dealer]));
        const char v = board.vulnerable;
        text += tag("Vulnerable", v == 'N' ? "NS" : v == 'E' ? "EW" : v == 'B' ? "All" : "None");
        std::string deal = "N:";
        for (const auto& hand : board.hands) deal += hand + " ";
        deal.pop_back();
        text += tag("Deal", deal);
        if (!analyses[at]) continue;
        const auto& analysis = *analyses[at];
        text += "[OptimumResultTable \"Declarer;Denomination\\2R;Result\\2R\"]\r\n";
        for (const int seat : {0, 2, 1, 3}) {
            for (const int strain : {4, 0, 1, 2, 3}) {
                text += std::string(1, kSeatLetters[seat]) + " " +
                        std::string(kStrainLetters[strain]) + " " +
                        std::to_string(analysis.tricks[strain][seat]) + "\r\n";
            }
        }
        // Par as the dealer's side bidding first finds it, the score for north-south.
        const Par& par = analysis.par[board.dealer % 2];
        text += tag("OptimumScore", "NS " + std::to_string(par.score));
        std::string contracts;
        for (const auto& c : par.contracts) {
            const char* sides[6] = {"N", "E", "S", "W", "NS", "EW"};
            contracts += (contracts.empty() ? "" : ", ") + std::string(sides[c.seats]) + " " +
                         std::to_string(c.level) + std::string(kStrainLetters[c.strain]) +
                         (c.underTricks ? "X" : "");
        }
        text += tag("ParContract", contracts.empty() ? "Pass" : contracts);
    }
    return text;
}

}  // namespace

BoardView boardView(const RecordBoard& board) {
    BoardView view{std::string(kWords.board) + " " + std::to_string(board.number),
                   std::string(kWords.dealer) + " " + std::string(kWords.seats[board.dealer]),
                   std::string(kWords.vulnerable) + " " + vulnerabilityText(board.vulnerable),
                   {},
                   {},
                   {}};
    for (int seat = 0; seat < 4; ++seat) {
        view.seats[seat] = kSeatNames[seat];
        view.hands[seat] = handLines(board.hands[seat]);
        view.points[seat] = highCardPoints(board.hands[seat]);
    }
    return view;
}

TableView tableView(const std::optional<Analysis>& analysis, int dealer) {
    TableView view;
    if (!analysis) {
        view.par = {std::string(kWords.unsound)};
        return view;
    }
    constexpr int kDeclarers[4] = {0, 2, 1, 3};
    for (int column = 0; column < kStrains; ++column) {
        const int strain = (column + kNoTrumps) % kStrains;
        view.strains[column] = strainText(strain);
        for (int row = 0; row < 4; ++row) {
            view.tricks[row][column] = analysis->tricks[strain][kDeclarers[row]];
        }
    }
    for (int row = 0; row < 4; ++row) view.declarers[row] = kWords.seats[kDeclarers[row]];
    view.par = parLines(*analysis, dealer);
    return view;
}

RecordFiles recordFiles(const std::vector<RecordBoard>& boards,
                        const std::vector<std::optional<Analysis>>& analyses,
                        const RecordSettings& settings, const Timestamp& stamp) {
    return {recordPdf(boards, analyses, settings, stamp), recordPbn(boards, analyses)};
}

Paper paperFor(std::string_view locale) {
    // The country follows the language: "en_US", "es-MX".
    static constexpr std::string_view kLetterCountries[] = {"US", "CA", "MX", "PH", "CL", "CO",
                                                            "VE", "GT", "PR", "CR", "SV", "DO"};
    const auto at = locale.find_first_of("_-");
    if (at == locale.npos) return Paper::A4;
    const auto country = locale.substr(at + 1, 2);
    return std::find(std::begin(kLetterCountries), std::end(kLetterCountries), country) ==
                   std::end(kLetterCountries)
               ? Paper::A4
               : Paper::Letter;
}

std::array<std::filesystem::path, 2> recordPaths(const std::filesystem::path& source) {
    std::filesystem::path base = os::openedName(source);
    base.replace_extension();
    return {std::filesystem::path(base) += "_hands.pdf",
            std::filesystem::path(base) += "_hands.pbn"};
}

}  // namespace conversion
