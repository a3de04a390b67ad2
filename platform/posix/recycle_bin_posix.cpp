#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <unordered_map>

#include "platform/file_system.h"
#include "platform/posix/posix_path.h"
#include "platform/recycle_bin.h"

// Natively the desktop's trash stands in for the Recycle Bin: a file moves into its "files" folder
// with a note of where it came from in "info", as desktops expect.
namespace platform {

namespace {

std::string TrashFolder() { return LocalDataFolder() + "/Trash"; }

struct Note {
    std::string path, name;  // where it came from; its name in the trash
    std::time_t deleted;
    std::int64_t size;
    FileTime lastWrite;
};
using Notes = std::unordered_map<std::string, std::vector<Note>>;  // by the path each came from

// The trash's notes, each with its file's size.
Notes ReadNotes() {
    Notes notes;
    std::string info = TrashFolder() + "/info";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(info.c_str()), closedir);
    if (!dir) return notes;
    while (dirent* e = readdir(dir.get())) {
        std::string name = e->d_name;
        if (!name.ends_with(".trashinfo")) continue;
        std::ifstream in(info + "/" + name);
        std::string path;
        std::time_t deleted = 0;
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("Path=")) path = line.substr(5);
            std::tm tm{};
            if (line.starts_with("DeletionDate=") && strptime(line.c_str() + 13, "%Y-%m-%dT%H:%M:%S", &tm)) {
                tm.tm_isdst = -1;
                deleted = std::mktime(&tm);
            }
        }
        name.resize(name.size() - 10);
        struct stat st {};
        if (stat((TrashFolder() + "/files/" + name).c_str(), &st) != 0) continue;
        FileTime lastWrite = (static_cast<FileTime>(st.st_mtim.tv_sec) + 11'644'473'600) * 10'000'000 + st.st_mtim.tv_nsec / 100;
        notes[path].push_back({path, name, deleted, static_cast<std::int64_t>(st.st_size), lastWrite});
    }
    return notes;
}

// The newest note of the item described: from its path, of its size, within its window (the note keeps
// the second, in local time).
const Note* Find(const Notes& notes, const BinItem& item) {
    std::string path = PosixPath(item.path);
    size_t cut = path.find_last_of('/');
    char* parent = ::realpath(path.substr(0, cut).c_str(), nullptr);
    std::string resolved = parent ? std::string(parent) + path.substr(cut) : path;
    std::free(parent);
    auto found = notes.find(resolved);
    if (found == notes.end()) return nullptr;
    auto seconds = [](FileTime t) { return static_cast<std::time_t>(t / 10'000'000 - 11'644'473'600); };
    const Note* newest = nullptr;
    for (const Note& note : found->second)
        if (note.size == item.size && (item.lastWrite == 0 || note.lastWrite == item.lastWrite) &&
            note.deleted >= seconds(item.from) - 1 && note.deleted <= seconds(item.until) + 1 &&
            (!newest || note.deleted >= newest->deleted))
            newest = &note;
    return newest;
}

class DesktopTrash final : public RecycleBin {
public:
    BinVolume Volume(std::string_view path) override {
        BinVolume volume;
        std::string p = PosixPath(path);
        std::string parent = p.substr(0, p.find_last_of('/') + 1);
        volume.drive = parent.empty() ? "." : parent;
        struct stat item {};
        if (stat(parent.empty() ? "." : parent.c_str(), &item) != 0) return volume;
        if (!MakeTrash()) {
            volume.kind = BinVolume::Kind::Refuses;
            volume.refusal = "it has no working Recycle Bin";
            return volume;
        }
        // Only a move within one file system keeps the content where it is: elsewhere the trash is
        // no Recycle Bin of this drive.
        struct stat trash {};
        if (stat(TrashFolder().c_str(), &trash) == 0 && item.st_dev == trash.st_dev) volume.kind = BinVolume::Kind::Serves;
        return volume;
    }

    std::string PathRefusal(std::string_view) override { return {}; }

    void MoveToBin(const std::vector<std::string>& paths) override {
        if (!MakeTrash()) return;
        for (const std::string& path : paths) MoveToTrash(PosixPath(path));
    }

    // A rename into the trash either moves the file or leaves it whole.
    RecycleResult WhyStillThere(const std::string&) override { return {Recycled::Refused, {}}; }

    std::vector<bool> Holds(const std::vector<BinItem>& items) override {
        Notes notes = ReadNotes();
        std::vector<bool> held(items.size());
        for (size_t i = 0; i < items.size(); ++i) held[i] = Find(notes, items[i]) != nullptr;
        return held;
    }

    std::vector<bool> Restore(const std::vector<BinItem>& items, const std::function<bool()>& goOn) override {
        std::vector<bool> back(items.size(), false);
        Notes notes = ReadNotes();
        for (size_t i = 0; i < items.size(); ++i) {
            if (i > 0 && i % 100 == 0 && goOn && !goOn()) break;
            const Note* note = Find(notes, items[i]);
            if (!note) continue;
            std::string file = TrashFolder() + "/files/" + note->name;
            if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, PosixPath(items[i].path).c_str(), RENAME_NOREPLACE) == 0) {
                ::unlink((TrashFolder() + "/info/" + note->name + ".trashinfo").c_str());
                back[i] = true;
                notes[note->path].erase(notes[note->path].begin() + (note - notes[note->path].data()));
            }
        }
        return back;
    }

private:
    static bool MakeTrash() {
        std::string trash = TrashFolder();
        for (const std::string& folder : {LocalDataFolder(), trash, trash + "/files", trash + "/info"})
            if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
        return true;
    }

    static bool MoveToTrash(const std::string& path) {
        std::string name = path.substr(path.find_last_of('/') + 1), trash = TrashFolder();
        for (int n = 0; n < 1000; ++n) {
            std::string unique = n ? name + "." + std::to_string(n) : name;
            std::string info = trash + "/info/" + unique + ".trashinfo";
            std::FILE* note = std::fopen(info.c_str(), "wx");
            if (!note) continue;
            char when[32];
            std::time_t now = std::time(nullptr);
            std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
            char* full = ::realpath(path.c_str(), nullptr);
            std::fprintf(note, "[Trash Info]\nPath=%s\nDeletionDate=%s\n", full ? full : path.c_str(), when);
            std::free(full);
            std::fclose(note);
            if (std::rename(path.c_str(), (trash + "/files/" + unique).c_str()) == 0) return true;
            ::unlink(info.c_str());
            return false;
        }
        return false;
    }
};

}  // namespace

RecycleBin& SystemRecycleBin() {
    static DesktopTrash instance;
    return instance;
}

std::string LocalDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return data;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share";
}

std::string LastErrorText() { return std::strerror(errno); }

}  // namespace platform
