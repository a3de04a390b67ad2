#include "ui/virtual_list.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/wide.h"

namespace ui {

namespace {

// The rows selected: mostly the focused one alone, which needs no walk through the list.
std::vector<size_t> Selected(HWND list) {
    std::vector<size_t> rows;
    int count = ListView_GetSelectedCount(list);
    if (count <= 0) return rows;
    int focus = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    if (count == 1 && focus >= 0 && (ListView_GetItemState(list, focus, LVIS_SELECTED) & LVIS_SELECTED)) {
        rows.push_back(static_cast<size_t>(focus));
        return rows;
    }
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0 && static_cast<int>(rows.size()) < count;
         i = ListView_GetNextItem(list, i, LVNI_SELECTED))
        rows.push_back(static_cast<size_t>(i));
    return rows;
}

void Unselect(HWND list, const std::vector<size_t>& rows) {
    for (size_t row : rows) ListView_SetItemState(list, static_cast<int>(row), 0, LVIS_SELECTED);
}

// The arrows, Page Up and Down, Home and End without Shift or Ctrl: the focus and the one selected
// row move as the list view would move them, but only the rows that were selected are unselected.
// The list view's own way unselects every row one by one, which takes a second at a million rows.
LRESULT CALLBACK Navigate(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept {
    if (message == WM_KEYDOWN && !(GetKeyState(VK_SHIFT) & 0x8000) && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        int count = ListView_GetItemCount(list);
        int focus = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
        int top = ListView_GetTopIndex(list), page = std::max(1, ListView_GetCountPerPage(list));
        int target = -1;
        switch (wParam) {
        case VK_UP: target = focus - 1; break;
        case VK_DOWN: target = focus + 1; break;
        case VK_PRIOR: target = focus > top ? top : focus - page; break;
        case VK_NEXT: target = focus < top + page - 1 ? top + page - 1 : focus + page; break;
        case VK_HOME: target = 0; break;
        case VK_END: target = count - 1; break;
        default: return DefSubclassProc(list, message, wParam, lParam);
        }
        if (count == 0) return 0;
        if (focus < 0) target = 0;
        target = std::clamp(target, 0, count - 1);
        Unselect(list, Selected(list));
        ListView_SetItemState(list, target, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(list, target);
        ListView_EnsureVisible(list, target, FALSE);
        return 0;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

VirtualList::VirtualList(HWND list, CountOf count, TextOf text, TextOf shown)
    : list_(list), count_(std::move(count)), text_(std::move(text)), shown_(shown ? std::move(shown) : text_) {
    SetWindowSubclass(list_, &Navigate, 1, 0);
}

void VirtualList::ClearSelection() { Unselect(list_, Selected(list_)); }

void VirtualList::Refresh() {
    RefreshLength();
    InvalidateRect(list_, nullptr, FALSE);
}

void VirtualList::RefreshLength() {
    size_t n = count_();
    if (static_cast<size_t>(ListView_GetItemCount(list_)) != n)
        ListView_SetItemCountEx(list_, static_cast<int>(n), LVSICF_NOSCROLL);
}

bool VirtualList::AnswerDisplayInfo(NMHDR* header) const {
    if (header->hwndFrom != list_ || header->code != LVN_GETDISPINFOW) return false;
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    if ((info->item.mask & LVIF_TEXT) && info->item.cchTextMax > 0) {
        size_t row = static_cast<size_t>(info->item.iItem);
        // The view may still show more rows than a model that has just been emptied.
        std::wstring text = row < count_() && info->item.iSubItem == 0 ? platform::Widen(shown_(row)) : L"";
        lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
    }
    return true;
}

std::vector<size_t> VirtualList::SelectedRows() const { return Selected(list_); }

}  // namespace ui
