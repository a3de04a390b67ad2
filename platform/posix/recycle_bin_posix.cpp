#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/file_system.h"
#include "platform/posix/posix_path.h"
#include "platform/recycle_bin.h"

// Natively the desktop's trash stands in for the Recycle Bin: a file moves into its "files" folder
// with a note of where it came from in "info", as desktops expect.
namespace platform {

namespace {

std::string TrashFolder() { return LocalDataFolder() + "/Trash"; }

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

    std::vector<RecycleResult> Recycle(const std::vector<std::string>& paths) override {
        std::vector<RecycleResult> results(paths.size());
        if (!MakeTrash()) return results;
        // A rename either moves the file or leaves it: each result is the system's own.
        for (size_t i = 0; i < paths.size(); ++i) {
            if (MoveToTrash(PosixPath(paths[i]))) results[i] = {Recycled::InBin, {}};
            else results[i] = {errno == EBUSY || errno == ETXTBSY ? Recycled::InUse : Recycled::Failed, LastErrorText()};
        }
        return results;
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
