#include "app/open_work.h"

#include "app/sync_journal.h"
#include "app/sync_report.h"
#include "engine/leftovers.h"
#include "engine/name_key.h"
#include "platform/append_file.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace app {

namespace {

bool Below(const std::string& path, const std::vector<std::string>& roots) {
    std::string key = engine::NameKey(path);
    for (const std::string& root : roots) {
        std::string r = engine::NameKey(root);
        if (!r.empty() && r.back() != '\\') r += '\\';
        if (key.starts_with(r)) return true;
    }
    return false;
}

// Another copy of the program still running may be at work on its files: they are left to it. This
// one's own runs are over whenever a Load or an undo asks.
bool WriterAtWork(const Journal& journal) {
    return journal.process != 0 && journal.process != platform::CurrentProcessId() &&
           platform::ProcessRunning(journal.process);
}

}  // namespace

OpenWorkSummary SettleOpenWork(platform::FileOps& files, std::string_view reportFolder,
                               const std::vector<std::string>& roots) {
    OpenWorkSummary summary;
    summary.workFiles = std::make_shared<std::unordered_set<std::string>>();
    for (const std::string& path : OpenJournals(files, reportFolder)) {
        std::string text;
        if (platform::ReadWholeFile(path, text) != platform::ReadStatus::Ok) continue;
        std::optional<Journal> journal = ParseJournal(text);
        if (!journal) continue;
        bool atWork = WriterAtWork(*journal);
        std::string told;
        size_t left = 0;
        for (const Journal::Open& open : journal->open) {
            const engine::PairRecords& pair = journal->pairs[open.pair];
            engine::OpenWork work{open.intent, open.intent.side == engine::Side::First ? pair.first : pair.second,
                                  open.told};
            std::string item = work.root + "\\" + open.intent.path;
            if (atWork || !Below(item, roots)) {
                ++left;
                for (const std::string& name : {engine::TemporaryOf(work), engine::SecondNameOf(work)})
                    if (!name.empty()) summary.workFiles->insert(engine::NameKey(name));
                continue;
            }
            engine::SettledWork settled = engine::SettleWork(files, work);
            ++summary.finished;
            if (!settled.keptAs.empty()) summary.keptAs.push_back(settled.keptAs);
            if (settled.record) {
                settled.record->intent = open.id;
                told += JournalItemLine(*settled.record);
            } else {
                told += JournalDoneLine(open.id);
            }
        }
        if (!told.empty()) {
            // What came of the work goes into its own journal, where an undo of that run reads it.
            platform::AppendFile file;
            if (!file.Open(path, false) || !file.Append(told)) continue;
        }
        if (left == 0 && !atWork) files.RemoveFile(OpenMarkOf(path));
    }
    return summary;
}

}  // namespace app
