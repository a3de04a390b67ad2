#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/file_system.h"
#include "platform/posix/posix_path.h"

namespace platform {

ReadStatus ReadWholeFile(std::string_view path, std::string& bytes, std::size_t limit) {
    bytes.clear();
    std::string p = PosixPath(path);
    struct stat st {};
    if (stat(p.c_str(), &st) != 0) return ReadStatus::Missing;
    if (S_ISDIR(st.st_mode)) return ReadStatus::Failed;
    std::ifstream in(p, std::ios::binary);
    if (!in) return ReadStatus::Failed;
    char buffer[65536];
    while (bytes.size() < limit && in) {
        in.read(buffer, static_cast<std::streamsize>(std::min<std::size_t>(sizeof buffer, limit - bytes.size())));
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return in.bad() ? ReadStatus::Failed : ReadStatus::Ok;
}

bool WriteWholeFile(std::string_view path, std::string_view bytes) {
    std::string target = PosixPath(path);
    std::string temporary = target + ".mirv-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
    std::remove(temporary.c_str());
    return false;
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return stat(PosixPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(std::string_view path) {
    struct stat st {};
    return stat(PosixPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Natively a path names its place as written.
std::string FullFolderPath(std::string_view folder) { return std::string(folder); }

bool SetCurrentFolder(std::string_view path) { return chdir(PosixPath(path).c_str()) == 0; }

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/'));
}

bool WalkSideBySide(std::string_view, std::string_view) { return true; }

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = tmp && *tmp ? tmp : "/tmp";
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace platform
