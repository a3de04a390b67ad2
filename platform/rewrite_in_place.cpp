#include "platform/rewrite_in_place.h"

namespace platform {

bool ReplaceWhole(ReplacementFile& file, std::string_view bytes) {
    if (file.Write(bytes) && file.Flush() && file.PutInPlace()) return true;
    file.Discard();
    return false;
}

bool RewriteInPlace(RewritableFile& file, std::string_view bytes) {
    std::string old;
    if (!file.ReadAll(old)) return false;
    if (bytes.size() > old.size() && !file.SetSize(bytes.size())) {
        file.SetSize(old.size());
        return false;
    }
    if (file.WriteAt(0, bytes) && file.SetSize(bytes.size()) && file.Flush()) return true;
    file.WriteAt(0, old);
    file.SetSize(old.size());
    file.Flush();
    return false;
}

}  // namespace platform
