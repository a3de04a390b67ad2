#pragma once
// The registry entries under HKEY_CLASSES_ROOT that make the library Explorer's context-menu
// handler for all files: the class, its in-process server, its ProgID and the handler key.
#include <windows.h>

#include <string>

namespace shellext {

// Writes every entry for the library file at libraryPath; E_FAIL at the first that cannot be
// written, keeping those written before it.
HRESULT RegisterServer(const std::wstring& libraryPath);
// Removes the entries, passing over those that are missing.
HRESULT UnregisterServer(const std::wstring& libraryPath);

}  // namespace shellext
