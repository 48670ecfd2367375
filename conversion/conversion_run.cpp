#include "quillotan/conversion_run.h"

#include "deal_check.h"
#include "double_dummy.h"
#include "fault.h"
#include "lin_record.h"
#include "os.h"
#include "output_file.h"
#include "pbn_reader.h"
#include "quillotan/display_text.h"
#include "run_hook.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <deque>
#include <new>
#include <optional>

namespace conversion {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPreambleLines = 8;         // at most, in the header
constexpr std::uint64_t kLookAhead = 256 * 1024;  // bytes read past the set, counting boards

// A header line holds one line whatever the text holds: its line ends are written escaped.
std::string oneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) line += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return line;
}

// The places of a set's file name after its base: "7-12" or "7"; none for any other text.
std::optional<std::pair<int, int>> placesOf(std::string_view text) {
    int places[2] = {0, 0};
    for (int& place : places) {
        if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), place);
        if (error != std::errc()) return std::nullopt;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (text.empty()) return std::pair(places[0], &place == places ? places[0] : place);
        if (&place != places || text.front() != '-') return std::nullopt;
        text.remove_prefix(1);
    }
    return std::nullopt;
}

std::string joined(const std::vector<std::string>& phrases) {
    std::string text;
    for (const auto& phrase : phrases) text += (text.empty() ? "" : "; ") + phrase;
    return text + ".";
}

// "The four LIN files were written", "The LIN file is ready to save below".
std::string filesLead(std::size_t files, FilesAre state) {
    static constexpr std::array<std::string_view, 10> kWords = {
        "", "", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
    const bool one = files == 1;
    const std::string count = one          ? ""
                              : files < 10 ? std::string(kWords[files]) + " "
                                           : std::to_string(files) + " ";
    const std::string what = "The " + count + (one ? "LIN file " : "LIN files ");
    if (state == FilesAre::Offered) return what + (one ? "is" : "are") + " ready to save below";
    return what + (one ? "was" : "were") + " written";
}

// One run from the opened source to the last output file; remembers where it is, so that a
// fault can be reported with its place.
class Run {
public:
    Run(const fs::path& source, const Clock& clock, const SetShape& shape,
        const std::optional<RecordSettings>& record,
        const AfterTemporaryCreated& afterTemporaryCreated);

    RunResult execute();
    FaultPlace placeOf(const Fault* fault) const;  // fault: none for a fault of the machine
    std::string insideComment() const;  // ", inside the { comment ..." at the end, or empty

private:
    void checkOutputs();
    void readPreamble();
    void writeFile(int index);
    void writeRecord(const Timestamp& stamp);
    void convertBoard(OutputFile& file);
    std::vector<Finding> findings();
    std::string boardsLeftOver();
    std::vector<fs::path> otherSets() const;
    std::vector<fs::path> earlierFiles() const;

    const fs::path& source_;
    const Clock& clock_;
    const SetShape shape_;
    const std::optional<RecordSettings>& recordSettings_;
    const AfterTemporaryCreated& afterTemporaryCreated_;
    const std::vector<fs::path> outputs_;
    std::vector<fs::path> targets_;  // the LIN files', then the hand record's
    // Comment lines at the top of every output file: the timestamp, the source, then one
    // for each preamble line.
    std::vector<std::string> header_;
    std::optional<PbnReader> reader_;
    RecordState record_;
    int board_ = 0;                    // place in the set of the board being read, 0 between boards
    std::vector<RecordBoard> boards_;  // written, for the checks and the record
    std::vector<std::vector<std::string>> notes_;  // on each board written
    std::vector<std::optional<fs::perms>> keep_;   // of earlier outputs
    std::deque<OutputFile> files_;                 // written, until all are put in place
};

Run::Run(const fs::path& source, const Clock& clock, const SetShape& shape,
         const std::optional<RecordSettings>& record,
         const AfterTemporaryCreated& afterTemporaryCreated)
    : source_(source),
      clock_(clock),
      shape_(shape),
      recordSettings_(record),
      afterTemporaryCreated_(afterTemporaryCreated),
      outputs_(outputPaths(source, shape)),
      targets_(outputs_) {
    if (record) {
        for (const auto& path : recordPaths(source)) targets_.push_back(path);
    }
}

RunResult Run::execute() {
    // Date and time come from one reading of the clock.
    const Timestamp stamp = clock_();
    header_.push_back("% Lin file created by Quillotan " + stamp.date + " at " + stamp.time);
    header_.push_back("% Source file " + oneLine(pathText(source_)));
    reader_.emplace(source_);
    checkOutputs();
    readPreamble();
    boards_.reserve(static_cast<std::size_t>(shape_.boards));
    notes_.reserve(static_cast<std::size_t>(shape_.boards));
    for (int index = 0; index < shape_.files(); ++index) writeFile(index);
    if (recordSettings_) writeRecord(stamp);
    RunResult result{outputs_, {}, findings(), {}, {}, boards_};
    result.record.assign(targets_.begin() + static_cast<std::ptrdiff_t>(outputs_.size()),
                         targets_.end());
    if (auto left = boardsLeftOver(); !left.empty()) result.notes.push_back(std::move(left));
    reader_.reset();
    placeAll(files_);
    result.others = otherSets();
    if (!result.others.empty()) {
        result.notes.push_back(someFiles(result.others) + " beside the source " +
                               (result.others.size() == 1 ? "is" : "are") + " not of this set of " +
                               std::to_string(shape_.boards) + " boards " +
                               perFileWords(shape_.perFile) + ".");
    }
    return result;
}

// What the preamble's comments passed over, then each board's notes and checks, and a board
// that bears the fillers' number among fillers.
std::vector<Finding> Run::findings() {
    std::vector<Finding> found;
    for (const auto& note : reader_->preambleNotes()) {
        found.push_back({0, std::nullopt, displayText(note + ".")});
    }
    std::vector<Deal> deals;
    for (const auto& board : boards_) deals.push_back({board.number, board.hands});
    const auto checks = checkDeals(deals);
    for (std::size_t at = 0; at < deals.size(); ++at) {
        auto phrases = notes_[at];  // what was guessed or passed over, first
        phrases.insert(phrases.end(), checks[at].begin(), checks[at].end());
        if (shape_.fillers > 0 && deals[at].number == kFillerNumber) {
            phrases.push_back("it shares its number, " + std::to_string(kFillerNumber) +
                              ", with the filler boards");
        }
        if (phrases.empty()) continue;
        found.push_back({static_cast<int>(at) + 1, deals[at].number, displayText(joined(phrases))});
    }
    return found;
}

// Whether the source holds more boards than the set, and how to convert them.
std::string Run::boardsLeftOver() {
    const int set = shape_.boards;
    const auto next = reader_->boardAhead(kLookAhead, kMaxBoards - set);
    if (!next) return {};
    const int held = set + next->boards;
    const std::string all = std::to_string(set);
    std::string text =
        held > kMaxBoards ? "The source holds more than " + std::to_string(kMaxBoards) + " boards"
        : next->counted   ? "The source holds " + std::to_string(held) + " boards"
                          : "The source holds at least " + std::to_string(held) + " boards";
    text +=
        set == 1 ? "; only the first was converted" : "; only the first " + all + " were converted";
    const auto after = boardName(set + 1, next->number);
    if (after != boardName(set + 1, std::nullopt)) text += ", and " + after + " is next";
    text += ". ";
    if (held > kMaxBoards) {
        return text + "A set holds at most " + std::to_string(kMaxBoards) + " boards.";
    }
    return text + "Set the boards to " + std::to_string(held) +
           (next->counted ? " to convert them all." : " or more to convert more of them.");
}

// The files beside the source named as a set's that this run did not write, in the order of
// their boards.
std::vector<fs::path> Run::otherSets() const {
    const fs::path folder = outputs_.front().parent_path();
    const std::string first = pathText(outputs_.front().filename());
    const std::string stem = first.substr(0, first.rfind('_') + 1);
    std::vector<std::pair<std::pair<int, int>, fs::path>> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? "." : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = pathText(entry->path().filename());
        if (!name.starts_with(stem) || !name.ends_with(".lin")) continue;
        const auto path = folder / entry->path().filename();
        if (std::find(outputs_.begin(), outputs_.end(), path) != outputs_.end()) continue;
        const auto places =
            placesOf(std::string_view(name).substr(stem.size(), name.size() - stem.size() - 4));
        if (places) found.emplace_back(*places, path);
    }
    std::sort(found.begin(), found.end());
    std::vector<fs::path> others;
    for (auto& [places, path] : found) others.push_back(std::move(path));
    return others;
}

// The files of the set's names that stand beside the source now.
std::vector<fs::path> Run::earlierFiles() const {
    std::vector<fs::path> earlier;
    for (const auto& output : targets_) {
        std::error_code error;
        if (fs::exists(fs::symlink_status(output, error))) earlier.push_back(output);
    }
    return earlier;
}

// Nothing is written unless every file can be, and no output may be the source itself.
void Run::checkOutputs() {
    for (const auto& output : targets_) {
        keep_.push_back(checkReplaceable(output));
        // Its replacement would destroy the hand record, through a link or under another
        // name. (A link in an output's place is itself replaced, never its target.)
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(output, error)) &&
            fs::equivalent(source_, output, error)) {
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

// The file's boards follow one another in the set; the fillers lead the last file.
void Run::writeFile(int index) {
    OutputFile& file = files_.emplace_back(outputs_[index], keep_[index]);
    if (afterTemporaryCreated_) afterTemporaryCreated_(index);
    for (const auto& line : header_) file.writeLine(line);
    if (index == shape_.files() - 1) {
        for (int i = 0; i < shape_.fillers; ++i) file.writeLine(kFillerRecord);
    }
    const int last = std::min((index + 1) * shape_.perFile, shape_.boards);
    while (static_cast<int>(boards_.size()) < last) convertBoard(file);
    file.finish();
}

void Run::convertBoard(OutputFile& file) {
    board_ = static_cast<int>(boards_.size()) + 1;
    auto board = reader_->nextBoard();
    if (!board) {
        // Short of the set: a smaller set, unless a comment left open hid the rest.
        const auto read = std::to_string(boards_.size());
        const auto comment = insideComment();
        board_ = 0;
        const bool fewer = boards_.size() < static_cast<std::size_t>(shape_.perFile);
        throw Fault("the source ends after board " + read + comment +
                    "; a hand-record file must hold " + std::to_string(shape_.boards) + " boards" +
                    (comment.empty() ? ", or the number of boards can be set to " + read +
                                           (fewer ? " and the boards per file to " + read : "")
                                     : ""));
    }
    auto record = buildDealRecord(*board, record_);
    file.writeLine(record.line);
    const auto& v = record_.vulnerability;
    boards_.push_back({record.deal.number, std::move(record.deal.hands), *record_.dealer,
                       v.empty() ? '0' : v.front(), std::move(board->heading)});
    auto& notes = notes_.emplace_back(std::move(board->notes));
    notes.insert(notes.end(), record.notes.begin(), record.notes.end());
    board_ = 0;
}

// The hand record's PDF and PBN, after the LIN files, from the boards they hold.
void Run::writeRecord(const Timestamp& stamp) {
    const auto files = recordFiles(boards_, analyse(boards_), *recordSettings_, stamp);
    const std::string* texts[] = {&files.pdf, &files.pbn};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto index = outputs_.size() + i;
        OutputFile& file = files_.emplace_back(targets_[index], keep_[index]);
        if (afterTemporaryCreated_) afterTemporaryCreated_(static_cast<int>(index));
        file.write(*texts[i]);
        file.finish();
    }
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
    place.earlier = earlierFiles();
    return place;
}

}  // namespace

std::vector<fs::path> outputPaths(const fs::path& source, const SetShape& shape) {
    // As the system opens it: Windows drops the trailing dots and spaces of a name.
    fs::path base = os::openedName(source);
    base.replace_extension();
    std::vector<fs::path> paths;
    for (int first = 1; first <= shape.boards; first += shape.perFile) {
        const int last = std::min(first + shape.perFile - 1, shape.boards);
        paths.push_back(fs::path(base) += "_" + std::to_string(first) +
                                          (last > first ? "-" + std::to_string(last) : "") +
                                          ".lin");
    }
    return paths;
}

std::string warningText(const RunResult& result, FilesAre state, std::size_t maxLines) {
    const auto& findings = result.findings;
    if (result.notes.empty() && findings.empty()) return {};
    std::string text = filesLead(result.outputs.size(), state);
    if (result.notes.empty()) {
        text += ", but some deals look wrong:";
    } else {
        text += ".";
        for (const auto& note : result.notes) text += "\n" + note;
        if (!findings.empty()) text += "\nSome deals look wrong:";
    }
    for (std::size_t i = 0; i < findings.size() && i < maxLines; ++i) {
        text += "\n" + findingLine(findings[i]);
    }
    if (findings.size() > maxLines) {
        // Lines about the preamble come first: the rest are about boards unless they run over.
        const auto more = findings.size() - maxLines;
        const std::string what = findings[maxLines].board > 0 ? "board" : "line";
        text += "\nand " + std::to_string(more) + " more " + what + (more == 1 ? "." : "s.");
    }
    return text;
}

RunResult convert(const fs::path& source, const Clock& clock, const SetShape& shape,
                  const std::optional<RecordSettings>& record) {
    return convert(source, clock, shape, record, {});
}

RunResult convert(const fs::path& source, const Clock& clock, const SetShape& shape,
                  const std::optional<RecordSettings>& record,
                  const AfterTemporaryCreated& afterTemporaryCreated) {
    if (const auto described = describeShape(shape); described.at) {
        throw notConverted(source, described.problem);
    }
    std::optional<Run> run;
    const auto placeOf = [&run](const Fault* fault) {
        return run ? run->placeOf(fault) : FaultPlace{};
    };
    try {
        run.emplace(source, clock, shape, record, afterTemporaryCreated);
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
