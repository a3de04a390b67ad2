// The library's entry points: the four exports of an in-process COM server, and DllMain, which
// only notes the library's own module handle.
#include <windows.h>
#include <olectl.h>

#include "shellext/class_id.h"
#include "shellext/module.h"
#include "shellext/registration.h"
#include "shellext/todo_menu_factory.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        shellext::SetModuleHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// The SDK declares these without noexcept; their bodies throw nothing.
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, shellext::kToDoMenuClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return shellext::TToDoMenuFactory::Instance().QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return shellext::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() {
    return shellext::Guarded([] { return shellext::RegisterServer(shellext::ModulePath()); });
}

STDAPI DllUnregisterServer() {
    return shellext::Guarded([] { return shellext::UnregisterServer(shellext::ModulePath()); });
}
