#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/file_system.h"
#include "platform/posix/posix_path.h"
#include "platform/rewrite_in_place.h"

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

namespace {

class NewFileBeside final : public ReplacementFile {
public:
    explicit NewFileBeside(std::string target) : target_(std::move(target)), path_(target_ + ".mirv-new") {}
    ~NewFileBeside() override { Close(); }
    bool Write(std::string_view bytes) override {
        fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        while (fd_ >= 0 && !bytes.empty()) {
            ssize_t n = write(fd_, bytes.data(), bytes.size());
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return fd_ >= 0;
    }
    bool Flush() override { return fsync(fd_) == 0; }
    bool PutInPlace() override { return Close() && std::rename(path_.c_str(), target_.c_str()) == 0; }
    void Discard() override {
        Close();
        std::remove(path_.c_str());
    }

private:
    bool Close() {
        bool closed = fd_ < 0 || close(fd_) == 0;
        fd_ = -1;
        return closed;
    }
    std::string target_, path_;
    int fd_ = -1;
};

}  // namespace

bool WriteWholeFile(std::string_view path, std::string_view bytes) {
    NewFileBeside replacement(PosixPath(path));
    return ReplaceWhole(replacement, bytes);
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

std::uint64_t VolumeIdentity(std::string_view folder) {
    struct stat st {};
    if (stat(PosixPath(folder).c_str(), &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.st_dev) + 1;
}

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = tmp && *tmp ? tmp : "/tmp";
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace platform
