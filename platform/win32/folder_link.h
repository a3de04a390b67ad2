#pragma once
// Which folders stand for other folders elsewhere.
#include <windows.h>

namespace platform {

// A folder that is a name-surrogate reparse point (a junction, a symbolic link, a mount point) names
// another folder, which may lie anywhere. Other reparse points, such as the placeholders of cloud
// storage, are the folder itself. reparseTag is WIN32_FIND_DATAW::dwReserved0, or in a directory
// listing by handle, FILE_ID_BOTH_DIR_INFO::EaSize.
constexpr bool IsFolderLink(DWORD attributes, DWORD reparseTag) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           IsReparseTagNameSurrogate(reparseTag);
}

}  // namespace platform
