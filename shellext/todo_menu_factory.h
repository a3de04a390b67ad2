#pragma once
// TToDoMenuFactory: the class factory of TToDoMenu. One instance lives as long as the library;
// the references handed out count towards keeping the library loaded.
#include <windows.h>
#include <unknwn.h>

namespace shellext {

class TToDoMenuFactory final : public IClassFactory {
public:
    // The library's one factory.
    static TToDoMenuFactory& Instance() noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    // Every call makes a new handler object.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

private:
    TToDoMenuFactory() = default;
};

}  // namespace shellext
