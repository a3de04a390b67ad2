#include "app/sync_journal.h"

#include <charconv>
#include <cstdio>

namespace app {

namespace {

using engine::Outcome;

constexpr std::string_view kMagic = "mirravel journal\t1";

struct OutcomeWord {
    Outcome outcome;
    std::string_view word;
};
constexpr OutcomeWord kOutcomes[] = {
    {Outcome::Copied, "copied"},   {Outcome::FolderCreated, "made"}, {Outcome::Replaced, "replaced"},
    {Outcome::Recycled, "recycled"}, {Outcome::Deleted, "deleted"},   {Outcome::Failed, "failed"},
    {Outcome::Changed, "changed"}, {Outcome::Declined, "declined"}, {Outcome::Stopped, "stopped"},
    {Outcome::Kept, "kept"},       {Outcome::LeftInPlace, "left"},
};

std::string Number(std::int64_t n) { return std::to_string(n); }

bool ParseNumber(std::string_view text, std::int64_t& n) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    return error == std::errc() && end == text.data() + text.size();
}

// "-" absent, "D" a folder, "<size>:<time>" a file.
std::string State(const engine::ItemState& s) {
    if (!s.present) return "-";
    if (s.folder) return "D";
    return Number(s.size) + ":" + Number(s.lastWrite);
}

bool ParseState(std::string_view text, engine::ItemState& s) {
    s = {};
    if (text == "-") return true;
    if (text == "D") {
        s.present = s.folder = true;
        return true;
    }
    size_t colon = text.find(':');
    s.present = true;
    return colon != std::string_view::npos && ParseNumber(text.substr(0, colon), s.size) &&
           ParseNumber(text.substr(colon + 1), s.lastWrite);
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

// A move within a side: "move", whether it went with its folder, side, kind, state before and after,
// the old path and the new one.
std::string MoveLine(const engine::ItemRecord& r) {
    return "move\t" + std::string(r.outcome == Outcome::MovedAlong ? "along" : "moved") + "\t" +
           (r.side == engine::Side::First ? "1" : "2") + "\t" + (r.folder ? "D" : "F") + "\t" + State(r.before) + "\t" +
           State(r.after) + "\t" + r.movedFrom + "\t" + r.path + "\r\n";
}

std::optional<engine::ItemRecord> ParseMoveLine(const std::vector<std::string_view>& f) {
    if (f.size() != 8 || (f[1] != "moved" && f[1] != "along")) return std::nullopt;
    engine::ItemRecord r(f[1] == "along" ? Outcome::MovedAlong : Outcome::Moved,
                         f[2] == "1" ? engine::Side::First : engine::Side::Second, std::string(f[7]), f[3] == "D", false);
    r.movedFrom = std::string(f[6]);
    if (!ParseState(f[4], r.before) || !ParseState(f[5], r.after)) return std::nullopt;
    return r;
}

}  // namespace

std::string JournalStartLines(platform::FileTime started, const platform::LocalTime& t) {
    char local[32];
    std::snprintf(local, sizeof local, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return std::string(kMagic) + "\r\nstarted\t" + Number(started) + "\t" + local + "\r\n";
}

std::string JournalPairLine(std::string_view first, std::string_view second) {
    return "pair\t" + std::string(first) + "\t" + std::string(second) + "\r\n";
}

std::string JournalItemLine(const engine::ItemRecord& r) {
    if (r.outcome == Outcome::Moved || r.outcome == Outcome::MovedAlong) return MoveLine(r);
    std::string_view word;
    for (const OutcomeWord& o : kOutcomes)
        if (o.outcome == r.outcome) word = o.word;
    return "item\t" + std::string(word) + "\t" + (r.side == engine::Side::First ? "1" : "2") + "\t" +
           (r.folder ? "D" : "F") + "\t" + (r.deletion ? "1" : "0") + "\t" + (r.extra ? "1" : "0") + "\t" +
           State(r.before) + "\t" + State(r.after) + "\t" + r.binPath + "\t" + Number(r.recycledFrom) + "\t" +
           Number(r.recycledUntil) + "\t" + r.path + "\r\n";
}

std::string JournalEndLine(platform::FileTime ended) { return "ended\t" + Number(ended) + "\r\n"; }

std::optional<Journal> ParseJournal(std::string_view text) {
    Journal journal;
    bool first = true;
    while (!text.empty()) {
        size_t end = text.find('\n');
        // A last line without its end was cut off while it was written.
        if (end == std::string_view::npos) break;
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (first) {
            if (line != kMagic) return std::nullopt;
            first = false;
            continue;
        }
        std::vector<std::string_view> f = Fields(line);
        if (f[0] == "started" && f.size() == 3) {
            ParseNumber(f[1], journal.started);
            std::sscanf(std::string(f[2]).c_str(), "%d-%d-%d %d:%d:%d", &journal.startedLocal.year,
                        &journal.startedLocal.month, &journal.startedLocal.day, &journal.startedLocal.hour,
                        &journal.startedLocal.minute, &journal.startedLocal.second);
        } else if (f[0] == "pair" && f.size() == 3) {
            journal.pairs.push_back({std::string(f[1]), std::string(f[2]), {}});
        } else if (f[0] == "item" && f.size() == 12 && !journal.pairs.empty()) {
            const OutcomeWord* o = nullptr;
            for (const OutcomeWord& w : kOutcomes)
                if (w.word == f[1]) o = &w;
            engine::ItemRecord r(Outcome::Failed, f[2] == "1" ? engine::Side::First : engine::Side::Second,
                                 std::string(f[11]), f[3] == "D", f[4] == "1");
            r.extra = f[5] == "1";
            r.binPath = std::string(f[8]);
            if (!o || !ParseState(f[6], r.before) || !ParseState(f[7], r.after) ||
                !ParseNumber(f[9], r.recycledFrom) || !ParseNumber(f[10], r.recycledUntil))
                continue;
            r.outcome = o->outcome;
            journal.pairs.back().items.push_back(std::move(r));
        } else if (f[0] == "move" && !journal.pairs.empty()) {
            if (auto r = ParseMoveLine(f)) journal.pairs.back().items.push_back(std::move(*r));
        } else if (f[0] == "ended" && f.size() == 2) {
            ParseNumber(f[1], journal.ended);
        }
    }
    if (first) return std::nullopt;
    return journal;
}

}  // namespace app
