#include "engine/leftovers.h"

#include "engine/file_helpers.h"

namespace engine {

namespace {

std::string Beside(const OpenWork& work, const std::string& name) {
    if (name.empty()) return {};
    std::string path = work.root + "\\" + work.intent.path;
    return std::string(FolderPart(path)) + name;
}

bool SameFile(platform::FileOps& files, const std::string& a, const std::string& b) {
    auto x = files.Identity(a), y = files.Identity(b);
    return x && y && x->volume == y->volume && x->index == y->index;
}

// A free name beside path that tells what it holds: "report (old copy).txt".
std::string ReadableBeside(platform::FileOps& files, const std::string& path) {
    std::string_view name = NamePart(path);
    size_t dot = name.rfind('.');
    std::string_view extension = dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot);
    std::string stem(name.substr(0, name.size() - extension.size()));
    for (int n = 1;; ++n) {
        std::string candidate = std::string(FolderPart(path)) + stem + " (old copy" +
                                (n > 1 ? " " + std::to_string(n) : std::string()) + ")" + std::string(extension);
        if (!files.Find(candidate)) return candidate;
    }
}

class Settler {
public:
    Settler(platform::FileOps& files, const OpenWork& work)
        : files_(files), work_(work), path_(work.root + "\\" + work.intent.path), temporary_(TemporaryOf(work)),
          second_(SecondNameOf(work)) {}

    SettledWork Run() {
        bool placed = files_.Find(path_).has_value();
        auto second = second_.empty() ? std::nullopt : files_.Identity(second_);
        // Moved into the bin, a content keeps its second name and the bin's; alone, only its second name.
        bool inBin = second && second->links >= 2 && !(placed && SameFile(files_, path_, second_));
        switch (work_.intent.kind) {
        case WorkIntent::Kind::Copy: DropTemporary(); break;
        case WorkIntent::Kind::Remove:
            if (!second) break;
            if (inBin || placed) SecondNameGoes(placed, inBin);
            else files_.Rename(second_, path_);  // the bin did not keep it: back in its place
            if (inBin && !placed) Record(Outcome::Recycled, {});
            break;
        case WorkIntent::Kind::Replace: {
            auto copy = temporary_.empty() ? std::nullopt : files_.Find(temporary_);
            bool complete = copy && copy->size == work_.intent.copy.size && copy->lastWrite == work_.intent.copy.lastWrite;
            if (!placed) {
                // The old content left for the bin; the new one, complete, was about to take its place.
                if (complete && (!second || inBin) && files_.Rename(temporary_, path_)) {
                    if (second) files_.RemoveName(second_);
                    Record(Outcome::Replaced, ItemStateOf(files_, path_));
                    break;
                }
                DropTemporary();
                if (second) files_.Rename(second_, path_);  // the old content back in its place
                break;
            }
            DropTemporary();
            if (second) SecondNameGoes(placed, inBin);
            // The new content had taken the place, the old one is in the bin.
            if (inBin && !copy) Record(Outcome::Replaced, ItemStateOf(files_, path_));
            break;
        }
        }
        return std::move(result_);
    }

private:
    // A second name of what is in place or in the bin goes; a content only it holds, beside a place
    // that another file has taken, stays under a name the user can read.
    void SecondNameGoes(bool placed, bool inBin) {
        if (inBin || (placed && SameFile(files_, path_, second_))) {
            files_.RemoveName(second_);
            return;
        }
        std::string readable = ReadableBeside(files_, path_);
        if (files_.Rename(second_, readable)) result_.keptAs = readable;
    }

    void DropTemporary() {
        if (!temporary_.empty() && files_.Find(temporary_)) DiscardCopy(files_, temporary_);
    }

    void Record(Outcome outcome, ItemState after) {
        ItemRecord record(outcome, work_.intent.side, work_.intent.path, false,
                          work_.intent.kind == WorkIntent::Kind::Remove, "finished after the run was cut off");
        record.before = work_.intent.before;
        record.after = after;
        record.binPath = path_;
        record.recycledFrom = work_.told;
        record.recycledUntil = platform::CurrentFileTime();
        result_.record = std::move(record);
    }

    platform::FileOps& files_;
    const OpenWork& work_;
    std::string path_, temporary_, second_;
    SettledWork result_;
};

}  // namespace

std::string TemporaryOf(const OpenWork& work) { return Beside(work, work.intent.temporary); }
std::string SecondNameOf(const OpenWork& work) { return Beside(work, work.intent.second); }

SettledWork SettleWork(platform::FileOps& files, const OpenWork& work) { return Settler(files, work).Run(); }

}  // namespace engine
