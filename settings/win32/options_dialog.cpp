#include "settings/win32/options_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include "settings/option_lists.h"
#include "settings/win32/options_ids.h"
#include "settings/win32/wizard_notice.h"
#include "ui/controls.h"
#include "ui/folder_picker.h"

namespace settings {

namespace {

constexpr int kClientWidth = 489, kClientHeight = 295;

struct Box {
    int id;
    bool Settings::*field;
    const wchar_t* caption;
};

// The startup options, top to bottom.
constexpr std::array<Box, 7> kStartupBoxes = {{
    {ids::bAutoLoad, &Settings::autoloaddata, L"Auto load data"},
    {ids::autosortdata1, &Settings::autodortdata, L"Auto sync data"},
    {ids::autoclose1, &Settings::autoclose, L"Auto close after sync"},
    {ids::startmin1, &Settings::startmin, L"Start Minimized"},
    {ids::MirrorLocal1, &Settings::mirrorlocal, L"Mirror Local Drive"},
    {ids::usestamp1, &Settings::usestamp, L"Use time stamp"},
    {ids::usesubs1, &Settings::usesubs, L"Use Subdirectories"},
}};

// The safety net of a Sync, top to bottom.
constexpr std::array<Box, 4> kSafetyBoxes = {{
    {ids::userecycle1, &Settings::userecycle, L"Move deleted and replaced files to the Recycle Bin"},
    {ids::usereport1, &Settings::usereport, L"Keep a report of every Sync"},
    {ids::ignorehour1, &Settings::ignorehour, L"Ignore time differences of exactly one hour"},
    {ids::usememory1, &Settings::usememory,
     L"Remember each Sync: deletions carry over, files changed on both sides wait on the Ignore Items page"},
}};

// Every box and the field it holds.
constexpr std::array<Box, 16> kAllBoxes = {{
    kStartupBoxes[0], kStartupBoxes[1], kStartupBoxes[2], kStartupBoxes[3], kStartupBoxes[4], kStartupBoxes[5],
    kStartupBoxes[6], kSafetyBoxes[0], kSafetyBoxes[1], kSafetyBoxes[2], kSafetyBoxes[3],
    {ids::CheckBox2, &Settings::noext, L"Use Ext Filter"},
    {ids::CheckBox3, &Settings::nofile, L"Use File Filter"},
    {ids::CheckBox4, &Settings::useext, L"Use these Ext only"},
    {ids::usemulti1, &Settings::usemulti, L"Use Multiple Directories"},
    {ids::CheckBox1, &Settings::usewiz, L"Use Multi Wizard"},
}};

}  // namespace

const std::array<TfOptions::FilterColumn, 3> TfOptions::kColumns = {{
    {ids::eel1, ids::Edit1, ids::Button1, ids::Button2, ids::CheckBox2, &Settings::eel, true},
    {ids::efl1, ids::Edit2, ids::Button4, ids::Button5, ids::CheckBox3, &Settings::efl, false},
    {ids::seo1, ids::Edit3, ids::Button6, ids::Button7, ids::CheckBox4, &Settings::seo, true},
}};

TfOptions::TfOptions(ui::Prompter& prompter, Settings& settings, app::TfMirv95& main)
    : ui::Dialog(prompter), settings_(settings), main_(main) {
    CreateFramed(L"TfOptions", L"Options Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME,
                 kClientWidth, kClientHeight, main.hwnd(), nullptr);
    CreateControls();
    std::optional<std::string> error = LoadSettings(main.state().RunPath, settings_);
    ApplyLoadedSettings();
    ShowSettings();
    if (error) prompter.ShowError(main.hwnd(), *error);
}

void TfOptions::CreateControls() {
    tabs_ = AddControl(WC_TABCONTROLW, L"", WS_VISIBLE | WS_TABSTOP, {4, 4, kClientWidth - 8, 250}, ids::Pages);
    for (const wchar_t* caption : {L"Exceptions", L"General", L"Safety"}) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(caption);
        TabCtrl_InsertItem(tabs_, TabCtrl_GetItemCount(tabs_), &item);
    }
    RECT area{dpi()(4), dpi()(4), dpi()(kClientWidth - 4), dpi()(254)};
    TabCtrl_AdjustRect(tabs_, FALSE, &area);
    int ox = MulDiv(area.left, 96, dpi().value()), oy = MulDiv(area.top, 96, dpi().value());
    CreateExceptionsPage(ox, oy);
    CreateGeneralPage(ox, oy);
    CreateSafetyPage(ox, oy);
    AddControl(WC_BUTTONW, L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {326, 263, 75, 25}, ids::BitBtn1);
    AddControl(WC_BUTTONW, L"Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {408, 263, 75, 25}, ids::bCancel);
    SendFramesToBack();
    ShowPage(0);
}

HWND TfOptions::AddToPage(int page, const wchar_t* cls, const wchar_t* text, DWORD style, ui::Rect r, int id,
                          DWORD exStyle) {
    HWND control = AddControl(cls, text, style, r, id, exStyle);
    pageControls_[static_cast<size_t>(page)].push_back(control);
    return control;
}

void TfOptions::CreateExceptionsPage(int ox, int oy) {
    auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, ui::Rect r, int id, DWORD ex = 0) {
        return AddToPage(0, cls, text, style, r, id, ex);
    };
    const wchar_t* headings[] = {L"File Ext Exception", L"File Name Exception", L"Sync these Ext only."};
    const wchar_t* addCaptions[] = {L"&Add", L"A&dd", L"A&dd"};
    const wchar_t* removeCaptions[] = {L"&Remove", L"R&emove", L"R&emove"};
    const wchar_t* switches[] = {L"Use Ext Filter", L"Use File Filter", L"Use these Ext only"};
    for (size_t i = 0; i < kColumns.size(); ++i) {
        const FilterColumn& c = kColumns[i];
        int x = ox + 4 + static_cast<int>(i) * 157, y = oy + 4, w = 151;
        SetBoldFont(add(WC_BUTTONW, headings[i], BS_GROUPBOX, {x, y, w, 196}, -1));
        add(WC_LISTBOXW, L"", WS_TABSTOP | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT, {x + 8, y + 18, w - 16, 92},
            c.list, WS_EX_CLIENTEDGE);
        HWND edit = add(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {x + 8, y + 116, w - 16, 20}, c.edit, WS_EX_CLIENTEDGE);
        SetWindowSubclass(edit, &TfOptions::FilterEditProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
        add(WC_BUTTONW, addCaptions[i], WS_TABSTOP | BS_PUSHBUTTON, {x + 8, y + 142, 64, 23}, c.add);
        add(WC_BUTTONW, removeCaptions[i], WS_TABSTOP | BS_PUSHBUTTON, {x + w - 72, y + 142, 64, 23}, c.remove);
        add(WC_BUTTONW, switches[i], WS_TABSTOP | BS_AUTOCHECKBOX, {x + 8, y + 173, w - 16, 17}, c.box);
    }
    add(WC_STATICW, L"Entries match whole extensions (.bak, *.bak) or names (thumbs.db); names may use * and ?.",
        SS_LEFT, {ox + 6, oy + 205, 3 * 157 - 10, 13}, ids::FilterHint);
}

void TfOptions::CreateGeneralPage(int ox, int oy) {
    auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, ui::Rect r, int id, DWORD ex = 0) {
        return AddToPage(1, cls, text, style, r, id, ex);
    };
    int x = ox + 4, y = oy + 4;
    add(WC_BUTTONW, L"Multiple Directory Options", BS_GROUPBOX, {x, y, 300, 212}, -1);
    add(WC_STATICW, L"First Folder List", SS_LEFT, {x + 8, y + 16, 138, 13}, -1);
    add(WC_STATICW, L"Second Folder List", SS_LEFT, {x + 154, y + 16, 138, 13}, -1);
    DWORD listStyle = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    add(WC_LISTBOXW, L"", listStyle, {x + 8, y + 30, 138, 72}, ids::ldir1, WS_EX_CLIENTEDGE);
    add(WC_LISTBOXW, L"", listStyle, {x + 154, y + 30, 138, 72}, ids::rdir1, WS_EX_CLIENTEDGE);
    add(WC_STATICW, L"First Folder Path", SS_LEFT, {x + 8, y + 106, 260, 13}, -1);
    add(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {x + 8, y + 120, 258, 20}, ids::edit4, WS_EX_CLIENTEDGE);
    add(WC_BUTTONW, L"...", WS_TABSTOP | BS_PUSHBUTTON, {x + 268, y + 120, 24, 20}, ids::edit4Browse);
    add(WC_STATICW, L"Second Folder Path", SS_LEFT, {x + 8, y + 144, 260, 13}, -1);
    add(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {x + 8, y + 158, 258, 20}, ids::edit5, WS_EX_CLIENTEDGE);
    add(WC_BUTTONW, L"...", WS_TABSTOP | BS_PUSHBUTTON, {x + 268, y + 158, 24, 20}, ids::edit5Browse);
    add(WC_BUTTONW, L"A&dd", WS_TABSTOP | BS_PUSHBUTTON, {x + 8, y + 184, 60, 23}, ids::Button11);
    add(WC_BUTTONW, L"R&emove", WS_TABSTOP | BS_PUSHBUTTON, {x + 72, y + 184, 60, 23}, ids::Button12);
    add(WC_BUTTONW, L"Use Multiple Directories", WS_TABSTOP | BS_AUTOCHECKBOX, {x + 140, y + 182, 156, 15}, ids::usemulti1);
    add(WC_BUTTONW, L"Use Multi Wizard", WS_TABSTOP | BS_AUTOCHECKBOX, {x + 140, y + 197, 156, 15}, ids::CheckBox1);

    int rx = ox + 310, rw = kClientWidth - 8 - 4 - (rx - ox) - 4;
    SetBoldFont(add(WC_BUTTONW, L"Startup Options", BS_GROUPBOX, {rx, y, rw, 146}, -1));
    for (size_t i = 0; i < kStartupBoxes.size(); ++i)
        add(WC_BUTTONW, kStartupBoxes[i].caption, WS_TABSTOP | BS_AUTOCHECKBOX,
            {rx + 8, y + 17 + static_cast<int>(i) * 18, rw - 16, 16}, kStartupBoxes[i].id);
    SetBoldFont(add(WC_BUTTONW, L"Mirravel 98 Shutdown Delay", BS_GROUPBOX, {rx, y + 152, rw, 60}, -1));
    HWND delay = add(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, {rx + 8, y + 176, 48, 20}, ids::ssdelay1,
                     WS_EX_CLIENTEDGE);
    HWND spin = add(UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                    {rx + 56, y + 176, 16, 20}, ids::ssdelay1Spin);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(delay), 0);
    SendMessageW(spin, UDM_SETRANGE32, kMinDelay, kMaxDelay);
    add(WC_STATICW, L"Seconds", SS_LEFT, {rx + 64, y + 179, 60, 13}, -1);
}

void TfOptions::CreateSafetyPage(int ox, int oy) {
    auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, ui::Rect r, int id) {
        return AddToPage(2, cls, text, style, r, id);
    };
    int x = ox + 4, y = oy + 4, w = kClientWidth - 8 - 4 - 2 * (x - ox) - 4;
    // Each box, as many lines as its caption takes, with what it does for the user under it.
    struct Row {
        int captionLines;
        const wchar_t* note;
        int noteLines;
    };
    const Row rows[] = {
        {1,
         L"Old copies can be restored from there. Sticks and network drives have none: there files are deleted "
         L"as before, and the report says so.",
         2},
        {1, L"In %LOCALAPPDATA%\\Mirravel\\Reports, the last 50. File > Last Sync Report opens the newest.", 2},
        {1, L"Drives that keep local time (FAT sticks) look an hour off after a daylight-saving switch.", 1},
        {2, nullptr, 0},
    };
    constexpr int kLine = 13;
    int top = y + 20;
    for (size_t i = 0; i < kSafetyBoxes.size(); ++i) {
        const Row& row = rows[i];
        int height = row.captionLines == 1 ? 16 : row.captionLines * kLine + 2;
        add(WC_BUTTONW, kSafetyBoxes[i].caption, WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP,
            {x + 8, top, w - 16, height}, kSafetyBoxes[i].id);
        top += height + 2;
        if (row.note) add(WC_STATICW, row.note, SS_LEFT | SS_NOPREFIX, {x + 26, top, w - 34, row.noteLines * kLine}, -1);
        top += row.noteLines * kLine + 7;
    }
    add(WC_STATICW, L"File > Undo Last Sync works from each Sync's journal, which is always kept.", SS_LEFT | SS_NOPREFIX,
        {x + 8, top, w - 16, kLine}, -1);
    top += kLine + 8;
    SetBoldFont(add(WC_BUTTONW, L"When a Sync removes or replaces files", BS_GROUPBOX, {x, y, w, top - y}, -1));
}

void TfOptions::ShowPage(int page) {
    TabCtrl_SetCurSel(tabs_, page);
    for (size_t i = 0; i < pageControls_.size(); ++i)
        for (HWND control : pageControls_[i]) ShowWindow(control, static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
    // The frames of the page before are see-through: Wine leaves their lines where a gap of the new page
    // lies, unless the whole page is painted afresh.
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TfOptions::ApplyLoadedSettings() {
    // Only boxes that loading ticked have an effect, as if the user had ticked them.
    if (settings_.usesubs) main_.ShowIndicator(app::kPanelSub, true);
    if (settings_.usemulti) main_.EnterMultiDirectoryMode();
    if (settings_.autodortdata) main_.ShowIndicator(app::kPanelSync, true);
    if (settings_.autoloaddata) main_.ShowIndicator(app::kPanelLoad, true);
}

void TfOptions::ShowSettings() {
    for (const Box& box : kAllBoxes) ui::SetChecked(Control(box.id), settings_.*box.field);
    for (const FilterColumn& column : kColumns) ui::FillListBox(Control(column.list), settings_.*column.entries);
    ui::FillListBox(Control(ids::ldir1), settings_.ldir);
    ui::FillListBox(Control(ids::rdir1), settings_.rdir);
    SendDlgItemMessageW(hwnd(), ids::ssdelay1Spin, UDM_SETPOS32, 0, settings_.ssdelay);
}

void TfOptions::OnShow() { ShowSettings(); }

void TfOptions::SetWizardNotice(TfMWiz* notice) {
    notice_ = notice;
    ui::SetChecked(Control(ids::CheckBox1), settings_.usewiz);
}

void TfOptions::SetUseSubfolders(bool on) {
    settings_.usesubs = on;
    main_.ShowIndicator(app::kPanelSub, on);
}

void TfOptions::SetUseMulti(bool on) {
    if (settings_.usemulti == on) return;
    settings_.usemulti = on;
    if (on) main_.EnterMultiDirectoryMode();
    else main_.LeaveMultiDirectoryMode();
}

void TfOptions::SetAutoLoad(bool on) {
    settings_.autoloaddata = on;
    main_.ShowIndicator(app::kPanelLoad, on);
}

void TfOptions::SetAutoSync(bool on) {
    settings_.autodortdata = on;
    main_.ShowIndicator(app::kPanelSync, on);
}

void TfOptions::OnBoxClicked(int id, bool on) {
    switch (id) {
    case ids::usemulti1: SetUseMulti(on); return;
    case ids::usesubs1: SetUseSubfolders(on); return;
    case ids::bAutoLoad: SetAutoLoad(on); return;
    case ids::autosortdata1: SetAutoSync(on); return;
    case ids::CheckBox1:
        settings_.usewiz = on;
        if (notice_) notice_->SetShowWizard(on);
        return;
    case ids::CheckBox2:
    case ids::CheckBox3:
        // Only one kind of filter can be on.
        (id == ids::CheckBox2 ? settings_.noext : settings_.nofile) = on;
        if (on) {
            settings_.useext = false;
            ui::SetChecked(Control(ids::CheckBox4), false);
        }
        return;
    case ids::CheckBox4:
        settings_.useext = on;
        if (on) {
            settings_.noext = settings_.nofile = false;
            ui::SetChecked(Control(ids::CheckBox2), false);
            ui::SetChecked(Control(ids::CheckBox3), false);
        }
        return;
    }
    for (const Box& box : kAllBoxes)
        if (box.id == id) settings_.*box.field = on;
}

void TfOptions::AddFilter(const FilterColumn& column) {
    HWND edit = Control(column.edit);
    if (AddFilterEntry(settings_.*column.entries, ui::GetText(edit), column.extensions))
        ui::FillListBox(Control(column.list), settings_.*column.entries);
    ui::SetText(edit, "");
}

void TfOptions::RemoveFilter(const FilterColumn& column) {
    HWND edit = Control(column.edit);
    RemoveFilterEntries(settings_.*column.entries, ui::SelectedEntries(Control(column.list)), ui::GetText(edit));
    ui::FillListBox(Control(column.list), settings_.*column.entries);
    ui::SetText(edit, "");
}

void TfOptions::AddPair() {
    if (AddFolderPair(settings_, ui::GetText(Control(ids::edit4)), ui::GetText(Control(ids::edit5)))) {
        ui::FillListBox(Control(ids::ldir1), settings_.ldir);
        ui::FillListBox(Control(ids::rdir1), settings_.rdir);
    }
    ui::SetText(Control(ids::edit4), "");
    ui::SetText(Control(ids::edit5), "");
}

void TfOptions::RemovePairs() {
    RemoveFolderPairs(settings_, ui::SelectedEntries(Control(ids::ldir1)), ui::GetText(Control(ids::edit4)));
    ui::FillListBox(Control(ids::ldir1), settings_.ldir);
    ui::FillListBox(Control(ids::rdir1), settings_.rdir);
    ui::SetText(Control(ids::edit4), "");
    ui::SetText(Control(ids::edit5), "");
}

void TfOptions::MirrorSelection(int from, int to) {
    HWND source = Control(from), target = Control(to);
    int count = ListBox_GetCount(target);
    for (int i = 0; i < count; ++i)
        ui::SelectEntry(target, static_cast<size_t>(i), ui::IsEntrySelected(source, static_cast<size_t>(i)));
}

void TfOptions::BrowseFolder(int edit) {
    if (auto folder = ui::PickFolder(hwnd(), edit == ids::edit4 ? L"First Folder Path" : L"Second Folder Path"))
        ui::SetText(Control(edit), *folder);
}

void TfOptions::TakeDelay() {
    // The field never stores a delay outside its range, whatever was typed.
    settings_.ssdelay = ClampDelay(ui::GetText(Control(ids::ssdelay1)));
    SendDlgItemMessageW(hwnd(), ids::ssdelay1Spin, UDM_SETPOS32, 0, settings_.ssdelay);
}

void TfOptions::Confirm() {
    TakeDelay();
    if (std::optional<std::string> error = SaveSettings(main_.state().RunPath, settings_)) {
        prompter().ShowError(hwnd(), *error);
        return;
    }
    DeriveFilterValues(settings_);
    Close(IDOK);
}

void TfOptions::Close(int result) {
    ApplyClosingStep(settings_);
    EndModal(result);
}

void TfOptions::OnCommand(int id, int code) {
    for (const FilterColumn& column : kColumns) {
        if (id == column.add) return AddFilter(column);
        if (id == column.remove) return RemoveFilter(column);
    }
    switch (id) {
    case IDOK: Confirm(); return;
    case IDCANCEL: Close(IDCANCEL); return;
    case ids::Button11: AddPair(); return;
    case ids::Button12: RemovePairs(); return;
    case ids::edit4Browse: BrowseFolder(ids::edit4); return;
    case ids::edit5Browse: BrowseFolder(ids::edit5); return;
    case ids::ldir1:
        if (code == LBN_SELCHANGE) MirrorSelection(ids::ldir1, ids::rdir1);
        return;
    case ids::rdir1:
        if (code == LBN_SELCHANGE) MirrorSelection(ids::rdir1, ids::ldir1);
        return;
    case ids::ssdelay1:
        if (code == EN_CHANGE) settings_.ssdelay = ClampDelay(ui::GetText(Control(ids::ssdelay1)));
        else if (code == EN_KILLFOCUS) TakeDelay();
        return;
    }
    if (code == BN_CLICKED)
        for (const Box& box : kAllBoxes)
            if (box.id == id) return OnBoxClicked(id, ui::IsChecked(Control(id)));
}

LRESULT TfOptions::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE) ShowPage(TabCtrl_GetCurSel(tabs_));
        return 0;
    case WM_CTLCOLORSTATIC:
        // The hint stands on the bare page, outside every frame.
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == ids::FilterHint)
            return ui::PageBackground(reinterpret_cast<HDC>(wParam));
        break;
    case WM_CLOSE: Close(IDCANCEL); return 0;
    }
    return ui::Dialog::HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK TfOptions::FilterEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self) noexcept {
    // Enter in a filter field adds the typed entry; it neither beeps nor presses OK.
    auto* options = reinterpret_cast<TfOptions*>(self);
    switch (message) {
    case WM_GETDLGCODE:
        if (lParam && reinterpret_cast<MSG*>(lParam)->message == WM_KEYDOWN &&
            reinterpret_cast<MSG*>(lParam)->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            int id = GetDlgCtrlID(edit);
            for (const FilterColumn& column : kColumns)
                if (column.edit == id) options->AddFilter(column);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r') return 0;
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace settings
