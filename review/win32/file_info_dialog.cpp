#include "review/win32/file_info_dialog.h"

#include <commctrl.h>

#include "engine/details.h"
#include "review/win32/file_info_ids.h"
#include "ui/window.h"

namespace review {

TfInfo::TfInfo(ui::Prompter& prompter, HWND owner, platform::FileOps& files) : ui::Dialog(prompter), files_(files) {
    CreateFramed(L"TfInfo", L"File Information", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                 WS_EX_DLGMODALFRAME, 513, 216, owner, nullptr);
    struct Copy {
        int top, heading, path, sizeCaption, size, dateCaption, date;
        const wchar_t* title;
    };
    for (Copy c : {Copy{0, ids::Label2, ids::eLocal, ids::Label4, ids::Label5, ids::Label6, ids::Label7,
                        L"Local File Information"},
                   Copy{92, ids::Label3, ids::eRemote, ids::Label8, ids::Label9, ids::Label10, ids::Label11,
                        L"Remote File Information"}}) {
        AddControl(WC_BUTTONW, L"", WS_VISIBLE | BS_GROUPBOX, {2, c.top, 509, 85}, -1);
        SetBoldFont(AddControl(WC_STATICW, c.title, WS_VISIBLE | SS_LEFT, {10, c.top + 8, 300, 14}, c.heading));
        AddControl(WC_EDITW, L"", WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, {10, c.top + 25, 493, 20}, c.path,
                   WS_EX_CLIENTEDGE);
        AddControl(WC_STATICW, L"File Size:", WS_VISIBLE | SS_LEFT, {10, c.top + 52, 60, 13}, c.sizeCaption);
        AddControl(WC_STATICW, L"0", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {72, c.top + 52, 180, 13}, c.size);
        AddControl(WC_STATICW, L"File Date:", WS_VISIBLE | SS_LEFT, {10, c.top + 68, 60, 13}, c.dateCaption);
        AddControl(WC_STATICW, L"0", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {72, c.top + 68, 250, 13}, c.date);
    }
    AddControl(WC_STATICW, L"Label1", SS_LEFT | SS_NOPREFIX, {0, 0, 0, 0}, ids::Label1);
    AddControl(WC_BUTTONW, L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {432, 184, 75, 25}, ids::BitBtn1);
    SendFramesToBack();
}

int TfInfo::ShowFor(HWND owner, const std::optional<std::string>& name, std::string firstFolder,
                    std::string secondFolder) {
    if (name) ui::SetText(Control(ids::Label1), *name);
    firstFolder_ = std::move(firstFolder);
    secondFolder_ = std::move(secondFolder);
    return ShowModal(owner);
}

void TfInfo::OnShow() {
    std::string name = ui::GetText(Control(ids::Label1));
    ui::SetText(hwnd(), "File Information for: " + name);
    ui::SetText(Control(ids::eLocal), firstFolder_ + "\\" + name);
    ui::SetText(Control(ids::eRemote), secondFolder_ + "\\" + name);
    // The same look-up as the details under the lists; this dialog marks no difference in colour.
    engine::ItemDetails details = engine::ShowItemDetails(files_, firstFolder_, secondFolder_, name);
    ui::SetText(Control(ids::Label5), details.label6);
    ui::SetText(Control(ids::Label7), details.label13);
    ui::SetText(Control(ids::Label9), details.label22);
    ui::SetText(Control(ids::Label11), details.label23);
}

LRESULT TfInfo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndModal(IDOK);
        return 0;
    }
    return ui::Dialog::HandleMessage(message, wParam, lParam);
}

}  // namespace review
