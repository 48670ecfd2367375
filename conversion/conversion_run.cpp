#include "conversion_run.h"

#include "deal_check.h"
#include "lin_record.h"
#include "output_file.h"
#include "pbn_reader.h"

#include <new>
#include <optional>
#include <vector>

namespace conversion {

namespace {

constexpr std::array<std::string_view, kOutputFiles> kSuffixes = {"_1-6", "_7-12", "_13-18",
                                                                  "_19-24"};

// <base><suffix>.lin, beside the source.
std::filesystem::path outputName(const std::filesystem::path& base, std::string_view suffix) {
    auto name = base;
    name += suffix;
    name += ".lin";
    return name;
}

// One run from the opened source to the last output file; remembers where it is, so that a
// fault can be reported with its place.
class Run {
public:
    Run(RunState& state, Display& display) : state_(state), display_(display) {}

    std::vector<std::string> execute();
    FaultPlace placeOf(int line) const;  // line: the source line the fault is about, or 0

private:
    void readPreamble();
    void writeFile(int index);
    void convertBoard(OutputFile& file);

    RunState& state_;
    Display& display_;
    std::optional<PbnReader> reader_;
    RecordState record_;
    int board_ = 0;  // place in the run of the board being read, 0 between boards
    BoardFields fields_;
    std::vector<BoardFields> boards_;  // the boards written, for the checks at the end
    std::array<std::optional<std::filesystem::perms>, kOutputFiles> keep_;  // of earlier outputs
    int filesDone_ = 0;
};

std::vector<std::string> Run::execute() {
    reader_.emplace(state_.sourcePath);
    boards_.reserve(kBoardsPerRun);
    // Nothing is written unless all four files can be.
    for (int i = 0; i < kOutputFiles; ++i) {
        keep_[i] = checkReplaceable(outputName(state_.baseName, kSuffixes[i]));
    }
    readPreamble();
    for (int i = 0; i < kOutputFiles; ++i) state_.suffixes[i] = kSuffixes[i];
    for (int index = 0; index < kOutputFiles; ++index) {
        writeFile(index);
        ++filesDone_;
    }
    reader_.reset();
    return checkDeals(boards_);
}

// The lines before the first board, the first eight of them, go into the header.
void Run::readPreamble() {
    if (!reader_->readPreamble(kPreambleSlots)) {
        throw Fault("the source holds no board: no [Board \"...\"] tag");
    }
    int slot = 2;
    for (const auto& line : reader_->preamble()) state_.header[slot++] = "% " + line;
}

void Run::writeFile(int index) {
    state_.outputName = outputName(state_.baseName, state_.suffixes[index]);
    display_.showOutput(index, state_.outputName);

    OutputFile file(state_.outputName, keep_[index]);
    for (const auto& line : state_.header) {
        if (!line.empty()) file.writeLine(line);
    }
    if (index == kOutputFiles - 1) {
        file.writeLine(state_.filler);
        file.writeLine(state_.filler);
    }
    for (int i = 0; i < kBoardsPerFile; ++i) convertBoard(file);
    file.commit();
}

void Run::convertBoard(OutputFile& file) {
    board_ = static_cast<int>(boards_.size()) + 1;
    if (!reader_->nextBoard(fields_)) {
        board_ = 0;
        throw Fault("the source ends after board " + std::to_string(boards_.size()) +
                    "; a hand-record file must hold " + std::to_string(kBoardsPerRun) + " boards");
    }
    file.writeLine(buildDealRecord(fields_, record_));
    boards_.push_back(fields_);
    board_ = 0;
}

FaultPlace Run::placeOf(int line) const {
    FaultPlace place;
    place.line = line;
    place.board = board_;
    if (board_ > 0) place.boardNumber = fields_.number;
    for (int i = 0; i < kOutputFiles; ++i) {
        (i < filesDone_ ? place.written : place.notWritten)
            .push_back(outputName(state_.baseName, kSuffixes[i]));
    }
    return place;
}

}  // namespace

std::vector<std::string> convert(RunState& state, const std::filesystem::path& source,
                                 Display& display, const Clock& clock) {
    state.ranks = kRanks;
    state.filler = buildFillerRecord(state.ranks);
    state.sourcePath = source;
    display.showSource(source);

    // Date and time come from one reading of the clock.
    const Timestamp stamp = clock();
    state.header = {};
    state.header[0] = "% Lin file created by Quillotan " + stamp.date + " at " + stamp.time;
    state.header[1] = "% Source file " + pathText(source);
    state.baseName = source;
    state.baseName.replace_extension();

    Run run(state, display);
    try {
        return run.execute();
    } catch (const Fault& fault) {
        throw ConversionError(source, fault.what(), run.placeOf(fault.line()));
    } catch (const std::bad_alloc&) {
        throw ConversionError(source, "there was not enough memory", run.placeOf(0));
    } catch (const std::exception& error) {
        // A refusal of the file system that no check above foresaw.
        const std::string detail = std::string("an unexpected error: ") + error.what();
        throw ConversionError(source, detail, run.placeOf(0));
    }
}

}  // namespace conversion
