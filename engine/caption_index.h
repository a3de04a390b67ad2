#pragma once
// A hash index over the name keys of one item list: finds an item's counterpart by name the way
// Windows matches names (ordinal, ignoring case over all letters), and by kind: a file named
// "[notes]" and a folder notes share a caption but are no counterparts. Header-only so the loops that
// use it inline the probe.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/lists.h"
#include "engine/name_key.h"

namespace engine {

inline constexpr size_t kNone = static_cast<size_t>(-1);

// Open addressing. Captions are upper-cased already, so an ASCII caption is its own key; only the
// rare others are folded and kept.
class CaptionIndex {
public:
    // meanwhile, when given, runs every few thousand entries: a window lets its messages run there.
    explicit CaptionIndex(const ItemList& list, const std::function<void()>& meanwhile = {})
        : list_(list), nonAscii_(list.size()) {
        size_t capacity = 16;
        while (capacity < 2 * list.size()) capacity <<= 1;
        slots_.assign(capacity, 0);
        mask_ = capacity - 1;
        for (size_t i = 0; i < list.size(); ++i) {
            if (meanwhile && i % 4096 == 4095) meanwhile();
            std::string_view caption = list.Caption(i);
            if (!IsAscii(caption)) {
                nonAscii_[i] = true;
                folded_.emplace(i, NameKey(caption));
            }
            std::string_view key = KeyOf(i);
            bool folder = list.Folder(i);
            size_t hash = Hash(key, folder);
            size_t pos = Probe(key, folder, hash);
            if (slots_[pos]) duplicateOf_.emplace(i, Index(slots_[pos]));  // the first in list order wins
            else slots_[pos] = (Tag(hash) << 32) | (i + 1);
        }
    }

    // The first entry of that kind whose key is key; kNone when there is none.
    size_t Find(std::string_view key, bool folder) const {
        std::uint64_t slot = slots_[Probe(key, folder, Hash(key, folder))];
        return slot ? Index(slot) : kNone;
    }

    // The entry that Find returns for entry i's key.
    size_t FirstOf(size_t i) const {
        if (duplicateOf_.empty()) return i;
        auto it = duplicateOf_.find(i);
        return it == duplicateOf_.end() ? i : it->second;
    }

private:
    static size_t Hash(std::string_view key, bool folder) {
        return std::hash<std::string_view>{}(key) ^ (folder ? 0x9E3779B97F4A7C15ull : 0);
    }
    static std::uint64_t Tag(size_t hash) { return static_cast<std::uint64_t>(hash) >> 32; }
    static size_t Index(std::uint64_t slot) { return static_cast<size_t>((slot & 0xFFFFFFFF) - 1); }

    std::string_view KeyOf(size_t i) const { return nonAscii_[i] ? folded_.at(i) : list_.Caption(i); }

    // The slot holding key of that kind, or the empty slot where it belongs.
    size_t Probe(std::string_view key, bool folder, size_t hash) const {
        std::uint64_t tag = Tag(hash);
        for (size_t pos = hash & mask_;; pos = (pos + 1) & mask_) {
            std::uint64_t slot = slots_[pos];
            if (!slot || ((slot >> 32) == tag && KeyOf(Index(slot)) == key && list_.Folder(Index(slot)) == folder))
                return pos;
        }
    }

    const ItemList& list_;
    std::vector<std::uint64_t> slots_;  // hash tag << 32 | index + 1; 0 is empty
    size_t mask_ = 0;
    std::vector<bool> nonAscii_;
    std::unordered_map<size_t, std::string> folded_;
    std::unordered_map<size_t, size_t> duplicateOf_;
};

}  // namespace engine
