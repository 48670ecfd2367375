#include "conversion_run.h"

#include "deal_check.h"
#include "fault.h"
#include "lin_record.h"
#include "output_file.h"
#include "pbn_reader.h"

#include <new>
#include <optional>

namespace conversion {

namespace {

constexpr std::size_t kPreambleLines = 8;  // at most, in the header

// One run from the opened source to the last output file; remembers where it is, so that a
// fault can be reported with its place.
class Run {
public:
    Run(const std::filesystem::path& source, const Clock& clock);

    std::vector<std::string> execute();
    FaultPlace placeOf(int line) const;  // line: the source line the fault is about, or 0
    std::string insideComment() const;   // ", inside the { comment ..." at the end, or empty

private:
    void readPreamble();
    void writeFile(int index);
    void convertBoard(OutputFile& file);

    const std::filesystem::path& source_;
    const Clock& clock_;
    const OutputPaths outputs_;
    // Comment lines at the top of every output file: the timestamp, the source, then one
    // for each preamble line.
    std::vector<std::string> header_;
    std::optional<PbnReader> reader_;
    RecordState record_;
    int board_ = 0;  // place in the run of the board being read, 0 between boards
    BoardFields fields_;
    std::vector<BoardFields> boards_;  // the boards written, for the checks at the end
    std::array<std::optional<std::filesystem::perms>, kOutputFiles> keep_;  // of earlier outputs
    int filesDone_ = 0;
};

Run::Run(const std::filesystem::path& source, const Clock& clock)
    : source_(source), clock_(clock), outputs_(outputPaths(source)) {}

std::vector<std::string> Run::execute() {
    // Date and time come from one reading of the clock.
    const Timestamp stamp = clock_();
    header_.push_back("% Lin file created by Quillotan " + stamp.date + " at " + stamp.time);
    // One comment line whatever the name holds: its line ends are written escaped.
    std::string name;
    for (const char c : pathText(source_))
        name += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    header_.push_back("% Source file " + name);
    reader_.emplace(source_);
    boards_.reserve(kBoardsPerRun);
    // Nothing is written unless all four files can be.
    for (int i = 0; i < kOutputFiles; ++i) keep_[i] = checkReplaceable(outputs_[i]);
    readPreamble();
    for (int index = 0; index < kOutputFiles; ++index) {
        writeFile(index);
        ++filesDone_;
    }
    // What the preamble's comments passed over leads the findings.
    std::vector<std::string> findings;
    for (const auto& note : reader_->preambleNotes())
        findings.push_back("Before board 1: " + note + ".");
    reader_.reset();
    for (auto& line : checkDeals(boards_)) findings.push_back(std::move(line));
    return findings;
}

// The lines before the first board, the first eight of them, go into the header.
void Run::readPreamble() {
    if (!reader_->readPreamble(kPreambleLines)) {
        throw Fault("the source holds no board: no [Board \"...\"] tag" + insideComment());
    }
    for (const auto& line : reader_->preamble()) header_.push_back("% " + line);
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
    board_ = static_cast<int>(boards_.size()) + 1;
    if (!reader_->nextBoard(fields_)) {
        board_ = 0;
        throw Fault("the source ends after board " + std::to_string(boards_.size()) +
                    insideComment() + "; a hand-record file must hold " +
                    std::to_string(kBoardsPerRun) + " boards");
    }
    file.writeLine(buildDealRecord(fields_, record_));
    boards_.push_back(fields_);
    board_ = 0;
}

std::string Run::insideComment() const {
    const int opened = reader_->openComment();
    return opened ? ", inside the { comment opened on line " + std::to_string(opened) +
                        ", which is never closed"
                  : "";
}

FaultPlace Run::placeOf(int line) const {
    FaultPlace place;
    place.line = line;
    place.board = board_;
    if (board_ > 0) place.boardNumber = fields_.number;
    for (int i = 0; i < kOutputFiles; ++i) {
        (i < filesDone_ ? place.written : place.notWritten).push_back(outputs_[i]);
    }
    return place;
}

}  // namespace

OutputPaths outputPaths(const std::filesystem::path& source) {
    static constexpr std::array<const char*, kOutputFiles> kSuffixes = {"_1-6.lin", "_7-12.lin",
                                                                        "_13-18.lin", "_19-24.lin"};
    std::filesystem::path base = source;
#ifdef _WIN32
    // Windows drops the trailing dots and spaces of a name when it opens the file.
    auto name = base.filename().native();
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    base.replace_filename(name);
#endif
    base.replace_extension();
    OutputPaths paths;
    for (int i = 0; i < kOutputFiles; ++i) paths[i] = std::filesystem::path(base) += kSuffixes[i];
    return paths;
}

std::vector<std::string> convert(const std::filesystem::path& source, const Clock& clock) {
    std::optional<Run> run;
    const auto placeOf = [&run](int line) { return run ? run->placeOf(line) : FaultPlace{}; };
    try {
        run.emplace(source, clock);
        return run->execute();
    } catch (const Fault& fault) {
        throw describeFault(source, fault.detail(), placeOf(fault.line()));
    } catch (const std::bad_alloc&) {
        throw describeFault(source, "there was not enough memory", placeOf(0));
    } catch (const std::exception& error) {
        // A refusal of the file system that no check above foresaw.
        throw describeFault(source, std::string("an unexpected error: ") + error.what(),
                            placeOf(0));
    }
}

}  // namespace conversion
