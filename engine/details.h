#pragma once
// The detail labels under the lists: name, size and date of both copies of the selected item.
#include <string>
#include <string_view>

#include "platform/file_ops.h"

namespace engine {

struct ItemDetails {
    std::string label19, label6, label13;  // First Folder: name, size, date
    std::string label25, label22, label23;  // Second Folder: name, size, date
    bool sizeRed = false;                   // Label6 and Label22 differ
    bool dateRed = false;                   // Label13 and Label23 differ
};

// Looks text up below both folders (the window's lFolder1 and rFolder1 texts).
ItemDetails ShowItemDetails(platform::FileOps& files, std::string_view localFolder,
                            std::string_view remoteFolder, std::string_view text);

// The reset texts; the window leaves the colours as they are.
ItemDetails ClearItemDetails();

}  // namespace engine
