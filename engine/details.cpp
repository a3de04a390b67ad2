#include "engine/details.h"

namespace engine {

namespace {

void Describe(platform::FileOps& files, std::string_view folder, std::string_view text, std::string& name,
              std::string& size, std::string& date) {
    std::string path = std::string(folder) + "\\" + std::string(text);
    if (auto info = files.Find(path)) {
        name = text;
        size = std::to_string(info->size) + " Bytes";
        // To two seconds, as the lists compare it, but with the zone's rule for the file's date, as
        // other programs show it.
        std::uint32_t packed = platform::PackDosTime(platform::ToLocalTime(info->lastWrite));
        date = platform::FormatDateTime(platform::UnpackDosTime(packed));
    } else {
        name.clear();
        size = "0";
        date = "0";
    }
}

}  // namespace

ItemDetails ShowItemDetails(platform::FileOps& files, std::string_view localFolder, std::string_view remoteFolder,
                            std::string_view text) {
    ItemDetails d;
    Describe(files, localFolder, text, d.label19, d.label6, d.label13);
    Describe(files, remoteFolder, text, d.label25, d.label22, d.label23);
    d.sizeRed = d.label22 != d.label6;
    d.dateRed = d.label23 != d.label13;
    return d;
}

ItemDetails ClearItemDetails() { return ItemDetails{"", "0", "0", "", "0", "0", false, false}; }

}  // namespace engine
