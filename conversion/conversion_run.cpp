#include "conversion_run.h"

#include "deal_check.h"
#include "display_text.h"
#include "fault.h"
#include "lin_record.h"
#include "os.h"
#include "output_file.h"
#include "pbn_reader.h"

#include <new>
#include <optional>

namespace conversion {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPreambleLines = 8;  // at most, in the header

// A header line holds one line whatever the text holds: its line ends are written escaped.
std::string oneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) line += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return line;
}

std::string joined(const std::vector<std::string>& phrases) {
    std::string text;
    for (const auto& phrase : phrases) text += (text.empty() ? "" : "; ") + phrase;
    return text + ".";
}

// One run from the opened source to the last output file; remembers where it is, so that a
// fault can be reported with its place.
class Run {
public:
    Run(const fs::path& source, const Clock& clock);

    RunResult execute();
    FaultPlace placeOf(const Fault* fault) const;  // fault: none for a fault of the machine
    std::string insideComment() const;  // ", inside the { comment ..." at the end, or empty

private:
    void checkOutputs();
    void readPreamble();
    void writeFile(int index);
    void convertBoard(OutputFile& file);

    const fs::path& source_;
    const Clock& clock_;
    const OutputPaths outputs_;
    // Comment lines at the top of every output file: the timestamp, the source, then one
    // for each preamble line.
    std::vector<std::string> header_;
    std::optional<PbnReader> reader_;
    RecordState record_;
    int board_ = 0;            // place in the run of the board being read, 0 between boards
    std::vector<Deal> deals_;  // of the boards written, for the checks
    std::vector<std::vector<std::string>> notes_;              // on each board written
    std::array<std::optional<fs::perms>, kOutputFiles> keep_;  // of earlier outputs
    int filesDone_ = 0;
};

Run::Run(const fs::path& source, const Clock& clock)
    : source_(source), clock_(clock), outputs_(outputPaths(source)) {}

RunResult Run::execute() {
    // Date and time come from one reading of the clock.
    const Timestamp stamp = clock_();
    header_.push_back("% Lin file created by Quillotan " + stamp.date + " at " + stamp.time);
    header_.push_back("% Source file " + oneLine(pathText(source_)));
    reader_.emplace(source_);
    checkOutputs();
    readPreamble();
    deals_.reserve(kBoardsPerRun);
    notes_.reserve(kBoardsPerRun);
    for (int index = 0; index < kOutputFiles; ++index) {
        writeFile(index);
        ++filesDone_;
    }
    // What the preamble's comments passed over leads the findings.
    RunResult result{outputs_, {}};
    for (const auto& note : reader_->preambleNotes()) {
        result.findings.push_back({0, std::nullopt, displayText(note + ".")});
    }
    reader_.reset();
    const auto checks = checkDeals(deals_);
    for (std::size_t at = 0; at < deals_.size(); ++at) {
        auto phrases = notes_[at];  // what was guessed or passed over, first
        phrases.insert(phrases.end(), checks[at].begin(), checks[at].end());
        if (phrases.empty()) continue;
        const int place = static_cast<int>(at) + 1;
        const std::int16_t number = deals_[at].number;
        result.findings.push_back({place, number != place ? std::optional(number) : std::nullopt,
                                   displayText(joined(phrases))});
    }
    return result;
}

// Nothing is written unless all four files can be, and no output may be the source itself.
void Run::checkOutputs() {
    for (int i = 0; i < kOutputFiles; ++i) {
        keep_[i] = checkReplaceable(outputs_[i]);
        // Its replacement would destroy the hand record, through a link or under another
        // name. (A link in an output's place is itself replaced, never its target.)
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(outputs_[i], error)) &&
            fs::equivalent(source_, outputs_[i], error)) {
            throw Fault("the source is one of its own output files");
        }
    }
}

// The lines before the first board, the first eight of them, go into the header.
void Run::readPreamble() {
    if (!reader_->readPreamble(kPreambleLines)) {
        throw Fault("the source holds no board: no [Board \"...\"] tag" + insideComment());
    }
    for (const auto& line : reader_->preamble()) header_.push_back("% " + oneLine(line));
}

void Run::writeFile(int index) {
    OutputFile file(outputs_[index], keep_[index]);
    if (afterTemporaryCreated) afterTemporaryCreated(index);
    for (const auto& line : header_) file.writeLine(line);
    if (index == kOutputFiles - 1) {
        file.writeLine(kFillerRecord);
        file.writeLine(kFillerRecord);
    }
    for (int i = 0; i < kBoardsPerFile; ++i) convertBoard(file);
    file.commit();
}

void Run::convertBoard(OutputFile& file) {
    board_ = static_cast<int>(deals_.size()) + 1;
    auto board = reader_->nextBoard();
    if (!board) {
        board_ = 0;
        throw Fault("the source ends after board " + std::to_string(deals_.size()) +
                    insideComment() + "; a hand-record file must hold " +
                    std::to_string(kBoardsPerRun) + " boards");
    }
    auto record = buildDealRecord(*board, record_);
    file.writeLine(record.line);
    Deal& deal = deals_.emplace_back(Deal{board->number, {}});
    for (int i = 0; i < 4; ++i) deal.hands[(record.firstSeat + i) % 4] = std::move(board->hands[i]);
    auto& notes = notes_.emplace_back(std::move(board->notes));
    notes.insert(notes.end(), record.notes.begin(), record.notes.end());
    board_ = 0;
}

std::string Run::insideComment() const {
    const int opened = reader_->openComment();
    return opened ? ", inside the { comment opened on line " + std::to_string(opened) +
                        ", which is never closed"
                  : "";
}

FaultPlace Run::placeOf(const Fault* fault) const {
    FaultPlace place;
    place.line = fault ? fault->line() : 0;
    place.board = board_;
    if (board_ > 0 && fault) place.boardNumber = fault->boardNumber();
    for (int i = 0; i < kOutputFiles; ++i) {
        (i < filesDone_ ? place.written : place.notWritten).push_back(outputs_[i]);
    }
    return place;
}

}  // namespace

OutputPaths outputPaths(const fs::path& source) {
    static constexpr std::array<const char*, kOutputFiles> kSuffixes = {"_1-6.lin", "_7-12.lin",
                                                                        "_13-18.lin", "_19-24.lin"};
    // As the system opens it: Windows drops the trailing dots and spaces of a name.
    fs::path base = os::openedName(source);
    base.replace_extension();
    OutputPaths paths;
    for (int i = 0; i < kOutputFiles; ++i) paths[i] = fs::path(base) += kSuffixes[i];
    return paths;
}

RunResult convert(const fs::path& source, const Clock& clock) {
    std::optional<Run> run;
    const auto placeOf = [&run](const Fault* fault) {
        return run ? run->placeOf(fault) : FaultPlace{};
    };
    try {
        run.emplace(source, clock);
        return run->execute();
    } catch (const Fault& fault) {
        throw describeFault(source, fault.detail(), placeOf(&fault));
    } catch (const std::bad_alloc&) {
        throw describeFault(source, "there was not enough memory", placeOf(nullptr));
    } catch (const std::exception& error) {
        // A refusal of the file system that no check above foresaw.
        throw describeFault(source, std::string("an unexpected error: ") + error.what(),
                            placeOf(nullptr));
    }
}

}  // namespace conversion
