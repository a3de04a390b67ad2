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
    bool Serves(std::string_view path) override {
        // Only a move within one file system keeps the content where it is.
        struct stat item {}, trash {};
        std::string p = PosixPath(path);
        std::string parent = p.substr(0, p.find_last_of('/') + 1);
        return MakeTrash() && stat(parent.empty() ? "." : parent.c_str(), &item) == 0 &&
               stat(TrashFolder().c_str(), &trash) == 0 && item.st_dev == trash.st_dev;
    }

    std::vector<bool> Recycle(const std::vector<std::string>& paths) override {
        std::vector<bool> gone(paths.size(), false);
        if (!MakeTrash()) return gone;
        for (size_t i = 0; i < paths.size(); ++i) gone[i] = MoveToTrash(PosixPath(paths[i]));
        return gone;
    }

    bool ReplaceKeeping(std::string_view from, std::string_view to, std::string_view aside) override {
        std::string target = PosixPath(to), kept = PosixPath(aside);
        struct stat st {};
        if (stat(target.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) {
            errno = EACCES;
            return false;
        }
        // A second name for the old content first; the rename then swaps in one step.
        if (::link(target.c_str(), kept.c_str()) != 0) return false;
        if (std::rename(PosixPath(from).c_str(), target.c_str()) == 0) return true;
        ::unlink(kept.c_str());
        return false;
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
