#include "platform/win32/wide.h"

#include <windows.h>

namespace platform {

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// An absolute path that Windows would take as it stands: a drive ("C:\...") or a share
// ("\\server\share\..."), backslashes only (one may end it), no empty name, no "." or "..". Its names
// are the file system's own, as a scan found them: GetFullPathNameW would cut a trailing dot or blank
// from them ("notes." to "notes") and so name another file.
bool IsPlainAbsolute(std::wstring_view path) {
    size_t start = 0;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') start = 3;
    else if (path.size() > 2 && path.starts_with(L"\\\\") && path[2] != L'?' && path[2] != L'.') start = 2;
    else return false;
    if (path.find(L'/') != std::wstring_view::npos) return false;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) end = path.size();
        std::wstring_view name = path.substr(start, end - start);
        if (name.empty() || name == L"." || name == L"..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

std::wstring FullPathName(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), n, full.data(), nullptr));
    return full;
}

std::wstring DecodeCodePage(std::string_view bytes, unsigned codePage) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::wstring Widen(std::string_view utf8) { return DecodeCodePage(utf8, CP_UTF8); }

std::string Narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring LongPath(std::string_view path) {
    std::wstring wide = Widen(path);
    if (wide.starts_with(L"\\\\?\\")) return wide;
    if (!IsPlainAbsolute(wide)) {
        std::wstring full = FullPathName(wide);
        if (full.empty()) return wide;
        wide = std::move(full);
    }
    if (wide.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + wide.substr(2);
    return L"\\\\?\\" + wide;
}

}  // namespace platform
