#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/copy_in_pieces.h"
#include "platform/file_ops.h"
#include "platform/posix/posix_path.h"

// Natively the Windows attributes are approximated: read-only is a missing owner write permission,
// hidden a name starting with ".". Deleting or replacing a read-only file fails, as on Windows.
namespace platform {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

FileTime ToFileTime(const timespec& t) {
    return (static_cast<std::int64_t>(t.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond + t.tv_nsec / 100;
}

void Fill(FileInfo& info, const struct stat& st) {
    info.directory = S_ISDIR(st.st_mode);
    info.size = info.directory ? 0 : static_cast<std::int64_t>(st.st_size);
    info.lastWrite = ToFileTime(st.st_mtim);
    info.attributes = info.directory ? kAttrDirectory : kAttrArchive;
    if (!(st.st_mode & S_IWUSR)) info.attributes |= kAttrReadOnly;
    if (!info.name.empty() && info.name[0] == '.') info.attributes |= kAttrHidden;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The kernel copies without passing the data through us where the file systems allow it; read and
// write take over where it cannot (or for whatever it left), and show the error where it failed.
bool CopyBytes(int from, int to, std::int64_t size, const CopyProgress& progress) {
    std::unique_ptr<char[]> buffer;
    bool kernel = true;
    std::int64_t moved = 0;
    int error = 0;
    CopyEnd end = CopyInPieces(size, progress, [&](std::size_t piece) -> std::int64_t {
        if (kernel) {
            ssize_t n = copy_file_range(from, nullptr, to, nullptr, piece, 0);
            if (n > 0 || (n == 0 && moved >= size)) {
                moved += n;
                return n;
            }
            kernel = false;
        }
        if (!buffer) buffer = std::make_unique_for_overwrite<char[]>(CopyPace::kLargest);
        ssize_t got = ::read(from, buffer.get(), piece);
        for (ssize_t put = 0; got > 0 && put < got;) {
            ssize_t written = ::write(to, buffer.get() + put, static_cast<size_t>(got - put));
            if (written <= 0) {
                error = written < 0 ? errno : EIO;
                return -1;
            }
            put += written;
        }
        if (got < 0) error = errno;
        moved += std::max<ssize_t>(got, 0);
        return got;
    });
    if (end != CopyEnd::Done) errno = end == CopyEnd::Stopped ? ECANCELED : error;
    return end == CopyEnd::Done;
}

class PosixFileOps final : public FileOps {
public:
    bool Enumerate(std::string_view folder, const std::function<void(const FileInfo&)>& visit) override {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(PosixPath(folder).c_str()), closedir);
        if (!dir) return false;
        FileInfo info;
        for (;;) {
            // readdir tells the end of the folder from a failure only by errno.
            errno = 0;
            dirent* e = readdir(dir.get());
            if (!e) return errno == 0;
            std::string_view name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat st {};
            if (fstatat(dirfd(dir.get()), e->d_name, &st, 0) != 0 &&
                fstatat(dirfd(dir.get()), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            info.name = name;
            Fill(info, st);
            struct stat own {};
            info.link = info.directory &&
                        (e->d_type == DT_LNK ||
                         (e->d_type == DT_UNKNOWN &&
                          fstatat(dirfd(dir.get()), e->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode)));
            info.fileId = static_cast<std::uint64_t>(st.st_ino);
            visit(info);
        }
    }

    std::optional<FileInfo> Find(std::string_view path) override {
        std::string p = PosixPath(path);
        while (p.size() > 1 && p.back() == '/') p.pop_back();
        struct stat st {};
        if (stat(p.c_str(), &st) != 0) return std::nullopt;
        FileInfo info;
        info.name = p.substr(p.find_last_of('/') + 1);
        Fill(info, st);
        struct stat own {};
        info.link = info.directory && lstat(p.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        return info;
    }

    bool CopyToFile(std::string_view source, std::string_view target, const CopyProgress& progress) override {
        Descriptor from(::open(PosixPath(source).c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (from.get() < 0 || fstat(from.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        Descriptor to(::open(PosixPath(target).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (to.get() < 0) return false;
        const timespec times[2] = {st.st_atim, st.st_mtim};
        return CopyBytes(from.get(), to.get(), static_cast<std::int64_t>(st.st_size), progress) &&
               futimens(to.get(), times) == 0 && fchmod(to.get(), st.st_mode & 07777) == 0 && to.Close();
    }

    bool MoveReplacing(std::string_view from, std::string_view to) override {
        return CanReplace(to) && std::rename(PosixPath(from).c_str(), PosixPath(to).c_str()) == 0;
    }

    bool CanReplace(std::string_view path) override {
        if (!IsReadOnlyFile(PosixPath(path))) return true;
        errno = EACCES;
        return false;
    }

    bool Rename(std::string_view from, std::string_view to) override {
        std::string source = PosixPath(from), target = PosixPath(to);
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EINVAL && errno != ENOSYS) return false;
        // A file system without that rename: a second name, then the first one gone (link() refuses a
        // name that exists).
        return ::link(source.c_str(), target.c_str()) == 0 && ::unlink(source.c_str()) == 0;
    }

    bool RemoveFile(std::string_view path) override {
        std::string p = PosixPath(path);
        if (IsReadOnlyFile(p)) {
            errno = EACCES;
            return false;
        }
        return ::unlink(p.c_str()) == 0;
    }

    bool Link(std::string_view existing, std::string_view name) override {
        return ::link(PosixPath(existing).c_str(), PosixPath(name).c_str()) == 0;
    }

    // The mode stays with the file: only the name goes.
    bool RemoveName(std::string_view path) override { return ::unlink(PosixPath(path).c_str()) == 0; }

    std::optional<FileIdentity> Identity(std::string_view path) override {
        struct stat st {};
        if (stat(PosixPath(path).c_str(), &st) != 0) return std::nullopt;
        return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                            static_cast<std::uint32_t>(st.st_nlink)};
    }

    bool CreateFolder(std::string_view path) override { return ::mkdir(PosixPath(path).c_str(), 0777) == 0; }

    bool RemoveFolder(std::string_view path) override {
        // A link to a folder goes alone, as RemoveDirectoryW takes a junction away.
        std::string p = PosixPath(path);
        struct stat own {};
        if (lstat(p.c_str(), &own) == 0 && S_ISLNK(own.st_mode)) return ::unlink(p.c_str()) == 0;
        return ::rmdir(p.c_str()) == 0;
    }

    bool SetArchiveOnly(std::string_view path) override {
        std::string p = PosixPath(path);
        struct stat st {};
        return stat(p.c_str(), &st) == 0 && chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
    }

    bool FolderExists(std::string_view path) override {
        struct stat st {};
        return stat(PosixPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
};

}  // namespace

bool WaitForCopy(std::future<CopyEnd>& ended) {
    return ended.wait_for(std::chrono::milliseconds(10)) == std::future_status::ready;
}

FileOps& SystemFileOps() {
    static PosixFileOps instance;
    return instance;
}

}  // namespace platform
