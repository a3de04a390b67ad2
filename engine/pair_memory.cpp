#include "engine/pair_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "engine/caption_index.h"
#include "engine/evaluate.h"
#include "engine/name_key.h"

namespace engine {

namespace {

// The first version kept 24 bytes an item and no volumes; its memories read as none.
constexpr std::string_view kMagic = "MIRVMEM2", kFirstVersion = "MIRVMEM1";
constexpr size_t kItemBytes = 32;

// FNV-1a: the same key in every version of the program, on every machine, for the same name.
std::uint64_t Hash(std::string_view text, std::uint64_t hash = 0xcbf29ce484222325ull) {
    for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
    return hash;
}

std::string Folded(std::string_view path) {
    std::string folded = NameKey(path);
    if (!folded.empty() && folded.back() == '\\') folded.pop_back();
    return folded;
}

template <class T>
void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T>
bool Take(std::string_view& in, T& value) {
    if (in.size() < sizeof value) return false;
    std::memcpy(&value, in.data(), sizeof value);
    in.remove_prefix(sizeof value);
    return true;
}

void PutText(std::string& out, std::string_view text) {
    Put(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

bool TakeText(std::string_view& in, std::string& text) {
    std::uint32_t n = 0;
    if (!Take(in, n) || in.size() < n) return false;
    text.assign(in.substr(0, n));
    in.remove_prefix(n);
    return true;
}

}  // namespace

std::uint64_t PairMemory::KeyOf(std::string_view caption, bool folder) {
    std::uint64_t hash = IsAscii(caption) ? Hash(caption) : Hash(NameKey(caption));
    // A file "[notes]" and a folder notes share a caption.
    return folder ? hash ^ 0x9E3779B97F4A7C15ull : hash;
}

std::uint64_t PairMemory::KeyOfPath(std::string_view relative, bool folder) {
    return KeyOf(NameKey(folder ? "[" + std::string(relative) + "]" : std::string(relative)), folder);
}

PairMemory::Item PairMemory::InStep(const ItemList& local, size_t l, const ItemList& remote, size_t r) {
    bool folder = local.Folder(l);
    return {KeyOf(local.Caption(l), folder), folder ? 0 : local.LastWrite(l), folder ? -1 : local.Size(l),
            {local.Identity(l), remote.Identity(r)}};
}

size_t PairMemory::Locate(std::uint64_t key) const {
    // The keys are hashes, spread evenly over their range: the first guess lands near the place, and
    // the search widens from there, touching little memory.
    const size_t n = sorted_;
    if (n == 0) return 0;
    size_t guess = static_cast<size_t>(((key >> 32) * static_cast<std::uint64_t>(n)) >> 32);
    size_t lo = guess, hi = guess + 1;
    for (size_t step = 1; lo > 0 && items_[lo].key > key; step *= 2) lo = guess >= step ? guess - step : 0;
    for (size_t step = 1; hi < n && items_[hi - 1].key < key; step *= 2) hi = std::min(n, guess + 1 + step);
    auto at = std::lower_bound(items_.begin() + static_cast<std::ptrdiff_t>(lo), items_.begin() + static_cast<std::ptrdiff_t>(hi),
                               key, [](const Item& a, std::uint64_t k) { return a.key < k; });
    return static_cast<size_t>(at - items_.begin());
}

const PairMemory::Item* PairMemory::Find(std::uint64_t key) const {
    size_t at = Locate(key);
    return at < sorted_ && items_[at].key == key ? &items_[at] : nullptr;
}

bool PairMemory::Unchanged(const ItemList& list, size_t i, const Item& remembered, bool ignoreHour) {
    if (remembered.size < 0) return list.Folder(i);
    if (list.Folder(i) || list.Size(i) != remembered.size) return false;
    int order = platform::CompareItemTimes(list.Time(i), list.LastWrite(i), platform::PackFileTime(remembered.lastWrite),
                                           remembered.lastWrite);
    return order == 0 || (ignoreHour && OneHourApart(list.LastWrite(i), remembered.lastWrite));
}

void PairMemory::BeginEvaluation() {
    seen_.assign(items_.size(), false);
    added_.clear();
    evaluating_ = true;
}

void PairMemory::Keep(const Item* remembered) {
    if (evaluating_) seen_[static_cast<size_t>(remembered - items_.data())] = true;
}

void PairMemory::Remember(const Item& now) {
    size_t at = Locate(now.key);
    if (!evaluating_ || at >= sorted_ || items_[at].key != now.key) {
        added_.push_back(now);
        return;
    }
    items_[at] = now;
    seen_[at] = true;
}

void PairMemory::Seal() {
    auto byKey = [](const Item& a, const Item& b) { return a.key < b.key; };
    if (evaluating_) {
        size_t kept = 0;
        for (size_t i = 0; i < sorted_; ++i)
            if (seen_[i]) items_[kept++] = items_[i];
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept), items_.begin() + static_cast<std::ptrdiff_t>(sorted_));
        sorted_ = kept;
        items_.insert(items_.end(), added_.begin(), added_.end());
        std::vector<bool>().swap(seen_);
        std::vector<Item>().swap(added_);
        evaluating_ = false;
    }
    // Only what came since the last seal is sorted, then merged in: a memory mostly as it was costs
    // little, and no second copy of it is made.
    auto tail = items_.begin() + static_cast<std::ptrdiff_t>(sorted_);
    std::stable_sort(tail, items_.end(), byKey);
    std::inplace_merge(items_.begin(), tail, items_.end(), byKey);
    // The last of equal keys is the newest word on the item.
    auto last = std::unique(items_.rbegin(), items_.rend(), [](const Item& a, const Item& b) { return a.key == b.key; });
    items_.erase(items_.begin(), last.base());
    sorted_ = items_.size();
}

void PairMemory::Apply(const std::vector<ItemRecord>& records, const ItemList& local, const ItemList& remote) {
    struct Decision {
        std::optional<Item> now;
        bool gone = false, notDone = false;
    };
    // The sources' identities, looked up by path once a copy asks.
    std::optional<CaptionIndex> indexes[2];
    auto sourceIdentity = [&](const ItemRecord& r) -> std::uint32_t {
        int source = r.side == Side::First ? 1 : 0;
        const ItemList& list = source == 0 ? local : remote;
        if (!indexes[source]) indexes[source].emplace(list);
        size_t i = indexes[source]->Find(NameKey(r.path), false);
        return i == kNone ? 0 : list.Identity(i);
    };
    std::unordered_map<std::uint64_t, Decision> decisions;
    for (const ItemRecord& r : records) {
        std::uint64_t key = KeyOfPath(r.path, r.folder);
        Decision& d = decisions[key];
        switch (r.outcome) {
        case Outcome::Copied:
        case Outcome::Replaced:
            // The copy written is a new file; the source keeps its identity.
            if (r.after.present) {
                d.now = Item{key, r.after.lastWrite, r.after.size, {0, 0}};
                d.now->identity[r.side == Side::First ? 1 : 0] = sourceIdentity(r);
            }
            break;
        case Outcome::FolderCreated: d.now = Item{key, 0, -1, {0, 0}}; break;
        case Outcome::Moved:
        case Outcome::MovedAlong: {
            // The same file on both sides, at its new place on both now: what was remembered of it
            // there goes with it, and its old place holds nothing any more.
            std::uint64_t old = KeyOfPath(r.movedFrom, r.folder);
            const Item* before = Find(old);
            d.now = Item{key, r.after.lastWrite, r.folder ? -1 : r.after.size, {0, 0}};
            if (before) std::copy(std::begin(before->identity), std::end(before->identity), d.now->identity);
            decisions[old].gone = true;
            break;
        }
        case Outcome::Recycled:
        case Outcome::Deleted:
            if (!r.extra) d.gone = true;
            break;
        default: d.notDone = true; break;  // as it was: what was remembered of it stays
        }
    }
    std::erase_if(items_, [&](const Item& item) {
        auto d = decisions.find(item.key);
        return d != decisions.end() && !d->second.notDone && (d->second.gone || d->second.now);
    });
    sorted_ = items_.size();
    for (const auto& [key, d] : decisions)
        if (!d.notDone && !d.gone && d.now) items_.push_back(*d.now);
    Seal();
}

bool PairMemory::Encode(std::string_view first, std::string_view second,
                        const std::function<bool(std::string_view)>& write) const {
    std::string out(kMagic);
    PutText(out, first);
    PutText(out, second);
    Put(out, volumes_[0]);
    Put(out, volumes_[1]);
    Put(out, static_cast<std::uint64_t>(items_.size()));
    if (!write(out)) return false;
    std::uint64_t check = 0xcbf29ce484222325ull;
    constexpr size_t kPiece = 1 << 16;
    out.clear();
    for (size_t i = 0; i < items_.size(); ++i) {
        Put(out, items_[i].key);
        Put(out, items_[i].lastWrite);
        Put(out, items_[i].size);
        Put(out, items_[i].identity[0]);
        Put(out, items_[i].identity[1]);
        if (out.size() >= kPiece || i + 1 == items_.size()) {
            check = Hash(out, check);
            if (!write(out)) return false;
            out.clear();
        }
    }
    Put(out, check);
    return write(out);
}

std::optional<PairMemory> PairMemory::Decode(std::string_view bytes, std::string_view first, std::string_view second) {
    if (!bytes.starts_with(kMagic)) return std::nullopt;
    std::string_view in = bytes.substr(kMagic.size());
    std::string storedFirst, storedSecond;
    std::uint64_t volumes[2] = {0, 0}, count = 0;
    if (!TakeText(in, storedFirst) || !TakeText(in, storedSecond) || !Take(in, volumes[0]) || !Take(in, volumes[1]) ||
        !Take(in, count))
        return std::nullopt;
    if (Folded(storedFirst) != Folded(first) || Folded(storedSecond) != Folded(second)) return std::nullopt;
    if (count > in.size() / kItemBytes || in.size() != count * kItemBytes + 8) return std::nullopt;
    std::uint64_t check = 0;
    std::memcpy(&check, in.data() + count * kItemBytes, 8);
    if (check != Hash(in.substr(0, count * kItemBytes))) return std::nullopt;
    PairMemory memory;
    memory.items_.resize(count);
    for (Item& item : memory.items_)
        Take(in, item.key), Take(in, item.lastWrite), Take(in, item.size), Take(in, item.identity[0]),
            Take(in, item.identity[1]);
    for (size_t i = 1; i < memory.items_.size(); ++i)
        if (memory.items_[i - 1].key >= memory.items_[i].key) return std::nullopt;
    memory.sorted_ = memory.items_.size();
    memory.SetVolumes(volumes[0], volumes[1]);
    return memory;
}

bool PairMemory::OlderVersion(std::string_view bytes) { return bytes.starts_with(kFirstVersion); }

std::string PairMemoryFileName(std::string_view first, std::string_view second) {
    std::uint64_t hash = Hash(Folded(second), Hash("\n", Hash(Folded(first))));
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.mem", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace engine
