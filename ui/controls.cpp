#include "ui/controls.h"

#include <uxtheme.h>
#include <windowsx.h>

#include "platform/win32/wide.h"

namespace ui {

bool IsChecked(HWND box) { return Button_GetCheck(box) == BST_CHECKED; }

void SetChecked(HWND box, bool checked) { Button_SetCheck(box, checked ? BST_CHECKED : BST_UNCHECKED); }

void FillListBox(HWND list, const std::vector<std::string>& entries) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListBox_ResetContent(list);
    for (const std::string& entry : entries) ListBox_AddString(list, platform::Widen(entry).c_str());
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::vector<size_t> SelectedEntries(HWND list) {
    int count = ListBox_GetSelCount(list);
    std::vector<int> rows(static_cast<size_t>(count > 0 ? count : 0));
    if (count > 0) ListBox_GetSelItems(list, count, rows.data());
    return std::vector<size_t>(rows.begin(), rows.end());
}

bool IsEntrySelected(HWND list, size_t index) { return ListBox_GetSel(list, static_cast<int>(index)) > 0; }

void SelectEntry(HWND list, size_t index, bool selected) {
    ListBox_SetSel(list, selected, static_cast<int>(index));
}

std::vector<std::string> ListBoxEntries(HWND list) {
    std::vector<std::string> entries;
    int count = ListBox_GetCount(list);
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(ListBox_GetTextLen(list, i)) + 1, L'\0');
        ListBox_GetText(list, i, text.data());
        entries.push_back(platform::Narrow(text.c_str()));
    }
    return entries;
}

LRESULT PageBackground(HDC dc) {
    int colour = IsAppThemed() ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(colour));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
}

}  // namespace ui
