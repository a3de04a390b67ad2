#include "ui/folder_picker.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include "platform/win32/wide.h"

namespace ui {

std::optional<std::string> PickFolder(HWND owner, const wchar_t* title) {
    Microsoft::WRL::ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(title);
    if (dialog->Show(owner) != S_OK) return std::nullopt;
    Microsoft::WRL::ComPtr<IShellItem> item;
    PWSTR path = nullptr;
    if (FAILED(dialog->GetResult(&item)) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) return std::nullopt;
    std::string chosen = platform::Narrow(path);
    CoTaskMemFree(path);
    return chosen;
}

}  // namespace ui
