#include "app/sync_journal.h"

#include <charconv>
#include <cstdio>

#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace app {

namespace {

using engine::Outcome;
using engine::WorkIntent;

constexpr std::string_view kMagic = "mirravel journal\t", kVersion = "2";

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

struct KindWord {
    WorkIntent::Kind kind;
    std::string_view word;
};
constexpr KindWord kKinds[] = {{WorkIntent::Kind::Copy, "copy"}, {WorkIntent::Kind::Replace, "replace"},
                               {WorkIntent::Kind::Remove, "remove"}};

std::string Number(std::int64_t n) { return std::to_string(n); }

template <class N>
bool ParseNumber(std::string_view text, N& n) {
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

std::string_view SideText(engine::Side side) { return side == engine::Side::First ? "1" : "2"; }
engine::Side SideOf(std::string_view text) { return text == "1" ? engine::Side::First : engine::Side::Second; }

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
           std::string(SideText(r.side)) + "\t" + (r.folder ? "D" : "F") + "\t" + State(r.before) + "\t" +
           State(r.after) + "\t" + r.movedFrom + "\t" + r.path + "\r\n";
}

std::optional<engine::ItemRecord> ParseMoveLine(const std::vector<std::string_view>& f) {
    if (f.size() != 8 || (f[1] != "moved" && f[1] != "along")) return std::nullopt;
    engine::ItemRecord r(f[1] == "along" ? Outcome::MovedAlong : Outcome::Moved, SideOf(f[2]), std::string(f[7]),
                         f[3] == "D", false);
    r.movedFrom = std::string(f[6]);
    if (!ParseState(f[4], r.before) || !ParseState(f[5], r.after)) return std::nullopt;
    return r;
}

// An item line: 12 fields in the first version, the intent it ends after them since.
bool ParseItem(const std::vector<std::string_view>& f, engine::ItemRecord& r) {
    const OutcomeWord* o = nullptr;
    for (const OutcomeWord& w : kOutcomes)
        if (w.word == f[1]) o = &w;
    r = engine::ItemRecord(Outcome::Failed, SideOf(f[2]), std::string(f[11]), f[3] == "D", f[4] == "1");
    r.extra = f[5] == "1";
    r.binPath = std::string(f[8]);
    if (!o || !ParseState(f[6], r.before) || !ParseState(f[7], r.after) || !ParseNumber(f[9], r.recycledFrom) ||
        !ParseNumber(f[10], r.recycledUntil) || (f.size() == 13 && !ParseNumber(f[12], r.intent)))
        return false;
    r.outcome = o->outcome;
    return true;
}

bool ParseIntent(const std::vector<std::string_view>& f, int& id, WorkIntent& intent, platform::FileTime& told) {
    const KindWord* k = nullptr;
    for (const KindWord& w : kKinds)
        if (w.word == f[2]) k = &w;
    if (!k || !ParseNumber(f[1], id) || !ParseState(f[4], intent.before) || !ParseState(f[5], intent.copy) ||
        !ParseNumber(f[6], told))
        return false;
    intent.kind = k->kind;
    intent.side = SideOf(f[3]);
    intent.temporary = std::string(f[7]);
    intent.second = std::string(f[8]);
    intent.path = std::string(f[9]);
    return true;
}

}  // namespace

std::string JournalStartLines(platform::FileTime started, const platform::LocalTime& t, std::uint32_t process) {
    char local[32];
    std::snprintf(local, sizeof local, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return std::string(kMagic) + std::string(kVersion) + "\r\nstarted\t" + Number(started) + "\t" + local + "\t" +
           Number(process) + "\r\n";
}

std::string JournalPairLine(std::string_view first, std::string_view second) {
    return "pair\t" + std::string(first) + "\t" + std::string(second) + "\r\n";
}

std::string JournalIntentLine(int id, const engine::WorkIntent& intent, platform::FileTime told) {
    std::string_view kind;
    for (const KindWord& w : kKinds)
        if (w.kind == intent.kind) kind = w.word;
    return "intent\t" + Number(id) + "\t" + std::string(kind) + "\t" + std::string(SideText(intent.side)) + "\t" +
           State(intent.before) + "\t" + State(intent.copy) + "\t" + Number(told) + "\t" + intent.temporary + "\t" +
           intent.second + "\t" + intent.path + "\r\n";
}

std::string JournalItemLine(const engine::ItemRecord& r) {
    if (r.outcome == Outcome::Moved || r.outcome == Outcome::MovedAlong) return MoveLine(r);
    std::string_view word;
    for (const OutcomeWord& o : kOutcomes)
        if (o.outcome == r.outcome) word = o.word;
    return "item\t" + std::string(word) + "\t" + std::string(SideText(r.side)) + "\t" + (r.folder ? "D" : "F") + "\t" +
           (r.deletion ? "1" : "0") + "\t" + (r.extra ? "1" : "0") + "\t" + State(r.before) + "\t" + State(r.after) +
           "\t" + r.binPath + "\t" + Number(r.recycledFrom) + "\t" + Number(r.recycledUntil) + "\t" + r.path + "\t" +
           Number(r.intent) + "\r\n";
}

std::string JournalDoneLine(int id) { return "done\t" + Number(id) + "\r\n"; }

std::string JournalEndLine(platform::FileTime ended) { return "ended\t" + Number(ended) + "\r\n"; }

std::optional<Journal> ParseJournal(std::string_view text) {
    Journal journal;
    bool first = true;
    std::vector<Journal::Open> open;
    auto end = [&](int id) {
        std::erase_if(open, [&](const Journal::Open& o) { return o.id == id; });
    };
    while (!text.empty()) {
        size_t cut = text.find('\n');
        // A last line without its end was cut off while it was written.
        if (cut == std::string_view::npos) break;
        std::string_view line = text.substr(0, cut);
        text.remove_prefix(cut + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (first) {
            if (line != std::string(kMagic) + "1" && line != std::string(kMagic) + std::string(kVersion))
                return std::nullopt;
            first = false;
            continue;
        }
        std::vector<std::string_view> f = Fields(line);
        if (f[0] == "started" && (f.size() == 3 || f.size() == 4)) {
            ParseNumber(f[1], journal.started);
            std::sscanf(std::string(f[2]).c_str(), "%d-%d-%d %d:%d:%d", &journal.startedLocal.year,
                        &journal.startedLocal.month, &journal.startedLocal.day, &journal.startedLocal.hour,
                        &journal.startedLocal.minute, &journal.startedLocal.second);
            if (f.size() == 4) ParseNumber(f[3], journal.process);
        } else if (f[0] == "pair" && f.size() == 3) {
            journal.pairs.push_back({std::string(f[1]), std::string(f[2]), {}});
        } else if (f[0] == "intent" && f.size() == 10 && !journal.pairs.empty()) {
            Journal::Open o{journal.pairs.size() - 1, 0, {}, 0};
            if (ParseIntent(f, o.id, o.intent, o.told)) open.push_back(std::move(o));
        } else if (f[0] == "item" && (f.size() == 12 || f.size() == 13) && !journal.pairs.empty()) {
            engine::ItemRecord r(Outcome::Failed, engine::Side::First, {}, false, false);
            if (!ParseItem(f, r)) continue;
            if (r.intent) end(r.intent);
            journal.pairs.back().items.push_back(std::move(r));
        } else if (f[0] == "move" && !journal.pairs.empty()) {
            if (auto r = ParseMoveLine(f)) journal.pairs.back().items.push_back(std::move(*r));
        } else if (f[0] == "done" && f.size() == 2) {
            int id = 0;
            if (ParseNumber(f[1], id)) end(id);
        } else if (f[0] == "ended" && f.size() == 2) {
            ParseNumber(f[1], journal.ended);
        }
    }
    if (first) return std::nullopt;
    journal.open = std::move(open);
    return journal;
}

std::string OpenMarkOf(std::string_view journalPath) { return std::string(journalPath) + ".open"; }

namespace {

// Made, not forced to the disk: the run does not wait for the disk at its start or its end (under a
// heavy write that takes a second), and a mark lost to a power cut only leaves the next Load's check
// to the journal itself.
bool Mark(const std::string& path) {
    platform::AppendFile mark;
    return mark.Open(path, true);
}

}  // namespace

bool JournalWriter::Open(const std::string& path, platform::FileTime started, const platform::LocalTime& startedLocal) {
    path_ = path;
    // The mark first: a journal that names work is always found.
    marked_ = Mark(OpenMarkOf(path));
    failed_ = !marked_ || !file_.Open(path, true);
    if (!failed_) Write(JournalStartLines(started, startedLocal, platform::CurrentProcessId()));
    return !failed_;
}

void JournalWriter::Write(const std::string& lines) {
    if (!failed_ && !file_.Append(lines)) failed_ = true;
}

void JournalWriter::Pair(std::string_view first, std::string_view second) { Write(JournalPairLine(first, second)); }

int JournalWriter::Intend(const engine::WorkIntent& intent) {
    if (path_.empty()) return 0;  // never opened: a report kept in memory only
    // The Syncs of one Load run share a journal: one after an end marks it again.
    if (!failed_ && !marked_) failed_ = !(marked_ = Mark(OpenMarkOf(path_)));
    if (failed_) return 0;
    int id = next_++;
    Write(JournalIntentLine(id, intent, platform::CurrentFileTime()));
    open_.insert(id);
    return id;
}

void JournalWriter::Record(const engine::ItemRecord& record) {
    Write(JournalItemLine(record));
    open_.erase(record.intent);
}

void JournalWriter::Done(int id) {
    Write(JournalDoneLine(id));
    open_.erase(id);
}

void JournalWriter::End(platform::FileTime ended) {
    // Each line is the system's as soon as it is written; the end waits for no disk.
    Write(JournalEndLine(ended));
    if (!failed_ && open_.empty() && platform::SystemFileOps().RemoveFile(OpenMarkOf(path_))) marked_ = false;
}

}  // namespace app
