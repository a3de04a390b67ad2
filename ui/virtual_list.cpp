#include "ui/virtual_list.h"

#include <commctrl.h>

#include "platform/win32/wide.h"

namespace ui {

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
        std::wstring text = row < count_() && info->item.iSubItem == 0 ? platform::Widen(text_(row)) : L"";
        lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
    }
    return true;
}

std::vector<size_t> VirtualList::SelectedRows() const {
    std::vector<size_t> rows;
    for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
        rows.push_back(static_cast<size_t>(i));
    return rows;
}

}  // namespace ui
