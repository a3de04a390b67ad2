#pragma once
// A list view that holds no entries of its own: it asks the model for the text of each visible row,
// so a list of a million entries costs no window memory and appears at once.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {

class VirtualList {
public:
    using TextOf = std::function<std::string(size_t row)>;
    using CountOf = std::function<size_t()>;

    // Takes over the list's keyboard navigation (below). text is an entry's text, as the commands and the
    // details take it; shown, when given, what the row shows of it (the text, when not given).
    VirtualList(HWND list, CountOf count, TextOf text, TextOf shown = {});

    HWND hwnd() const { return list_; }
    // Shows the model's current length; call after the model changed.
    void Refresh();
    // Shows the model's new length, repainting only a list whose length changed: cheap enough to
    // call between every hundred entries of a long step.
    void RefreshLength();
    // Answers LVN_GETDISPINFOW for this list; false when the notification is another list's.
    bool AnswerDisplayInfo(NMHDR* header) const;
    std::vector<size_t> SelectedRows() const;
    // Unselects what is selected, row by row: asking the list to unselect every row walks all of them.
    void ClearSelection();
    std::string Text(size_t row) const { return text_(row); }

private:
    HWND list_;
    CountOf count_;
    TextOf text_, shown_;
};

}  // namespace ui
