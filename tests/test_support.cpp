#include "test_support.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace {

// One deal, by seat, and each seat's hand in LIN notation.
constexpr std::array<std::string_view, 4> kSeats = {"N", "E", "S", "W"};
constexpr std::array<std::string_view, 4> kPbnHands = {"AK2.QJ3.T98.7654", "QJ3.T98.7654.AK2",
                                                       "T98.7654.AK2.QJ3", "7654.AK2.QJ3.T98"};
constexpr std::string_view kSouthWestNorth =
    "ST98H7654DAK2CQJ3,S7654HAK2DQJ3CT98,SAK2HQJ3DT98C7654";

// Dealer and vulnerability of board n follow the usual cycles of 4 and 16 boards.
constexpr std::array<std::string_view, 4> kDealerCodes = {"3", "4", "1", "2"};
constexpr std::array<std::string_view, 16> kVulnerable = {"None", "NS",   "EW", "All", "NS",   "EW",
                                                          "All",  "None", "EW", "All", "None", "NS",
                                                          "All",  "None", "NS", "EW"};
constexpr std::array<std::string_view, 16> kVulnerableCodes = {
    "0", "N", "E", "B", "N", "E", "B", "0", "E", "B", "0", "N", "B", "0", "N", "E"};

}  // namespace

TempDir::TempDir() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("quillotan-test-" + std::to_string(random()));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write the test file " + path.string());
}

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void RecordingDisplay::showSource(const fs::path& source) {
    shown.push_back("source " + source.string());
}

void RecordingDisplay::showOutput(int index, const fs::path& output) {
    shown.push_back(std::to_string(index) + " " + output.string());
    existedWhenShown.push_back(fs::exists(output));
}

std::string board(std::string_view number, std::string_view dealer, std::string_view vulnerable,
                  std::string_view deal, std::string_view eol) {
    std::string text;
    text += "[Board \"" + std::string(number) + "\"]" + std::string(eol);
    text += "[Dealer \"" + std::string(dealer) + "\"]" + std::string(eol);
    text += "[Vulnerable \"" + std::string(vulnerable) + "\"]" + std::string(eol);
    text += "[Deal \"" + std::string(deal) + "\"]" + std::string(eol);
    return text;
}

std::string boards(int first, int last, std::string_view eol) {
    std::string text;
    for (int n = first; n <= last; ++n) {
        const int dealer = (n - 1) % 4;
        std::string deal = std::string(kSeats[dealer]) + ":";
        for (int i = 0; i < 4; ++i) {
            if (i > 0) deal += ' ';
            deal += kPbnHands[(dealer + i) % 4];
        }
        text += board(std::to_string(n), kSeats[dealer], kVulnerable[(n - 1) % 16], deal, eol);
        text += eol;
    }
    return text;
}

std::string expectedRecord(int n) {
    const std::string number = std::to_string(n);
    return "qx|o" + number + "|md|" + std::string(kDealerCodes[(n - 1) % 4]) +
           std::string(kSouthWestNorth) + "|rh||ah|Board " + number + "|sv|" +
           std::string(kVulnerableCodes[(n - 1) % 16]) + "|pg||";
}

void convertFile(const fs::path& source, conversion::RunState* state, RecordingDisplay* display) {
    conversion::RunState ownState;
    RecordingDisplay ownDisplay;
    conversion::convert(state ? *state : ownState, source, display ? *display : ownDisplay,
                        fixedClock);
}

std::vector<fs::path> outputsFor(const fs::path& base) {
    std::vector<fs::path> names;
    for (const char* suffix : {"_1-6.lin", "_7-12.lin", "_13-18.lin", "_19-24.lin"}) {
        names.push_back(fs::path(base) += suffix);
    }
    return names;
}

}  // namespace testing_support
