#include "shellext/todo_menu.h"

#include <shellapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#include "shellext/handles.h"
#include "shellext/module.h"
#include "shellext/program_key.h"
#include "shellext/program_start.h"

namespace shellext {

namespace {

constexpr std::string_view kHelpText = "File and Folder Synchronization Utility";
constexpr std::wstring_view kHelpTextWide = L"File and Folder Synchronization Utility";

// Copies as much as fits into a buffer of `size` characters, always zero-terminated.
template <class Char>
void CopyText(std::basic_string_view<Char> text, Char* buffer, UINT size) {
    size_t length = std::min<size_t>(text.size(), size - 1);
    std::copy_n(text.data(), length, buffer);
    buffer[length] = Char();
}

// The one selected item's kind from the shell's attributes of it, as the data object's ID list
// carries them (Explorer's data objects always have one); nothing when it has none.
std::optional<ItemKind> ShellKind(IDataObject& data, const std::wstring& path) {
    static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST));
    ScopedStorageMedium medium(data, FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    if (FAILED(medium.result()) || medium.get().tymed != TYMED_HGLOBAL) return std::nullopt;
    ScopedGlobalLock locked(medium.get().hGlobal);
    const auto* list = static_cast<const CIDA*>(locked.get());
    if (!list || locked.size() < sizeof(CIDA) + sizeof(UINT) || list->cidl != 1 ||
        list->aoffset[0] >= locked.size() || list->aoffset[1] >= locked.size())
        return std::nullopt;
    auto at = [&](UINT offset) {
        return reinterpret_cast<PCIDLIST_ABSOLUTE>(static_cast<const BYTE*>(locked.get()) + offset);
    };
    std::unique_ptr<ITEMIDLIST, decltype(&ILFree)> item(ILCombine(at(list->aoffset[0]), at(list->aoffset[1])),
                                                        &ILFree);
    Microsoft::WRL::ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_STREAM;
    if (!item || FAILED(SHBindToParent(item.get(), IID_PPV_ARGS(&parent), &child)) ||
        FAILED(parent->GetAttributesOf(1, &child, &attributes)))
        return std::nullopt;
    return KindFromShellAttributes(path, attributes);
}

HRESULT LastErrorResult() {
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace

TToDoMenu::TToDoMenu(IUnknown* outer) noexcept : controller_(outer ? outer : &identity_) { CountObject(true); }

TToDoMenu::~TToDoMenu() { CountObject(false); }

HRESULT TToDoMenu::Create(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    auto* menu = new (std::nothrow) TToDoMenu(outer);
    if (!menu) return E_OUTOFMEMORY;
    HRESULT result = menu->identity_.QueryInterface(riid, ppv);
    menu->identity_.Release();
    return result;
}

HRESULT TToDoMenu::Identity::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown))
        *ppv = static_cast<IUnknown*>(this);
    else if (IsEqualIID(riid, IID_IShellExtInit))
        *ppv = static_cast<IShellExtInit*>(&owner_);
    else if (IsEqualIID(riid, IID_IContextMenu))
        *ppv = static_cast<IContextMenu*>(&owner_);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
}

ULONG TToDoMenu::Identity::AddRef() noexcept { return ++owner_.references_; }

ULONG TToDoMenu::Identity::Release() noexcept {
    ULONG left = --owner_.references_;
    if (left == 0) delete &owner_;
    return left;
}

HRESULT TToDoMenu::QueryInterface(REFIID riid, void** ppv) noexcept { return controller_->QueryInterface(riid, ppv); }
ULONG TToDoMenu::AddRef() noexcept { return controller_->AddRef(); }
ULONG TToDoMenu::Release() noexcept { return controller_->Release(); }

HRESULT TToDoMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) noexcept {
    return Guarded([&]() -> HRESULT {
        selectedPath.clear();
        selectedKind_ = ItemKind::None;
        if (!data) return E_FAIL;
        ScopedStorageMedium medium(*data, FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        if (FAILED(medium.result())) return medium.result();
        if (medium.get().tymed != TYMED_HGLOBAL) return E_FAIL;
        auto drop = static_cast<HDROP>(medium.get().hGlobal);
        if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1) return E_FAIL;
        UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        if (length == 0) return E_FAIL;
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
        if (path.size() != length) return E_FAIL;
        selectedPath = std::move(path);
        // Telling a folder from a file must not wait on the disk: Explorer's menu waits for it.
        std::optional<ItemKind> kind = ShellKind(*data, selectedPath);
        selectedKind_ = kind ? *kind : KindOf(selectedPath);
        return S_OK;
    });
}

const wchar_t* TToDoMenu::MenuText() const {
    switch (selectedKind_) {
        case ItemKind::ShortcutFile:
            return L"M&irravel";
        case ItemKind::Folder:
            return ReadProgramValue(L"slocal").empty() ? L"S&ynchronize First Folder" : L"S&ynchronize Second Folder";
        case ItemKind::OtherFile:
        case ItemKind::None:
            break;
    }
    return nullptr;
}

bool TToDoMenu::OffersItem() const {
    return selectedKind_ == ItemKind::ShortcutFile || selectedKind_ == ItemKind::Folder;
}

HRESULT TToDoMenu::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT, UINT) noexcept {
    return Guarded([&]() -> HRESULT {
        const wchar_t* text = MenuText();
        if (!text) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        if (!InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, firstId, text)) return LastErrorResult();
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
    });
}

HRESULT TToDoMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
    return Guarded([&]() -> HRESULT {
        if (!info) return E_INVALIDARG;
        if (!IS_INTRESOURCE(info->lpVerb)) return E_FAIL;
        // A Unicode caller may name the verb only in the wide field.
        auto* wide = reinterpret_cast<CMINVOKECOMMANDINFOEX*>(info);
        if (info->cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info->fMask & CMIC_MASK_UNICODE) &&
            !IS_INTRESOURCE(wide->lpVerbW))
            return E_FAIL;
        if (LOWORD(info->lpVerb) != 0 || !OffersItem()) return E_INVALIDARG;

        ProgramFile program = FindProgram();
        if (GetKeyState(VK_SHIFT) < 0) {
            StartProgram(program);
            return S_OK;
        }
        if (selectedKind_ == ItemKind::ShortcutFile) {
            StartProgram(program, Quoted(selectedPath));
            return S_OK;
        }
        if (ReadProgramValue(L"slocal").empty()) {
            WriteProgramValue(L"slocal", selectedPath);
            return S_OK;
        }
        WriteProgramValue(L"sremote", selectedPath);
        StartProgram(program, L"-wiz");
        return S_OK;
    });
}

HRESULT TToDoMenu::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* name, UINT size) noexcept {
    if (offset != 0) return E_INVALIDARG;
    switch (type) {
        case GCS_HELPTEXTA:
            if (!name || size == 0) return E_INVALIDARG;
            CopyText(kHelpText, name, size);
            return S_OK;
        case GCS_HELPTEXTW:
            if (!name || size == 0) return E_INVALIDARG;
            CopyText(kHelpTextWide, reinterpret_cast<wchar_t*>(name), size);
            return S_OK;
        case GCS_VALIDATEA:
        case GCS_VALIDATEW:
            return OffersItem() ? S_OK : S_FALSE;
        default:
            // No language-independent verb: the help text would be taken for one.
            return E_NOTIMPL;
    }
}

}  // namespace shellext
