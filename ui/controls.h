#pragma once
// Small helpers over the standard controls, in UTF-8.
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

bool IsChecked(HWND box);
void SetChecked(HWND box, bool checked);

// List boxes with several selectable entries.
void FillListBox(HWND list, const std::vector<std::string>& entries);
std::vector<size_t> SelectedEntries(HWND list);
bool IsEntrySelected(HWND list, size_t index);
void SelectEntry(HWND list, size_t index, bool selected);
std::vector<std::string> ListBoxEntries(HWND list);

// The answer to WM_CTLCOLORSTATIC for a label on a tab control's page, outside any frame: the page's
// background, the window colour where a visual style draws the tab control, the face colour where it
// is classic.
LRESULT PageBackground(HDC dc);

}  // namespace ui
