// Speed and memory of a conversion run, against the floor of writing the same files.
//
// Targets, as ratios from one run of this binary (printed at the end):
//   whole run / floor                 <= 1.5
//   run with 100 MB tail / whole run  <= 1.2   (only the first 24 boards are read)
//   peak heap of both runs the same   (independent of the source's size)
//   double-dummy analysis of 36 real boards on 2 threads / on 1 thread  <= 0.6
//   the record's PDF of those 36 boards, 4 a page                         <= 150 KB

#include "deal_check.h"
#include "heap_counter.h"
#include "lin_record.h"
#include "output_file.h"
#include "pbn_reader.h"
#include "quillotan/conversion_run.h"
#include "quillotan/hand_record.h"
#include "test_support.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using testing_support::fixedClock;

namespace {

constexpr int kLayouts = 2;
constexpr std::array<const char*, kLayouts> kLayoutNames = {"four-line", "export"};

// A club's hand record, boards first..last with shuffled hands, the deal listed from the
// dealer. The four-line layout has each board's Board, Dealer, Vulnerable and Deal tags in a
// row; the export layout is what current dealing programs write: escape lines first, then
// games of fifteen tags with player tags between Board and Dealer.
std::string boards(int layout, int first, int last) {
    static constexpr std::array<const char*, 4> seats = {"N", "E", "S", "W"};
    static constexpr std::array<const char*, 4> vulnerable = {"None", "NS", "EW", "All"};
    std::mt19937 random(first);
    std::string ranks = "AKQJT98765432";
    std::ostringstream text;
    for (int n = first; n <= last; ++n) {
        std::array<std::string, 4> hands;
        std::array<int, 52> deck;
        for (int i = 0; i < 52; ++i) deck[i] = i;
        std::shuffle(deck.begin(), deck.end(), random);
        std::array<std::array<std::string, 4>, 4> suits;
        for (int i = 0; i < 52; ++i) suits[i / 13][deck[i] / 13] += ranks[deck[i] % 13];
        for (int h = 0; h < 4; ++h) {
            for (int s = 0; s < 4; ++s) {
                std::sort(suits[h][s].begin(), suits[h][s].end(),
                          [&](char a, char b) { return ranks.find(a) < ranks.find(b); });
                hands[h] += (s ? "." : "") + suits[h][s];
            }
        }
        const int dealer = (n - 1) % 4;
        if (layout == 1) text << "[Event \"Club night\"]\r\n[Site \"?\"]\r\n[Date \"?\"]\r\n";
        text << "[Board \"" << n << "\"]\r\n";
        if (layout == 1) {
            text << "[West \"?\"]\r\n[North \"?\"]\r\n[East \"?\"]\r\n[South \"?\"]\r\n";
        }
        text << "[Dealer \"" << seats[dealer] << "\"]\r\n[Vulnerable \"" << vulnerable[(n - 1) % 4]
             << "\"]\r\n[Deal \"" << seats[dealer] << ":" << hands[0] << ' ' << hands[1] << ' '
             << hands[2] << ' ' << hands[3] << "\"]\r\n";
        if (layout == 1) {
            text << "[Scoring \"?\"]\r\n[Declarer \"?\"]\r\n[Contract \"?\"]\r\n[Result \"?\"]\r\n";
        }
        text << "\r\n";
    }
    return text.str();
}

// The bytes of the files a run of source in that shape writes.
std::vector<std::string> outputsOf(const fs::path& source, const conversion::SetShape& shape) {
    std::vector<std::string> bytes;
    for (const auto& output : conversion::convert(source, fixedClock, shape).outputs) {
        std::ifstream in(output, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        bytes.push_back(text.str());
    }
    return bytes;
}

// A shape of more files: twelve rounds of three, 36 boards.
constexpr conversion::SetShape kTwelveFiles{36, 3, 2};

struct Layout {
    fs::path source;                   // 24 boards
    fs::path large;                    // the same 24 boards, then 100 MB of further boards
    std::vector<std::string> outputs;  // the bytes a run writes for source
};

struct Fixture {
    fs::path dir;
    std::array<Layout, kLayouts> layouts;
    fs::path source36;                   // 36 boards, export layout
    std::vector<std::string> outputs36;  // the twelve files of a run of it

    Fixture() {
        dir = fs::temp_directory_path() /
              ("quillotan-bench-" + std::to_string(std::random_device{}()));
        for (int layout = 0; layout < kLayouts; ++layout) {
            Layout& at = layouts[layout];
            const fs::path folder = dir / kLayoutNames[layout];
            fs::create_directories(folder / "small");
            fs::create_directories(folder / "large");
            const std::string head = (layout == 1 ? "% PBN 2.1\r\n% EXPORT\r\n%\r\n"
                                                  : "% PBN 2.1\r\n[Event \"Club night\"]\r\n") +
                                     boards(layout, 1, 24);
            at.source = folder / "small" / "week.pbn";
            std::ofstream(at.source, std::ios::binary) << head;
            at.large = folder / "large" / "week.pbn";
            std::ofstream file(at.large, std::ios::binary);
            file << head;
            const std::string more = boards(layout, 25, 1000);
            for (std::size_t written = 0; written < 100u << 20; written += more.size()) {
                file << more;
            }
            file.close();

            at.outputs = outputsOf(at.source, {});
        }
        fs::create_directories(dir / "twelve");
        source36 = dir / "twelve" / "week.pbn";
        std::ofstream(source36, std::ios::binary) << "% PBN 2.1\r\n" << boards(1, 1, 36);
        outputs36 = outputsOf(source36, kTwelveFiles);
    }
    ~Fixture() { fs::remove_all(dir); }
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

const Layout& layoutOf(const benchmark::State& state) {
    return fixture().layouts[static_cast<std::size_t>(state.range(0))];
}

void runOn(benchmark::State& state, const fs::path& source,
           const conversion::SetShape& shape = {}) {
    const std::size_t before = heap::restartPeak();
    for (auto _ : state) conversion::convert(source, fixedClock, shape);
    state.counters["peak_heap_bytes"] = static_cast<double>(heap::peak() - before);
}

void BM_WholeRun(benchmark::State& state) { runOn(state, layoutOf(state).source); }

void BM_RunWith100MBTail(benchmark::State& state) { runOn(state, layoutOf(state).large); }

void BM_WholeRun36(benchmark::State& state) { runOn(state, fixture().source36, kTwelveFiles); }

// The floor: the same files' bytes, each written under a temporary name and flushed to the
// disk, then all renamed at the end and the folder flushed, as a run puts a whole set in
// place. flush: false leaves out the flushes, to measure what they cost.
void writeFloor(const fs::path& source, const std::vector<std::string>& outputs, bool flush = true,
                const conversion::SetShape& shape = {}) {
    const auto names = conversion::outputPaths(source, shape);
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::FILE* file = std::fopen((fs::path(names[i]) += ".tmp").c_str(), "wb");
        std::fwrite(outputs[i].data(), 1, outputs[i].size(), file);
        std::fflush(file);
        if (flush) ::fsync(::fileno(file));
        std::fclose(file);
    }
    for (const auto& name : names) fs::rename(fs::path(name) += ".tmp", name);
    const int folder = ::open(source.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (flush) ::fsync(folder);
    ::close(folder);
}

void BM_WriteFloor(benchmark::State& state) {
    for (auto _ : state) writeFloor(fixture().dir / "floor.pbn", layoutOf(state).outputs);
}

void BM_WriteFloor36(benchmark::State& state) {
    for (auto _ : state) {
        writeFloor(fixture().dir / "floor.pbn", fixture().outputs36, true, kTwelveFiles);
    }
}

void BM_WriteFloorUnflushed(benchmark::State& state) {
    for (auto _ : state) writeFloor(fixture().dir / "floor.pbn", layoutOf(state).outputs, false);
}

// Reading the 24 boards alone, and building their records from what was read.
std::vector<conversion::Board> read24(const fs::path& source) {
    std::vector<conversion::Board> boards;
    conversion::PbnReader reader(source);
    reader.readPreamble(8);
    for (int i = 0; i < 24; ++i) boards.push_back(*reader.nextBoard());
    return boards;
}

void BM_Read24(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(read24(layoutOf(state).source));
}

void BM_BuildRecords24(benchmark::State& state) {
    const auto boards = read24(layoutOf(state).source);
    for (auto _ : state) {
        conversion::RecordState record;
        for (const auto& board : boards) {
            benchmark::DoNotOptimize(conversion::buildDealRecord(board, record));
        }
    }
}

// The deal checks alone, on the 24 deals of a run.
void BM_CheckDeals24(benchmark::State& state) {
    std::vector<conversion::Deal> deals;
    for (const auto& board : read24(layoutOf(state).source)) {
        deals.push_back(
            {board.number, {board.hands[0], board.hands[1], board.hands[2], board.hands[3]}});
    }
    for (auto _ : state) benchmark::DoNotOptimize(conversion::checkDeals(deals));
}

// The command-line converter: 100 sources in one call, against the floor of writing their
// 400 files.
constexpr int kCliSources = 100;

fs::path cliFolder() {
    const fs::path folder = fixture().dir / "cli";
    if (!fs::exists(folder)) {
        fs::create_directories(folder);
        for (int i = 0; i < kCliSources; ++i) {
            fs::copy_file(fixture().layouts[1].source,
                          folder / ("week" + std::to_string(i) + ".pbn"));
        }
    }
    return folder;
}

void BM_Cli100(benchmark::State& state) {
    std::string command = "cd '" + cliFolder().string() + "' && '" QUILLOTAN_CONVERT "'";
    for (int i = 0; i < kCliSources; ++i) command += " week" + std::to_string(i) + ".pbn";
    command += " >/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("the converter failed");
    }
}

void BM_WriteFloor400(benchmark::State& state) {
    const fs::path folder = cliFolder();
    for (auto _ : state) {
        for (int n = 0; n < kCliSources; ++n) {
            writeFloor(folder / ("floor" + std::to_string(n) + ".pbn"),
                       fixture().layouts[1].outputs);
        }
    }
}

BENCHMARK(BM_WriteFloor)->DenseRange(0, kLayouts - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteFloorUnflushed)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeRun)->DenseRange(0, kLayouts - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunWith100MBTail)->DenseRange(0, kLayouts - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteFloor36)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeRun36)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Read24)->DenseRange(0, kLayouts - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildRecords24)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckDeals24)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteFloor400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cli100)->Unit(benchmark::kMillisecond);

// The 36 boards of a real file (the hand_record_36 case), as the record takes them.
const std::vector<conversion::RecordBoard>& realBoards() {
    static const auto boards = [] {
        testing_support::TempDir dir;
        fs::copy_file(CASES_DIR "/hand_record_36/deals.pbn", dir / "deals.pbn");
        return conversion::convert(dir / "deals.pbn", fixedClock, {36, 6, 0}).boards;
    }();
    return boards;
}

// The analysis of the 36 boards on 1 and on 2 threads.
void BM_Analyse36(benchmark::State& state) {
    for (auto _ : state) conversion::analyse(realBoards(), static_cast<int>(state.range(0)));
}
BENCHMARK(BM_Analyse36)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Laying out the record of the 36 boards, already analysed, 4 a page.
void BM_Record36(benchmark::State& state) {
    const auto analyses = conversion::analyse(realBoards());
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = conversion::recordFiles(realBoards(), analyses, {}, fixedClock()).pdf.size();
    }
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Record36)->Unit(benchmark::kMillisecond);

// Prints the table as usual and keeps each benchmark's time and counters for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            // With --benchmark_repetitions the median stands for the benchmark.
            if (!run.aggregate_name.empty() && run.aggregate_name != "median") continue;
            const auto name = run.run_name.function_name + "/" + run.run_name.args;
            times_[name] = run.GetAdjustedRealTime();
            const auto peak = run.counters.find("peak_heap_bytes");
            if (peak != run.counters.end()) peaks_[name] = peak->second.value;
            const auto pdf = run.counters.find("pdf_bytes");
            if (pdf != run.counters.end()) pdfBytes_ = pdf->second.value;
        }
    }

    int summary() const {
        bool met = true;
        for (int layout = 0; layout < kLayouts; ++layout) {
            const auto key = [layout](const char* name) {
                return std::string(name) + "/" + std::to_string(layout);
            };
            if (!times_.count(key("BM_WholeRun")) || !times_.count(key("BM_WriteFloor")) ||
                !times_.count(key("BM_RunWith100MBTail"))) {
                continue;
            }
            const double toFloor = times_.at(key("BM_WholeRun")) / times_.at(key("BM_WriteFloor"));
            const double toPlain =
                times_.at(key("BM_RunWith100MBTail")) / times_.at(key("BM_WholeRun"));
            const double plainPeak = peaks_.at(key("BM_WholeRun"));
            const double largePeak = peaks_.at(key("BM_RunWith100MBTail"));
            std::printf("\n%s layout\n", kLayoutNames[layout]);
            std::printf("  whole run / floor            %.2f  (target <= 1.5)\n", toFloor);
            std::printf("  100 MB tail / whole run      %.2f  (target <= 1.2)\n", toPlain);
            std::printf("  peak heap, 24 boards         %.0f bytes\n", plainPeak);
            std::printf("  peak heap, 100 MB tail       %.0f bytes  (target: the same)\n",
                        largePeak);
            met = met && toFloor <= 1.5 && toPlain <= 1.2 && largePeak <= plainPeak;
        }
        if (times_.count("BM_WholeRun36/") && times_.count("BM_WriteFloor36/")) {
            const double twelve = times_.at("BM_WholeRun36/") / times_.at("BM_WriteFloor36/");
            std::printf("\n36 boards in 12 files / floor %.2f  (target <= 1.5)\n", twelve);
            met = met && twelve <= 1.5;
        }
        if (times_.count("BM_CheckDeals24/1") && times_.count("BM_WholeRun/1")) {
            const double checks = times_.at("BM_CheckDeals24/1") / times_.at("BM_WholeRun/1");
            std::printf("\ndeal checks / whole run       %.3f  (target <= 0.05)\n", checks);
            met = met && checks <= 0.05;
        }
        if (times_.count("BM_Cli100/") && times_.count("BM_WriteFloor400/")) {
            const double cli = times_.at("BM_Cli100/") / times_.at("BM_WriteFloor400/");
            std::printf("converter, 100 sources / floor %.2f  (target <= 1.5)\n", cli);
            met = met && cli <= 1.5;
        }
        if (times_.count("BM_Analyse36/1") && times_.count("BM_Analyse36/2")) {
            const double two = times_.at("BM_Analyse36/2") / times_.at("BM_Analyse36/1");
            std::printf(
                "analysis, 2 threads / 1       %.2f  (target <= 0.6); a board %.0f ms on 1 "
                "thread, %.0f ms on 2\n",
                two, times_.at("BM_Analyse36/1") / 36, times_.at("BM_Analyse36/2") / 36);
            met = met && two <= 0.6;
        }
        if (pdfBytes_ > 0) {
            std::printf("record of 36 boards, 4 a page %.0f KB  (target <= 150)\n",
                        pdfBytes_ / 1024);
            met = met && pdfBytes_ <= 150 * 1024;
        }
        std::printf("%s\n", met ? "targets met" : "TARGETS MISSED");
        return met ? 0 : 1;
    }

private:
    std::map<std::string, double> times_;
    std::map<std::string, double> peaks_;
    double pdfBytes_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.summary();
}
