#include "engine/recycle.h"

#include <optional>

#include "engine/file_helpers.h"

namespace engine {

namespace {

using platform::Recycled;
using platform::RecycleResult;

class Recycler {
public:
    Recycler(platform::FileOps& files, platform::RecycleBin& bin, const std::vector<RecycleRequest>& requests)
        : files_(files), bin_(bin), requests_(requests), results_(requests.size()) {}

    std::vector<RecycleResult> Run() {
        std::vector<size_t> all(requests_.size());
        for (size_t i = 0; i < all.size(); ++i) all[i] = i;
        // A batch the shell refuses as a whole (one path it cannot take, one file in use) must not keep
        // the others out of the bin: what is still in place goes again, one at a time.
        std::vector<size_t> left = Once(all);
        if (all.size() > 1)
            for (size_t i : left) Once({i});
        for (size_t i = 0; i < requests_.size(); ++i)
            if (results_[i].result == Recycled::Failed && results_[i].error.empty() && files_.Find(requests_[i].path))
                results_[i] = bin_.WhyStillThere(requests_[i].path);
        return std::move(results_);
    }

private:
    struct Held {
        bool second = false;
        std::uint32_t links = 0;  // of the file, with its second name
        std::int64_t size = 0;
        platform::FileTime lastWrite = 0;
    };

    // Recycles the requests of which; returns those still at their places.
    std::vector<size_t> Once(const std::vector<size_t>& which) {
        platform::FileTime from = platform::CurrentFileTime();
        std::vector<Held> held(requests_.size());
        std::vector<std::string> paths;
        for (size_t i : which) {
            const RecycleRequest& r = requests_[i];
            if (auto info = files_.Find(r.path)) {
                held[i].size = info->size;
                held[i].lastWrite = info->lastWrite;
            }
            if (!r.second.empty() && files_.Link(r.path, r.second)) {
                auto identity = files_.Identity(r.second);
                held[i].second = identity.has_value();
                held[i].links = identity ? identity->links : 0;
                if (!identity) files_.RemoveName(r.second);
            }
            paths.push_back(r.path);
        }
        bin_.MoveToBin(paths);
        platform::FileTime until = platform::CurrentFileTime();

        std::vector<size_t> left, asked;
        for (size_t i : which) {
            const RecycleRequest& r = requests_[i];
            if (files_.Find(r.path)) {
                left.push_back(i);
                if (held[i].second) files_.RemoveName(r.second);
                continue;
            }
            // Moved into the bin, the file keeps all its names; deleted, it has one fewer.
            auto identity = held[i].second ? files_.Identity(r.second) : std::nullopt;
            if (identity && identity->links == held[i].links) {
                results_[i] = {Recycled::InBin, {}};
                files_.RemoveName(r.second);
            } else {
                asked.push_back(i);
            }
        }
        // Where the names cannot tell (no second name, or one fewer, as a move to another volume also
        // leaves it), the bin's listing does.
        std::vector<platform::BinItem> items;
        for (size_t i : asked) items.push_back({requests_[i].path, from, until, held[i].size, held[i].lastWrite});
        std::vector<bool> listed = items.empty() ? std::vector<bool>() : bin_.Holds(items);
        for (size_t k = 0; k < asked.size(); ++k) {
            size_t i = asked[k];
            const RecycleRequest& r = requests_[i];
            if (listed[k]) {
                results_[i] = {Recycled::InBin, {}};
                if (held[i].second) files_.RemoveName(r.second);
            } else if (!held[i].second) {
                results_[i] = {Recycled::Destroyed, {}};
            } else if (files_.Rename(r.second, r.path)) {
                results_[i] = {Recycled::Refused, {}};  // the bin did not keep it: it is back
            } else {
                results_[i] = {Recycled::Failed, "kept as " + std::string(NamePart(r.second)) + ": " +
                                                     platform::LastErrorText()};
            }
        }
        return left;
    }

    platform::FileOps& files_;
    platform::RecycleBin& bin_;
    const std::vector<RecycleRequest>& requests_;
    std::vector<RecycleResult> results_;
};

}  // namespace

std::vector<platform::RecycleResult> RecycleVerified(platform::FileOps& files, platform::RecycleBin& bin,
                                                     const std::vector<RecycleRequest>& requests) {
    if (requests.empty()) return {};
    return Recycler(files, bin, requests).Run();
}

}  // namespace engine
