// The soak test: Load/Sync cycles over two folder trees while another process keeps creating,
// changing, renaming and deleting files on both sides.
//
//   mirv_soak drive  <work> <cycles>   makes the trees, runs the cycles, checks after each one
//   mirv_soak mutate <work> <seed>     the other process (scripts/soak starts it)
//
// Every file the mutator writes holds a version number (unique, rising), its length and a
// checksum, and goes into place in one step; a journal records each write and deletion. While the
// mutator is paused after a cycle, the driver checks that every file is whole (a truncated or mixed
// copy fails its checksum), that no temporary file is left, and that for every path the newest
// version the mutator wrote and did not delete itself still exists on one side or the other.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/main_state.h"
#include "app/run_host.h"
#include "app/runs.h"
#include "platform/file_ops.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kSides[] = {"A", "B"};
constexpr int kFolders = 12;

std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string FolderName(int i) { return i < 8 ? "d" + std::to_string(i) : "d" + std::to_string(i % 8) + "/e" + std::to_string(i); }

// "MIRVSOAK <version> <length>\n<payload>\n<checksum>\n"
std::string Content(std::uint64_t version, std::mt19937_64& random) {
    size_t length = random() % 16 == 0 ? random() % (512 * 1024) : random() % (24 * 1024);
    std::string payload(length, ' ');
    std::uint64_t x = version * 0x9E3779B97F4A7C15ull + 1;
    for (char& c : payload) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        c = static_cast<char>('a' + x % 26);
    }
    std::string head = "MIRVSOAK " + std::to_string(version) + " " + std::to_string(length) + "\n";
    std::string body = head + payload + "\n";
    char sum[32];
    std::snprintf(sum, sizeof sum, "%016" PRIx64 "\n", Checksum(body));
    return body + sum;
}

// The version a whole file holds; nullopt for a truncated, mixed or foreign file.
std::optional<std::uint64_t> VersionOf(const std::string& bytes) {
    unsigned long long version = 0, length = 0;
    int used = 0;
    if (std::sscanf(bytes.c_str(), "MIRVSOAK %llu %llu\n%n", &version, &length, &used) != 2 || used == 0)
        return std::nullopt;
    size_t bodyEnd = static_cast<size_t>(used) + length + 1;
    if (bytes.size() != bodyEnd + 17 || bytes[bodyEnd - 1] != '\n') return std::nullopt;
    char sum[32];
    std::snprintf(sum, sizeof sum, "%016" PRIx64 "\n", Checksum(std::string_view(bytes).substr(0, bodyEnd)));
    if (bytes.compare(bodyEnd, 17, sum) != 0) return std::nullopt;
    return version;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes beside the tree, then renames into place: no reader ever sees a half-written version.
void PlaceVersion(const fs::path& work, const fs::path& target, std::uint64_t version, std::mt19937_64& random) {
    fs::path staging = work / "staging" / ("v" + std::to_string(version));
    {
        std::ofstream out(staging, std::ios::binary | std::ios::trunc);
        std::string bytes = Content(version, random);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    fs::create_directories(target.parent_path());
    fs::rename(staging, target);
}

class Journal {
public:
    explicit Journal(const fs::path& path) : file_(std::fopen(path.c_str(), "a")) {}
    ~Journal() { std::fclose(file_); }
    void Wrote(int side, const std::string& path, std::uint64_t version) {
        std::fprintf(file_, "W %d %s %" PRIu64 "\n", side, path.c_str(), version);
        std::fflush(file_);
    }
    void Deleted(int side, const std::string& path) {
        std::fprintf(file_, "D %d %s\n", side, path.c_str());
        std::fflush(file_);
    }

private:
    std::FILE* file_;
};

// Versions are unique across both processes: the driver's start at 1, the mutator's at 1e9.
struct Versions {
    std::uint64_t next;
};

// ---- the mutator -------------------------------------------------------------------------------

struct MutatorCounts {
    long creates = 0, changes = 0, renames = 0, deletes = 0;
};

// A random file of the mutator's own (not the program's temporary files) in a random folder.
std::optional<std::string> PickFile(const fs::path& root, std::mt19937_64& random) {
    fs::path folder = root / FolderName(static_cast<int>(random() % kFolders));
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error) && it->path().filename().string().rfind("f", 0) == 0)
            names.push_back(it->path().filename().string());
    if (names.empty()) return std::nullopt;
    return (fs::relative(folder, root) / names[random() % names.size()]).string();
}

int Mutate(const fs::path& work, unsigned seed) {
    std::mt19937_64 random(seed);
    Journal journal(work / "journal.txt");
    Versions versions{1000000000ull};
    MutatorCounts counts;
    const fs::path control = work / "control";
    while (!fs::exists(control / "stop")) {
        if (fs::exists(control / "pause")) {
            std::ofstream(control / "paused") << "";
            while (fs::exists(control / "pause") && !fs::exists(control / "stop"))
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            fs::remove(control / "paused");
            continue;
        }
        int side = static_cast<int>(random() % 2);
        fs::path root = work / kSides[side];
        int op = static_cast<int>(random() % 100);
        std::optional<std::string> existing = PickFile(root, random);
        std::error_code error;
        if (op < 25 || !existing) {
            std::uint64_t v = versions.next++;
            std::string path = FolderName(static_cast<int>(random() % kFolders)) + "/f" + std::to_string(v) + ".dat";
            PlaceVersion(work, root / path, v, random);
            journal.Wrote(side, path, v);
            ++counts.creates;
        } else if (op < 65) {
            std::uint64_t v = versions.next++;
            PlaceVersion(work, root / *existing, v, random);
            journal.Wrote(side, *existing, v);
            ++counts.changes;
        } else if (op < 80) {
            std::string to = FolderName(static_cast<int>(random() % kFolders)) + "/f" +
                             std::to_string(versions.next++) + "r.dat";
            fs::rename(root / *existing, root / to, error);
            if (!error) {
                journal.Deleted(side, *existing);
                // The name is new, so nothing but this process touches the file there.
                if (auto v = VersionOf(ReadFile(root / to))) journal.Wrote(side, to, *v);
                ++counts.renames;
            }
        } else {
            if (fs::remove(root / *existing, error)) {
                journal.Deleted(side, *existing);
                ++counts.deletes;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 2500));
    }
    std::ofstream(work / "mutator-counts.txt")
        << counts.creates << " " << counts.changes << " " << counts.renames << " " << counts.deletes << "\n";
    return 0;
}

// ---- the driver --------------------------------------------------------------------------------

// The main window's part in a run, without a window: the folders, the lists and the answers.
class HeadlessHost final : public app::RunHost {
public:
    HeadlessHost(app::MainState& state, std::string first, std::string second)
        : state_(state), first_(std::move(first)), second_(std::move(second)) {}
    long questions = 0, warnings = 0;

    void SetStepCaption(std::string_view) override {}
    void SetProgress(int) override {}
    void ProcessMessages() override {}
    bool StopRequested() const override { return state_.stopRequested; }
    bool AskYesNo(std::string_view, Default) override {
        ++questions;
        return false;
    }
    void Warn(std::string_view) override { ++warnings; }
    bool Ask(std::string_view, std::string_view) override { return false; }
    void EnableButton(app::Button, bool) override {}
    void ShowButton(app::Button, bool) override {}
    void SetStatus(int panel, std::string_view text) override { status_[panel] = text; }
    std::string Status(int panel) const override { return status_[panel]; }
    std::string FolderText(app::Side side) const override { return side == app::Side::First ? first_ : second_; }
    void SetFolder(app::Side, std::string_view) override {}
    void SetItemCaptions(std::string_view, std::string_view) override {}
    void SetTotalTexts(std::string_view, std::string_view) override {}
    void SetCaption(std::string_view) override {}
    void ShowItemListPage() override {}
    void SetBusyCursor(bool) override {}
    void Repaint() override {}
    void WaitForMessage() override {}
    void OfferWizardNotice() override {}
    void ListsChanged() override {}
    void ResetWindow() override {
        state_.lists.Clear();
        state_.memory.reset();
        state_.LocalFolder = first_;
        state_.RemoteFolder = second_;
        status_[5].clear();
    }
    void ResetTotals() override {
        state_.totals = {};
        state_.lists.lvLocal.SetSorted(false);
        state_.lists.lvRemote.SetSorted(false);
    }
    void ComputeTotals() override {}
    void StartCountdown() override {}

private:
    app::MainState& state_;
    std::string first_, second_;
    std::string status_[6];
};

struct Expectation {
    std::optional<std::uint64_t> last[2];  // the mutator's last write on each side, unless deleted since
};

std::map<std::string, Expectation> ReadJournal(const fs::path& path) {
    std::map<std::string, Expectation> paths;
    std::ifstream in(path);
    std::string kind, name;
    int side = 0;
    while (in >> kind >> side >> name) {
        if (kind == "W") {
            std::uint64_t version = 0;
            in >> version;
            paths[name].last[side] = version;
        } else {
            paths[name].last[side].reset();
        }
    }
    return paths;
}

struct CheckResult {
    long files = 0, paths = 0;
    std::vector<std::string> problems;
};

CheckResult Check(const fs::path& work) {
    CheckResult result;
    std::map<std::string, std::uint64_t> newestPresent;
    for (int side = 0; side < 2; ++side) {
        fs::path root = work / kSides[side];
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            std::string path = fs::relative(entry.path(), root).string();
            ++result.files;
            if (path.find("~mirv98") != std::string::npos) {
                result.problems.push_back(std::string(kSides[side]) + "/" + path + ": temporary file left behind");
                continue;
            }
            auto version = VersionOf(ReadFile(entry.path()));
            if (!version) {
                result.problems.push_back(std::string(kSides[side]) + "/" + path + ": truncated or mixed");
                continue;
            }
            auto& newest = newestPresent[path];
            newest = std::max(newest, *version);
        }
    }
    for (const auto& [path, expectation] : ReadJournal(work / "journal.txt")) {
        std::uint64_t required = 0;
        for (const auto& last : expectation.last)
            if (last) required = std::max(required, *last);
        if (required == 0) continue;
        ++result.paths;
        auto present = newestPresent.find(path);
        if (present == newestPresent.end() || present->second < required)
            result.problems.push_back(path + ": version " + std::to_string(required) + " exists nowhere");
    }
    return result;
}

void MakeTrees(const fs::path& work, std::mt19937_64& random, Journal& journal) {
    Versions versions{1};
    for (int i = 0; i < 1500; ++i) {
        std::string path = FolderName(static_cast<int>(random() % kFolders)) + "/f" + std::to_string(versions.next) + ".dat";
        int where = static_cast<int>(random() % 3);  // A only, B only, both (the newer written last)
        for (int side = 0; side < 2; ++side) {
            if (where != 2 && where != side) continue;
            std::uint64_t v = versions.next++;
            PlaceVersion(work, work / kSides[side] / path, v, random);
            journal.Wrote(side, path, v);
        }
    }
}

// Asks the mutator to stand still and waits until it does.
void Pause(const fs::path& control) {
    std::ofstream(control / "pause") << "";
    auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!fs::exists(control / "paused")) {
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "soak: the mutator does not answer\n");
            std::exit(2);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void Resume(const fs::path& control) {
    fs::remove(control / "pause");
    while (fs::exists(control / "paused")) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// One Load and one Sync as the buttons run them, over the same window state each time.
struct CycleResult {
    size_t planned = 0;
    int failed = 0;
};

class Cycles {
public:
    explicit Cycles(const fs::path& work) : host(state, (work / "A").string(), (work / "B").string()) {
        settings.usesubs = true;
        // The invariant is about the two folders: nothing of theirs goes to the desktop's trash.
        settings.userecycle = settings.usereport = false;
    }

    CycleResult Run(std::mt19937_64& random) {
        app::Runs runs(host, state, settings, platform::SystemFileOps());
        runs.RunMultiDirectory();
        const auto& l = state.lists;
        CycleResult result;
        result.planned = l.lFileAdd1.size() + l.rFileAdd1.size() + l.lUpdate1.size() + l.rUpdate1.size();
        // The time a user looks at the plan: the other process goes on meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
        if (state.plan) result.failed = runs.RunSync(*state.plan).failed;
        return result;
    }

    app::MainState state;
    settings::Settings settings;
    HeadlessHost host;
};

int Drive(const fs::path& work, int cycles) {
    for (const char* dir : {"A", "B", "staging", "control"}) fs::create_directories(work / dir);
    std::mt19937_64 random(20261207);
    {
        Journal journal(work / "journal.txt");
        MakeTrees(work, random, journal);
    }
    const fs::path control = work / "control";
    std::ofstream(control / "ready") << "";  // the mutator may start
    while (!fs::exists(control / "started")) std::this_thread::sleep_for(std::chrono::milliseconds(5));

    long planned = 0, failed = 0, filesChecked = 0, pathsChecked = 0, problems = 0;
    Cycles runs(work);
    auto started = Clock::now();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        CycleResult r = runs.Run(random);
        Pause(control);
        CheckResult check = Check(work);
        Resume(control);
        planned += static_cast<long>(r.planned);
        failed += r.failed;
        filesChecked += check.files;
        pathsChecked += check.paths;
        problems += static_cast<long>(check.problems.size());
        std::printf("cycle %2d: %5zu planned, %3d not carried out, %5ld files whole, %5ld paths "
                    "hold their newest version%s\n",
                    cycle, r.planned, r.failed, check.files, check.paths, check.problems.empty() ? "" : ", PROBLEMS:");
        for (const auto& p : check.problems) std::printf("    %s\n", p.c_str());
        std::fflush(stdout);
    }
    std::ofstream(control / "stop") << "";
    while (!fs::exists(work / "mutator-counts.txt")) std::this_thread::sleep_for(std::chrono::milliseconds(5));

    // Quiet at last: one more cycle must leave nothing to do and the same names on both sides.
    CycleResult settle = runs.Run(random);
    CycleResult after = runs.Run(random);
    CheckResult final = Check(work);
    std::vector<std::string> onlyOneSide;
    for (int side = 0; side < 2; ++side)
        for (const auto& entry : fs::recursive_directory_iterator(work / kSides[side]))
            if (entry.is_regular_file() &&
                !fs::exists(work / kSides[1 - side] / fs::relative(entry.path(), work / kSides[side])))
                onlyOneSide.push_back(entry.path().string());
    problems += static_cast<long>(final.problems.size() + onlyOneSide.size()) + (after.planned != 0 ? 1 : 0);
    for (const auto& p : final.problems) std::printf("    final: %s\n", p.c_str());
    for (const auto& p : onlyOneSide) std::printf("    final: only on one side: %s\n", p.c_str());

    long creates = 0, changes = 0, renames = 0, deletes = 0;
    std::ifstream(work / "mutator-counts.txt") >> creates >> changes >> renames >> deletes;
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("\nsummary: %d cycles in %.0f s\n"
                "  files touched: %ld by the other process (%ld made, %ld changed, %ld renamed, %ld deleted), "
                "%ld copied by the runs\n"
                "  copies planned %ld; not carried out %ld (changed since the Load, source gone, or %ld answered No "
                "at \"Copy Failed, Force Update?\")\n"
                "  invariant checks: %ld whole-file checks (none truncated or mixed, no temporary file), %ld "
                "newest-version checks; final settle planned %zu, then %zu\n"
                "  problems: %ld\n",
                cycles, seconds, creates + changes + renames + deletes, creates, changes, renames, deletes,
                planned - failed, planned, failed, runs.host.questions, filesChecked, pathsChecked, settle.planned,
                after.planned, problems);
    return problems == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 4 && mode == "drive") return Drive(argv[2], std::atoi(argv[3]));
    if (argc == 4 && mode == "mutate") {
        fs::path work = argv[2];
        while (!fs::exists(work / "control" / "ready")) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::ofstream(work / "control" / "started") << "";
        return Mutate(work, static_cast<unsigned>(std::atoi(argv[3])));
    }
    std::fprintf(stderr, "usage: mirv_soak drive <work> <cycles> | mirv_soak mutate <work> <seed>\n");
    return 2;
}
