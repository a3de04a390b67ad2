#pragma once
// TToDoMenu: the context-menu handler that Explorer makes for one selection. It offers one item
// and hands the work to the program: a shortcut file to open, or a folder pair collected in two
// steps through the program values "slocal" and "sremote".
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>

#include "shellext/paths.h"

namespace shellext {

class TToDoMenu final : public IShellExtInit, public IContextMenu {
public:
    // A new object for the class factory. With an outer object only IUnknown may be asked for: the
    // outer object keeps that identity and reaches the handler's interfaces through it.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv) noexcept;

    // IUnknown of the handler's interfaces: the controlling object's (the outer one when aggregated).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    // IShellExtInit
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) noexcept override;

    // IContextMenu
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                               UINT flags) noexcept override;
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* name,
                                               UINT size) noexcept override;

private:
    // The object's own identity, which holds the reference count.
    class Identity final : public IUnknown {
    public:
        explicit Identity(TToDoMenu& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
        ULONG STDMETHODCALLTYPE AddRef() noexcept override;
        ULONG STDMETHODCALLTYPE Release() noexcept override;

    private:
        TToDoMenu& owner_;
    };

    explicit TToDoMenu(IUnknown* outer) noexcept;
    ~TToDoMenu();
    // The item's text for the selection, or null when it gets none.
    const wchar_t* MenuText() const;
    bool OffersItem() const;

    Identity identity_{*this};
    IUnknown* controller_;
    std::atomic<ULONG> references_{1};
    // The single selected item, its full path whatever its length.
    std::wstring selectedPath;
    ItemKind selectedKind_ = ItemKind::None;
};

}  // namespace shellext
