#pragma once
// The library as a whole: its own file, the counts that keep it loaded, and the guard that keeps
// C++ exceptions from crossing a COM method.
#include <windows.h>

#include <new>
#include <string>

namespace shellext {

// Set once when the library is loaded.
void SetModuleHandle(HMODULE module) noexcept;
// The library's own file, as it was loaded; empty when it cannot be found.
std::wstring ModulePath();

// Changed with atomic steps from any thread; ModuleInUse reads them without a lock.
void CountObject(bool created) noexcept;
void CountLock(bool locked) noexcept;
void CountFactoryReference(bool added) noexcept;
// An object, a LockServer lock or a factory reference still lives.
bool ModuleInUse() noexcept;

// Runs a COM method's body and turns an escaping exception into its HRESULT.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace shellext
