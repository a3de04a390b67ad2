// Coded entries ("Docs\a.txt 5", "[Old] 1") and the result-list commands over lists made of them.
// Input lines become list entries; bytes read from the end of the input route the lines and choose
// the commands, their active list and their selection. The disk is a fake that never changes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/file_helpers.h"
#include "fuzz/fuzz_check.h"
#include "platform/collation.h"
#include "review/commands.h"

namespace {

using engine::CodedList;
using engine::ResultList;
using Texts = std::multiset<std::string>;
using Sized = std::multiset<std::pair<std::string, engine::ByteCount>>;

constexpr size_t kMaxLines = 48;

// Finds a file of a size taken from its path, or nothing; touches no disk.
class FakeFileOps final : public platform::FileOps {
public:
    bool present = false;
    static engine::ByteCount SizeOf(std::string_view path) {
        return static_cast<engine::ByteCount>(path.size()) * 7 + 3;
    }

    bool Enumerate(std::string_view, const std::function<void(const platform::FileInfo&)>&) override { return false; }
    std::optional<platform::FileInfo> Find(std::string_view path) override {
        if (!present) return std::nullopt;
        platform::FileInfo info;
        info.name = std::string(path.substr(path.rfind('\\') == std::string_view::npos ? 0 : path.rfind('\\') + 1));
        info.size = SizeOf(path);
        return info;
    }
    bool CopyToFile(std::string_view, std::string_view) override { return false; }
    bool MoveReplacing(std::string_view, std::string_view) override { return false; }
    bool CanReplace(std::string_view) override { return false; }
    bool Rename(std::string_view, std::string_view) override { return false; }
    bool RemoveFile(std::string_view) override { return false; }
    bool Link(std::string_view, std::string_view) override { return false; }
    bool RemoveName(std::string_view) override { return false; }
    std::optional<platform::FileIdentity> Identity(std::string_view) override { return std::nullopt; }
    bool CreateFolder(std::string_view) override { return false; }
    bool RemoveFolder(std::string_view) override { return false; }
    bool SetArchiveOnly(std::string_view) override { return false; }
    bool FolderExists(std::string_view) override { return false; }
};

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// The lists here hold what the scan and the commands make, where a folder's entry is in brackets.
bool Bracketed(std::string_view text) { return text.size() >= 2 && text.front() == '[' && text.back() == ']'; }
bool CodedFolder(std::string_view entry) { return entry.size() >= 2 && Bracketed(entry.substr(0, entry.size() - 2)); }

void CheckDecoded(std::string_view entry) {
    auto decoded = review::DecodeCodedEntry(entry, CodedFolder(entry));
    bool coded = entry.size() >= 3 && entry[entry.size() - 2] == ' ' &&
                 std::string_view("1256").find(entry.back()) != std::string_view::npos;
    MIRV_FUZZ_CHECK(decoded.has_value() == coded);
    if (!decoded) return;
    MIRV_FUZZ_CHECK(decoded->origin == entry.back() - '0');
    MIRV_FUZZ_CHECK(decoded->text == entry.substr(0, entry.size() - 2));
    const std::string& text = decoded->text;
    bool folder = Bracketed(text);
    MIRV_FUZZ_CHECK(decoded->folder == folder);
    MIRV_FUZZ_CHECK(decoded->bareName == (folder ? text.substr(1, text.size() - 2) : text));
}

// The two orders the lists keep must be orders: antisymmetric and reflexive.
void CheckOrder(std::string_view a, std::string_view b) {
    MIRV_FUZZ_CHECK(platform::CompareText(a, a) == 0);
    MIRV_FUZZ_CHECK(Sign(platform::CompareText(a, b)) == -Sign(platform::CompareText(b, a)));
    MIRV_FUZZ_CHECK(Sign(platform::CompareTextNoCase(a, b)) == -Sign(platform::CompareTextNoCase(b, a)));
}

Texts TextsOf(const CodedList& list) {
    Texts out;
    for (size_t i = 0; i < list.size(); ++i) out.insert(list.Text(i));
    return out;
}
Sized EntriesOf(const ResultList& list) {
    Sized out;
    for (size_t i = 0; i < list.size(); ++i) out.insert({list[i].text, list[i].size});
    return out;
}

template <class Set>
Set Minus(const Set& a, const Set& b) {
    Set out = a;
    for (const auto& x : b)
        if (auto at = out.find(x); at != out.end()) out.erase(at);
    return out;
}
template <class Set>
bool Includes(const Set& big, const Set& small) {
    return Minus(small, big).empty();
}

struct Snapshot {
    Sized result[4];
    Texts coded[4];
};

ResultList* ResultLists(engine::SyncLists& l, int k) {
    ResultList* all[] = {&l.lFileAdd1, &l.rFileAdd1, &l.lUpdate1, &l.rUpdate1};
    return all[k];
}
CodedList* CodedLists(engine::SyncLists& l, int k) {
    CodedList* all[] = {&l.ldelfile1, &l.rdelfile1, &l.lignfile1, &l.rignfile1};
    return all[k];
}
// Index among ResultLists / CodedLists of a list id.
int ResultIndex(int id) { return id == 1 ? 0 : id == 2 ? 1 : id == 5 ? 2 : id == 6 ? 3 : -1; }
int CodedIndex(int id) { return id == 7 ? 0 : id == 8 ? 1 : id == 11 ? 2 : id == 12 ? 3 : -1; }

Snapshot Take(engine::SyncLists& l) {
    Snapshot s;
    for (int k = 0; k < 4; ++k) {
        ResultList& r = *ResultLists(l, k);
        CodedList& c = *CodedLists(l, k);
        for (size_t i = 1; i < r.size(); ++i) MIRV_FUZZ_CHECK(platform::CompareText(r.Text(i - 1), r.Text(i)) <= 0);
        for (size_t i = 1; i < c.size(); ++i)
            MIRV_FUZZ_CHECK(platform::CompareTextNoCase(c.Text(i - 1), c.Text(i)) <= 0);
        s.result[k] = EntriesOf(r);
        s.coded[k] = TextsOf(c);
    }
    return s;
}

bool Same(const Snapshot& a, const Snapshot& b) {
    for (int k = 0; k < 4; ++k)
        if (a.result[k] != b.result[k] || a.coded[k] != b.coded[k]) return false;
    return true;
}

template <class List>
std::set<size_t> ValidSelection(const List& list, const std::vector<size_t>& selected) {
    std::set<size_t> valid;
    for (size_t i : selected)
        if (i < list.size()) valid.insert(i);
    return valid;
}

void CheckSetAside(engine::SyncLists& l, int active, const std::vector<size_t>& selected, bool ignore) {
    int source = ResultIndex(active);
    Snapshot before = Take(l);
    std::vector<engine::ResultEntry> sourceEntries;
    std::set<size_t> valid;
    if (source >= 0) {
        const ResultList& list = *ResultLists(l, source);
        for (size_t i = 0; i < list.size(); ++i) sourceEntries.push_back(list[i]);
        valid = ValidSelection(list, selected);
    }
    (ignore ? review::IgnoreEntries : review::DeleteEntries)(l, active, selected);
    Snapshot after = Take(l);
    if (valid.empty()) {
        MIRV_FUZZ_CHECK(Same(before, after));
        return;
    }

    // What leaves: the selection and, from an add list, whatever lies inside a selected folder.
    std::set<size_t> expected = valid;
    if (active == review::klFileAdd1 || active == review::krFileAdd1) {
        auto path = [](const engine::ResultEntry& e) { return engine::EntryPath(e.text, e.folder); };
        for (size_t s : valid) {
            if (!sourceEntries[s].folder) continue;
            std::string inside = std::string(path(sourceEntries[s])) + "\\";
            for (size_t i = 0; i < sourceEntries.size(); ++i)
                if (path(sourceEntries[i]).starts_with(inside)) expected.insert(i);
        }
    }
    Sized gone;
    Texts coded;
    for (size_t i : expected) {
        gone.insert({sourceEntries[i].text, sourceEntries[i].size});
        coded.insert(sourceEntries[i].text + " " + std::to_string(active));
    }
    MIRV_FUZZ_CHECK(after.result[source] == Minus(before.result[source], gone));
    // An add entry goes to the side where the item exists; an update entry to both sides.
    int left = ignore ? 2 : 0, right = left + 1;
    std::set<int> targets;
    if (active != review::krFileAdd1) targets.insert(right);
    if (active != review::klFileAdd1) targets.insert(left);
    for (int k = 0; k < 4; ++k) {
        if (k != source) MIRV_FUZZ_CHECK(after.result[k] == before.result[k]);
        Texts want = before.coded[k];
        if (targets.count(k)) want.insert(coded.begin(), coded.end());
        MIRV_FUZZ_CHECK(after.coded[k] == want);
    }
}

void CheckReverse(engine::SyncLists& l, int active, const std::vector<size_t>& selected) {
    Snapshot before = Take(l);
    int source = active == review::klUpdate1 ? 2 : active == review::krUpdate1 ? 3 : -1;
    Sized moved;
    if (source >= 0)
        for (size_t i : ValidSelection(*ResultLists(l, source), selected))
            moved.insert({(*ResultLists(l, source))[i].text, (*ResultLists(l, source))[i].size});
    review::ReverseEntries(l, active, selected);
    Snapshot after = Take(l);
    if (moved.empty()) {
        MIRV_FUZZ_CHECK(Same(before, after));
        return;
    }
    int target = source == 2 ? 3 : 2;
    MIRV_FUZZ_CHECK(after.result[source] == Minus(before.result[source], moved));
    Sized grown = before.result[target];
    grown.insert(moved.begin(), moved.end());
    MIRV_FUZZ_CHECK(after.result[target] == grown);
    for (int k = 0; k < 4; ++k) {
        if (k != source && k != target) MIRV_FUZZ_CHECK(after.result[k] == before.result[k]);
        MIRV_FUZZ_CHECK(after.coded[k] == before.coded[k]);
    }
}

void CheckUndo(engine::SyncLists& l, int active, const std::vector<size_t>& selected, FakeFileOps& files,
               const std::string& first, const std::string& second) {
    Snapshot before = Take(l);
    int list = CodedIndex(active);
    // The same side's other coded list: del <-> ign.
    int other = list < 0 ? -1 : list ^ 2;
    std::vector<review::CodedEntry> undone;
    if (list >= 0)
        for (size_t i : ValidSelection(*CodedLists(l, list), selected))
            if (auto entry = review::DecodeCodedEntry(CodedLists(l, list)->Text(i), CodedLists(l, list)->Folder(i)))
                undone.push_back(*entry);
    review::UndoEntries(l, active, selected, files, first, second);
    Snapshot after = Take(l);
    if (list < 0) {
        MIRV_FUZZ_CHECK(Same(before, after));
        return;
    }

    size_t left = 0, restored = 0;
    for (int k = 0; k < 4; ++k) {
        // Coded lists only lose coded entries; result lists only gain, each sized by the copy a
        // Sync would transfer (lFileAdd1 and lUpdate1 from the Second Folder).
        MIRV_FUZZ_CHECK(Includes(before.coded[k], after.coded[k]));
        for (const std::string& gone : Minus(before.coded[k], after.coded[k])) {
            MIRV_FUZZ_CHECK(review::DecodeCodedEntry(gone, CodedFolder(gone)).has_value());
            ++left;
        }
        MIRV_FUZZ_CHECK(Includes(after.result[k], before.result[k]));
        const std::string& folder = k == 0 || k == 2 ? second : first;
        for (const auto& [text, size] : Minus(after.result[k], before.result[k])) {
            ++restored;
            bool isFolder = Bracketed(text);
            engine::ByteCount want = isFolder || !files.present ? 0 : FakeFileOps::SizeOf(folder + "\\" + text);
            MIRV_FUZZ_CHECK(size == want);
        }
    }
    // Each entry put back may take its twin along, which comes back only once.
    MIRV_FUZZ_CHECK(restored <= left && left <= 2 * restored);
    MIRV_FUZZ_CHECK(restored >= undone.size());

    // Nothing that belongs with an undone item stays in this list or the same side's other one.
    for (const review::CodedEntry& entry : undone) {
        std::set<std::string> belonging = {entry.bareName, "[" + entry.bareName + "]"};
        for (size_t cut = entry.bareName.find('\\'); cut != std::string::npos; cut = entry.bareName.find('\\', cut + 1))
            belonging.insert("[" + entry.bareName.substr(0, cut) + "]");
        for (int k : {list, other})
            for (const std::string& text : after.coded[k])
                if (auto stayed = review::DecodeCodedEntry(text, CodedFolder(text)))
                    MIRV_FUZZ_CHECK(belonging.count(stayed->text) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckDecoded(bytes);
    FuzzedDataProvider control(data, size);

    std::vector<std::string> lines;
    for (std::string_view rest = bytes; !rest.empty() && lines.size() < kMaxLines;) {
        size_t end = rest.find('\n');
        lines.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    for (const std::string& line : lines) CheckDecoded(line);
    for (size_t i = 0; i < lines.size() && i < 12; ++i)
        for (size_t j = 0; j < lines.size() && j < 12; ++j) CheckOrder(lines[i], lines[j]);

    // A line goes where the commands would have put it, unless the routing byte says otherwise.
    engine::SyncLists l;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        auto route = control.ConsumeIntegral<std::uint8_t>();
        if (route >= 0x80) {
            int k = route % 8;
            if (k < 4) ResultLists(l, k)->Add({line, static_cast<engine::ByteCount>(line.size()), Bracketed(line)});
            else CodedLists(l, k - 4)->Add(line, CodedFolder(line));
            continue;
        }
        bool folder = CodedFolder(line);
        auto entry = review::DecodeCodedEntry(line, folder);
        int base = n % 2 == 0 ? 0 : 2;  // delete or ignore lists
        if (!entry)
            ResultLists(l, static_cast<int>(n % 4))
                ->Add({line, static_cast<engine::ByteCount>(line.size()), Bracketed(line)});
        else if (entry->origin == review::klFileAdd1) CodedLists(l, base + 1)->Add(line, folder);
        else if (entry->origin == review::krFileAdd1) CodedLists(l, base)->Add(line, folder);
        else {
            CodedLists(l, base)->Add(line, folder);
            CodedLists(l, base + 1)->Add(line, folder);
        }
    }

    FakeFileOps files;
    const std::string first = "C:\\First", second = "D:\\Second";
    constexpr int kLists[] = {review::klFileAdd1, review::krFileAdd1, review::klUpdate1, review::krUpdate1,
                              review::kldelfile1, review::krdelfile1, review::klignfile1, review::krignfile1,
                              review::kNoList, 3, 13, -1};
    int steps = control.ConsumeIntegralInRange(1, 6);
    for (int step = 0; step < steps; ++step) {
        int command = control.ConsumeIntegralInRange(0, 3);
        int active = control.PickValueInArray(kLists);
        files.present = control.ConsumeBool();
        std::vector<size_t> selected;
        for (int count = control.ConsumeIntegralInRange(0, 6); count > 0; --count)
            selected.push_back(control.ConsumeBool() ? control.ConsumeIntegralInRange<size_t>(0, 2 * kMaxLines)
                                                     : control.ConsumeIntegral<size_t>());
        switch (command) {
            case 0: CheckSetAside(l, active, selected, false); break;
            case 1: CheckSetAside(l, active, selected, true); break;
            case 2: CheckReverse(l, active, selected); break;
            default: CheckUndo(l, active, selected, files, first, second); break;
        }
    }
    return 0;
}
