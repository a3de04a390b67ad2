#pragma once
// The one class the library serves: its fixed identifier and the names its registration uses.
#include <windows.h>

namespace shellext {

inline constexpr CLSID kToDoMenuClassId = {
    0xc26720e0, 0x4c51, 0x4288, {0x91, 0x3e, 0x93, 0x90, 0xee, 0xe2, 0x9d, 0xb0}};
// The registry text form of kToDoMenuClassId.
inline constexpr wchar_t kToDoMenuClassIdText[] = L"{C26720E0-4C51-4288-913E-9390EEE29DB0}";
inline constexpr wchar_t kClassName[] = L"ToDoMenu";
inline constexpr wchar_t kDescription[] = L"ToDoMenu Shell Extension";

}  // namespace shellext
