#pragma once
// Stand-ins for the window and the disk used by the engine tests.
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/lists.h"
#include "engine/run_view.h"
#include "engine/sync_log.h"
#include "engine/totals.h"
#include "platform/file_ops.h"

namespace engine_testing {

// Records what the engine showed and asked; answers questions from a queue (No when it runs out) and
// raises the stop mark at the n-th ProcessMessages call.
class RecordingView final : public engine::RunView {
public:
    std::vector<std::string> captions;
    std::vector<int> progress;
    std::vector<std::string> questions, warnings;
    std::vector<bool> noByDefault;
    std::deque<bool> answers;
    int messageCalls = 0;
    int stopAtMessageCall = 0;  // 0: never
    bool stop = false;

    void SetStepCaption(std::string_view caption) override { captions.emplace_back(caption); }
    void SetProgress(int percent) override { progress.push_back(percent); }
    void ProcessMessages() override {
        if (++messageCalls == stopAtMessageCall) stop = true;
    }
    // Heard while work runs beside the window (no point of a step: not counted).
    std::function<void()> onKeepAlive;
    void KeepAlive() override {
        if (onKeepAlive) onKeepAlive();
    }
    bool StopRequested() const override { return stop; }
    bool AskYesNo(std::string_view text, Default preferred) override {
        questions.emplace_back(text);
        noByDefault.push_back(preferred == Default::No);
        if (answers.empty()) return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Warn(std::string_view text) override { warnings.emplace_back(text); }
};

// Keeps every record a Sync tells.
class RecordingLog final : public engine::SyncLog {
public:
    void Record(const engine::ItemRecord& record) override { records.push_back(record); }
    std::vector<engine::ItemRecord> records;
};

// The real file system with faults and a log in between.
class FaultyFileOps final : public platform::FileOps {
public:
    platform::FileOps& real = platform::SystemFileOps();
    // A copy that writes part of the file and then fails.
    std::function<bool(std::string_view source)> breakCopy = [](std::string_view) { return false; };
    // How a copy goes: as the disk makes it, or in two halves with progress told between them, and
    // then whole, or failing as a bad sector or a full disk makes a copy fail (with the system's error).
    enum class Copy { Real, Halves, ReadError, DiskFull };
    std::function<Copy(std::string_view source)> copyOf = [](std::string_view) { return Copy::Real; };
    std::function<bool(std::string_view to)> breakReplace = [](std::string_view) { return false; };
    std::function<bool(std::string_view path)> breakRemove = [](std::string_view) { return false; };
    std::function<bool(std::string_view to)> breakRename = [](std::string_view) { return false; };
    // A folder that cannot be read; a listing that breaks off after that many entries (-1: never), as
    // a share that drops; and a hook that runs just before a folder is read.
    std::function<bool(std::string_view folder)> breakEnumerate = [](std::string_view) { return false; };
    std::function<int(std::string_view folder)> breakListingAfter = [](std::string_view) { return -1; };
    std::function<void(std::string_view folder)> beforeEnumerate = [](std::string_view) {};
    // A volume that keeps no lasting file identities (FAT): every listing gives 0.
    bool noIdentities = false;
    // "copy <target>", "replace <to>", "rename <to>", "link <name>", "unlink <path>", "mkdir <path>",
    // "rm <path>", "rmdir <path>"
    std::vector<std::string> log;

    bool Enumerate(std::string_view folder, const std::function<void(const platform::FileInfo&)>& visit) override;
    std::optional<platform::FileInfo> Find(std::string_view path) override { return real.Find(path); }
    bool CopyToFile(std::string_view source, std::string_view target, const platform::CopyProgress& progress) override;
    bool MoveReplacing(std::string_view from, std::string_view to) override {
        log.push_back("replace " + std::string(to));
        return !breakReplace(to) && real.MoveReplacing(from, to);
    }
    bool CanReplace(std::string_view path) override { return real.CanReplace(path); }
    bool Rename(std::string_view from, std::string_view to) override {
        log.push_back("rename " + std::string(to));
        return !breakRename(to) && real.Rename(from, to);
    }
    bool RemoveFile(std::string_view path) override {
        log.push_back("rm " + std::string(path));
        return !breakRemove(path) && real.RemoveFile(path);
    }
    bool Link(std::string_view existing, std::string_view name) override {
        log.push_back("link " + std::string(name));
        return real.Link(existing, name);
    }
    bool RemoveName(std::string_view path) override {
        log.push_back("unlink " + std::string(path));
        return real.RemoveName(path);
    }
    std::optional<platform::FileIdentity> Identity(std::string_view path) override { return real.Identity(path); }
    bool CreateFolder(std::string_view path) override {
        log.push_back("mkdir " + std::string(path));
        return real.CreateFolder(path);
    }
    bool RemoveFolder(std::string_view path) override {
        log.push_back("rmdir " + std::string(path));
        return real.RemoveFolder(path);
    }
    bool SetArchiveOnly(std::string_view path) override { return real.SetArchiveOnly(path); }
    bool FolderExists(std::string_view path) override { return real.FolderExists(path); }
};

}  // namespace engine_testing

namespace engine_testing {

// Takes every write permission away: the read-only attribute on Windows.
inline void MakeReadOnly(const std::filesystem::path& path) {
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
}

// Adds an entry as the list commands make them from scanned entries, where a folder's text is in
// brackets ("[Old] 1", and "[Old]" once its code is stripped).
inline void AddEntry(engine::CodedList& list, std::string text) {
    bool folder = text.starts_with('[') && text.find(']') != std::string::npos;
    list.Add(std::move(text), folder);
}

// The desktop trash that stands in for the Recycle Bin in a test: natively a folder of the test's own
// (XDG_DATA_HOME set while it lives), under Wine the test run's (scripts/test sets XDG_DATA_HOME).
// The bin is asked about once at the start, as the program's first Sync asks, so Wine's shell has
// made its trash before the test looks into it.
class TestTrash {
public:
    TestTrash();
    ~TestTrash();
    TestTrash(const TestTrash&) = delete;
    TestTrash& operator=(const TestTrash&) = delete;
    // False under Wine when the run names no trash of its own: the test is to be skipped.
    bool usable() const { return !folder_.empty(); }
    // The trash folder, holding "files" and "info".
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path data_, folder_;
};

// Makes link a symbolic link to the folder target; false where the file system makes none.
bool MakeFolderLink(const std::filesystem::path& link, const std::filesystem::path& target);

// True when a copy left its temporary file anywhere below the folder.
bool HasTemporaryFiles(const std::filesystem::path& folder);

// The item lists as a Load leaves them (both sides scanned with subfolders and sorted); the plan
// lists are left alone, so a test can make its own plan over what was loaded.
engine::ByteTotals ScanSides(engine::SyncLists& lists, std::string_view localRoot, std::string_view remoteRoot,
                             platform::FileOps& files = platform::SystemFileOps());

// A Load of two folders as the run does it: scan both with subfolders, sort, evaluate.
engine::SyncLists Load(std::string_view localRoot, std::string_view remoteRoot,
                       platform::FileOps& files = platform::SystemFileOps());

}  // namespace engine_testing
