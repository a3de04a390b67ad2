#include "shellext/todo_menu_factory.h"

#include "shellext/module.h"
#include "shellext/todo_menu.h"

namespace shellext {

TToDoMenuFactory& TToDoMenuFactory::Instance() noexcept {
    static TToDoMenuFactory factory;
    return factory;
}

HRESULT TToDoMenuFactory::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

// The factory is never freed by its references; they only keep the library loaded.
ULONG TToDoMenuFactory::AddRef() noexcept {
    CountFactoryReference(true);
    return 2;
}

ULONG TToDoMenuFactory::Release() noexcept {
    CountFactoryReference(false);
    return 1;
}

HRESULT TToDoMenuFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return TToDoMenu::Create(outer, riid, ppv);
}

HRESULT TToDoMenuFactory::LockServer(BOOL lock) noexcept {
    CountLock(lock != FALSE);
    return S_OK;
}

}  // namespace shellext
