#include "app/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>
#include <uxtheme.h>

#include "app/folder_pair.h"
#include "engine/details.h"
#include "review/commands.h"
#include "review/win32/file_info_dialog.h"
#include "app/shortcut_file.h"
#include "app/win32/main_window_ids.h"
#include "platform/file_system.h"
#include "platform/program_values.h"
#include "platform/text.h"
#include "platform/win32/wide.h"
#include "settings/win32/wizard_notice.h"

namespace app {

namespace {

constexpr int kClientWidth = 545, kClientHeight = 361;
constexpr int kPagesHeight = 177;     // PageControl1
constexpr int kPanelTop = kPagesHeight;  // Panel1, 165 high
constexpr int kListWidth = 257, kListHeight = 121;

struct PageLayout {
    const wchar_t* caption;
    int leftList, rightList;
    const wchar_t* leftCaption;
    const wchar_t* rightCaption;
};

constexpr std::array<PageLayout, 5> kPages = {{
    {L"Add Items", ids::lFileAdd1, ids::rFileAdd1, L"First Folder Items Added from Remote",
     L"Second Folder Items Added from Local"},
    {L"Update Items", ids::lUpdate1, ids::rUpdate1, L"First Folder Items Updated from Remote",
     L"Second Folder Items updated from Local"},
    {L"Delete Items", ids::ldelfile1, ids::rdelfile1, L"First Folder Items Deleted ", L"Second Folder Items deleted "},
    {L"Ignore Items", ids::lignfile1, ids::rignfile1, L"First Folder Items Ignored", L"Second Folder Items Ignored"},
    {L"Item List", ids::lvLocal, ids::lvRemote, L"First Folder Items", L"Second Folder Items"},
}};

constexpr std::array<const char*, 5> kIndicators = {"", "Multi", "Sub", "Sync", "Load"};

bool IsCodedList(int id) { return id >= ids::ldelfile1 && id <= ids::rignfile1; }

bool IsPageCaption(int id) { return id >= ids::PageCaptions && id < ids::PageCaptions + 10; }

}  // namespace

TfMirv95::TfMirv95(ui::Prompter& prompter, const settings::Settings& settings, platform::FileOps& files)
    : ui::Window(prompter), settings_(settings), runs_(*this, state_, settings, files) {
    CreateFramed(L"TfMirv95", L"The Mirravel", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                 0, kClientWidth, kClientHeight, nullptr, CreateMainMenu());
    CreateControls();
    state_.phases.OnChange([this] {
        ApplyControlStates();
        if (!state_.phases.RunActive()) taskbar_.Clear(hwnd());
    });
    ApplyControlStates();
}

HMENU TfMirv95::CreateMainMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, ids::Load1, L"&Load Items");
    AppendMenuW(file, MF_STRING, ids::Synchronize1, L"&Synchronize");
    AppendMenuW(file, MF_STRING, ids::Options1, L"&Options");
    AppendMenuW(file, MF_STRING, ids::LastReport1, L"Last Sync &Report");
    AppendMenuW(file, MF_STRING, ids::UndoLastSync1, L"&Undo Last Sync");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ids::Exit1, L"E&xit");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, ids::Help1, L"&Help");
    AppendMenuW(help, MF_STRING, ids::About1, L"&About");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    return bar;
}

void TfMirv95::CreateControls() {
    hints_.Create(hwnd());
    CreatePages();
    CreateLowerPanel();
    CreateStatusBar();
    SendFramesToBack();
    SetActivePage(kPageItems);
}

void TfMirv95::CreatePages() {
    tabs_ = AddControl(WC_TABCONTROLW, L"", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, {0, 0, kClientWidth, kPagesHeight},
                       ids::PageControl1);
    for (const PageLayout& page : kPages) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(page.caption);
        TabCtrl_InsertItem(tabs_, TabCtrl_GetItemCount(tabs_), &item);
    }
    // The pages' origin: the tab control's display area, in 96-DPI pixels.
    RECT area{0, 0, dpi()(kClientWidth), dpi()(kPagesHeight)};
    TabCtrl_AdjustRect(tabs_, FALSE, &area);
    int ox = MulDiv(area.left, 96, dpi().value()), oy = MulDiv(area.top, 96, dpi().value());

    auto& l = state_.lists;
    auto add = [&](int id, auto& model) {
        DWORD style = WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS;
        if (IsCodedList(id)) style |= LVS_NOCOLUMNHEADER;
        const PageLayout& page = kPages[static_cast<size_t>((id - ids::lFileAdd1) / 2)];
        bool left = id == page.leftList;
        HWND list = AddControl(WC_LISTVIEWW, L"", style, {ox + (left ? 4 : 276), oy + 24, kListWidth, kListHeight},
                               id, WS_EX_CLIENTEDGE);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(L"Filename");
        RECT client{};
        GetClientRect(list, &client);
        column.cx = IsCodedList(id) ? client.right - GetSystemMetrics(SM_CXVSCROLL) : dpi()(250);
        ListView_InsertColumn(list, 0, &column);
        if (IsCodedList(id)) hints_.Set(list, "Right click for options.");
        lists_.emplace_back(list, [&model] { return model.size(); },
                            [&model](size_t row) { return std::string(model.Text(row)); },
                            [&model](size_t row) { return engine::ShownText(model, row); });
    };
    add(ids::lFileAdd1, l.lFileAdd1);
    add(ids::rFileAdd1, l.rFileAdd1);
    add(ids::lUpdate1, l.lUpdate1);
    add(ids::rUpdate1, l.rUpdate1);
    add(ids::ldelfile1, l.ldelfile1);
    add(ids::rdelfile1, l.rdelfile1);
    add(ids::lignfile1, l.lignfile1);
    add(ids::rignfile1, l.rignfile1);
    add(ids::lvLocal, l.lvLocal);
    add(ids::lvRemote, l.lvRemote);

    for (size_t i = 0; i < kPages.size(); ++i) {
        int y = oy + 6;
        AddControl(WC_STATICW, kPages[i].leftCaption, SS_LEFT | SS_NOPREFIX, {ox + 4, y, kListWidth, 14},
                   ids::PageCaptions + static_cast<int>(2 * i));
        AddControl(WC_STATICW, kPages[i].rightCaption, SS_LEFT | SS_NOPREFIX, {ox + 276, y, kListWidth, 14},
                   ids::PageCaptions + static_cast<int>(2 * i + 1));
    }
}

void TfMirv95::CreateLowerPanel() {
    const int top = kPanelTop;
    auto caption = [&](const wchar_t* text, int x, int y, int w) {
        AddControl(WC_STATICW, text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {x, top + y, w, 13}, -1);
    };
    auto value = [&](int id, const wchar_t* text, int x, int y, int w) {
        AddControl(WC_STATICW, text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, {x, top + y, w, 13}, id);
    };
    // Item details: First Folder on the left, Second Folder on the right.
    struct Side {
        int x, name, date, size, total;
    };
    for (Side s : {Side{8, ids::Label19, ids::Label13, ids::Label6, ids::lLocalSize},
                   Side{280, ids::Label25, ids::Label23, ids::Label22, ids::lRemoteSize}}) {
        caption(L"File Name:", s.x, 4, 60);
        value(s.name, L"", s.x + 62, 4, 195);
        caption(L"File Date:", s.x, 19, 60);
        value(s.date, L"0", s.x + 62, 19, 195);
        caption(L"File Size:", s.x, 34, 60);
        value(s.size, L"0", s.x + 62, 34, 195);
        caption(L"Total Size:", s.x, 49, 60);
        value(s.total, L"", s.x + 62, 49, 195);
    }
    // Folder edits in framed boxes, each with a browse button.
    struct Folder {
        int x, edit, browse;
        const wchar_t* frame;
        const char* hint;
    };
    for (Folder f : {Folder{4, ids::lFolder1, ids::lFolderBrowse, L"First Folder:", "Select the local folder"},
                     Folder{276, ids::rFolder1, ids::rFolderBrowse, L"Second Folder:", "Select the remote folder"}}) {
        AddControl(WC_BUTTONW, f.frame, WS_VISIBLE | BS_GROUPBOX, {f.x, top + 66, 265, 44}, -1);
        HWND edit = AddControl(WC_EDITW, L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, {f.x + 8, top + 83, 225, 20}, f.edit,
                               WS_EX_CLIENTEDGE);
        hints_.Set(edit, f.hint);
        HWND browse = AddControl(WC_BUTTONW, L"...", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                 {f.x + 235, top + 83, 22, 20}, f.browse);
        hints_.Set(browse, "Browse for a folder");
    }
    // The step now running and its progress.
    AddControl(WC_BUTTONW, L"", WS_VISIBLE | BS_GROUPBOX, {4, top + 108, 537, 26}, -1);
    AddControl(WC_STATICW, L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {12, top + 117, 130, 13}, ids::Label3);
    HWND bar = AddControl(PROGRESS_CLASSW, L"", WS_VISIBLE, {146, top + 117, 387, 12}, ids::pb1);
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    // Command buttons on one row; Next lies under Load and Stop under Options until a run shows them.
    auto button = [&](int id, const wchar_t* text, int x, bool visible) {
        AddControl(WC_BUTTONW, text, (visible ? WS_VISIBLE : 0) | WS_TABSTOP | BS_PUSHBUTTON, {x, top + 136, 75, 25}, id);
    };
    button(ids::bSync, L"&Sync", 8, true);
    button(ids::bLoad, L"Load", 92, true);
    button(ids::bNext, L"Next", 92, false);
    button(ids::bOptions, L"Options", 176, true);
    button(ids::bStop, L"&Stop", 176, false);
    button(ids::bExit, L"E&xit", 464, true);
    EnableWindow(Control(ids::bSync), FALSE);
}

void TfMirv95::CreateStatusBar() {
    stats_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::stats)), GetModuleHandleW(nullptr),
                             nullptr);
    SendMessageW(stats_, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
    const int widths[] = {190, 50, 50, 50, 50, 75};
    int edges[6], right = 0;
    for (int i = 0; i < 6; ++i) edges[i] = right += dpi()(widths[i]);
    SendMessageW(stats_, SB_SETPARTS, 6, reinterpret_cast<LPARAM>(edges));
    for (int i = 0; i < 6; ++i) SetPanelText(static_cast<Panel>(i), "");
}

void TfMirv95::FormCreate(const std::string& programFolder, const std::vector<std::string>& arguments) {
    // The help, the About address and the settings file come from the program's own folder only:
    // every user may change "runpath", so it is not read. The backslash keeps a drive root ("E:")
    // from meaning that drive's current folder. A folder that cannot be made current is passed
    // over: the program finds its own files by full paths.
    state_.RunPath = programFolder;
    platform::SetCurrentFolder(programFolder + "\\");

    SetUpColumns();
    CommandLine command = ParseCommandLine(arguments);
    state_.startMode = command.mode;
    state_.ShortcutPath = command.shortcutPath;
    state_.argumentCount = command.argumentCount;
    state_.firstArgument = command.firstArgument;
    state_.undoAtStart = command.undo;
    if (command.handover) {
        platform::WriteProgramValue("slocal", command.handover->first);
        platform::WriteProgramValue("sremote", command.handover->second);
    }
    ResetWindow();
    ResetTotals();
}

void TfMirv95::ResetWindow() {
    SendMessageW(Control(ids::pb1), PBM_SETPOS, 0, 0);
    SetPanelText(kPanelSynchronized, "");
    state_.lists.Clear();
    state_.plan.reset();
    state_.memory.reset();
    RefreshLists();

    // A multi-directory run places each pair in the edits before it resets the window; the pair
    // must survive. So must the pair a shortcut file put there.
    std::optional<FolderPair> kept;
    if (state_.ShortcutLoaded || settings_.usemulti)
        kept = FolderPair{FolderText(Side::First), FolderText(Side::Second)};
    StoredPairs stored{platform::ReadProgramValue("local"), platform::ReadProgramValue("remote"),
                       platform::ReadProgramValue("slocal"), platform::ReadProgramValue("sremote")};
    PairChoice choice = ChooseFolderPair(stored, kept);
    if (choice.disableLoad && !settings_.usemulti) EnableButton(Button::Load, false);
    state_.LocalFolder = choice.pair.first;
    state_.RemoteFolder = choice.pair.second;
    SetFolder(Side::First, state_.LocalFolder);
    SetFolder(Side::Second, state_.RemoteFolder);
}

void TfMirv95::ResetTotals() {
    state_.totals = {};
    state_.lists.lvLocal.SetSorted(false);
    state_.lists.lvRemote.SetSorted(false);
    ui::SetText(Control(ids::Label3), "Loading Dat");
    ui::SetText(Control(ids::Label1), "First Folder Items");
    ui::SetText(Control(ids::Label2), "Second Folder Items");
    ComputeTotals();
    SetUpColumns();
}

void TfMirv95::ComputeTotals() {
    auto& l = state_.lists;
    state_.totals.local.add = l.lFileAdd1.TotalSize();
    state_.totals.remote.add = l.rFileAdd1.TotalSize();
    state_.totals.local.update = l.lUpdate1.TotalSize();
    state_.totals.remote.update = l.rUpdate1.TotalSize();
    SetUpColumns();
    ShowTotals();
}

void TfMirv95::ShowTotals() {
    auto pick = [this](const engine::SideTotals& side) {
        switch (ActivePage()) {
        case kPageAdd: return side.add;
        case kPageUpdate: return side.update;
        case kPageDelete: return side.del;
        case kPageIgnore: return side.ignore;
        case kPageItems: break;
        }
        return side.item;
    };
    ui::SetText(Control(ids::lLocalSize), SizeText(pick(state_.totals.local)));
    ui::SetText(Control(ids::lRemoteSize), SizeText(pick(state_.totals.remote)));
}

void TfMirv95::SetUpColumns() {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"Filename");
    column.cx = dpi()(250);
    for (int id : {ids::lUpdate1, ids::rUpdate1, ids::lFileAdd1, ids::rFileAdd1, ids::lvLocal, ids::lvRemote})
        ListView_SetColumn(Control(id), 0, &column);
}

void TfMirv95::AdoptHandoverPair() {
    platform::WriteProgramValue("local", platform::ReadProgramValue("slocal"));
    platform::WriteProgramValue("remote", platform::ReadProgramValue("sremote"));
    platform::WriteProgramValue("slocal", "");
    platform::WriteProgramValue("sremote", "");
    SetForegroundWindow(hwnd());
}

void TfMirv95::ShowIndicator(Panel panel, bool on) {
    SetPanelText(panel, on ? kIndicators[static_cast<size_t>(panel)] : "");
}

void TfMirv95::EnterMultiDirectoryMode() {
    ShowIndicator(kPanelMulti, true);
    runs_.DiscardPlan();
    ui::SetText(Control(ids::lFolder1), kMultiPlaceholder);
    ui::SetText(Control(ids::rFolder1), kMultiPlaceholder);
    // The pairs come from the pair list now: a stored single pair that is incomplete stops nothing.
    EnableButton(Button::Load, true);
}

void TfMirv95::LeaveMultiDirectoryMode() {
    ShowIndicator(kPanelMulti, false);
    runs_.DiscardPlan();
    // The persistent pair alone: a hand-over pair is not taken here.
    PairChoice choice =
        ChooseFolderPair({platform::ReadProgramValue("local"), platform::ReadProgramValue("remote"), "", ""}, {});
    state_.LocalFolder = choice.pair.first;
    state_.RemoteFolder = choice.pair.second;
    EnableButton(Button::Load, !choice.disableLoad);
    ui::SetText(Control(ids::lFolder1), state_.LocalFolder);
    ui::SetText(Control(ids::rFolder1), state_.RemoteFolder);
}

void TfMirv95::SetActivePage(Page page) {
    TabCtrl_SetCurSel(tabs_, page);
    for (size_t i = 0; i < kPages.size(); ++i) {
        int show = static_cast<int>(i) == page ? SW_SHOW : SW_HIDE;
        for (int id : {kPages[i].leftList, kPages[i].rightList, ids::PageCaptions + static_cast<int>(2 * i),
                       ids::PageCaptions + static_cast<int>(2 * i + 1)})
            ShowWindow(Control(id), show);
    }
    ShowTotals();
}

Page TfMirv95::ActivePage() const { return static_cast<Page>(TabCtrl_GetCurSel(tabs_)); }

std::string TfMirv95::PanelText(Panel panel) const {
    std::wstring text(static_cast<size_t>(LOWORD(SendMessageW(stats_, SB_GETTEXTLENGTHW, panel, 0))) + 1, L'\0');
    SendMessageW(stats_, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
    std::string result = platform::Narrow(text.c_str());
    // Centred panels carry a leading tab.
    return !result.empty() && result.front() == '\t' ? result.substr(1) : result;
}

void TfMirv95::SetStatus(int panel, std::string_view text) {
    // A run's message, whole, is the status bar's hint until the next one: the countdown takes the panel
    // but not the result, and a message longer than the panel is read there.
    if (panel == kPanelMessage) hints_.Set(stats_, text);
    SetPanelText(static_cast<Panel>(panel), text);
}

void TfMirv95::SetPanelText(Panel panel, std::string_view text) {
    std::wstring wide = (panel == kPanelMessage ? L"" : L"\t") + platform::Widen(text);
    SendMessageW(stats_, SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string TfMirv95::Hint(int controlId) const { return hints_.Get(Control(controlId)); }

void TfMirv95::ListsChanged() {
    // A long list takes a while to paint; painted one by one with the messages run in between, no
    // click waits for more than one of them. An empty one paints at once: lists emptied from inside a
    // notification (a folder field's change) let no message run there.
    for (auto& list : lists_) {
        list.Refresh();
        if (IsWindowVisible(list.hwnd()) && ListView_GetItemCount(list.hwnd()) > 0) {
            UpdateWindow(list.hwnd());
            ui::ProcessPendingMessages(hwnd());
        }
    }
}

void TfMirv95::RefreshLists() {
    for (auto& list : lists_) list.Refresh();
}

void TfMirv95::FormShow() {
    SetUpColumns();
    if (!platform::EndsWithNoCase(state_.ShortcutPath, ".MVP")) return;
    if (auto pair = ReadShortcutFile(state_.ShortcutPath)) {
        ui::SetText(Control(ids::lFolder1), pair->first);
        ui::SetText(Control(ids::rFolder1), pair->second);
        state_.ShortcutLoaded = true;
    }
}

void TfMirv95::SetDialogs(settings::TfOptions* options, settings::TAboutBox* about, settings::TfMWiz* notice,
                          review::TfInfo* info) {
    options_ = options;
    about_ = about;
    notice_ = notice;
    info_ = info;
}

namespace {

// The ActiveList value of each result list, by control identifier.
int ListValue(int id) {
    switch (id) {
    case ids::lFileAdd1: return review::klFileAdd1;
    case ids::rFileAdd1: return review::krFileAdd1;
    case ids::lUpdate1: return review::klUpdate1;
    case ids::rUpdate1: return review::krUpdate1;
    case ids::ldelfile1: return review::kldelfile1;
    case ids::rdelfile1: return review::krdelfile1;
    case ids::lignfile1: return review::klignfile1;
    case ids::rignfile1: return review::krignfile1;
    }
    return review::kNoList;
}

int ListIdOf(int value) {
    for (int id = ids::lFileAdd1; id <= ids::rignfile1; ++id)
        if (ListValue(id) == value) return id;
    return 0;
}

bool IsUpdateList(int id) { return id == ids::lUpdate1 || id == ids::rUpdate1; }

}  // namespace

ui::VirtualList* TfMirv95::ListById(int id) {
    if (id < ids::lFileAdd1 || id > ids::lvRemote) return nullptr;
    return &lists_[static_cast<size_t>(id - ids::lFileAdd1)];
}

void TfMirv95::OnListFocus(int id, bool gained) {
    if (ListValue(id) == review::kNoList) return;
    state_.ActiveList = gained ? ListValue(id) : review::kNoList;
    if (!gained && id != ids::lignfile1 && id != ids::rignfile1) ClearItemDetails();
}

void TfMirv95::OnListSelection(int id) {
    if (IsCodedList(id)) return;
    ui::VirtualList* list = ListById(id);
    std::vector<size_t> rows = list->SelectedRows();
    if (rows.empty()) return;
    std::string text = list->Text(rows.front());
    hints_.Set(list->hwnd(), text);
    ShowItemDetails(text);
}

void TfMirv95::ShowItemDetails(const std::string& text) {
    engine::ItemDetails d = engine::ShowItemDetails(platform::SystemFileOps(), FolderText(Side::First),
                                                    FolderText(Side::Second), text);
    sizeRed_ = d.sizeRed;
    dateRed_ = d.dateRed;
    ShowDetailTexts(d);
}

// The colours stay as they are.
void TfMirv95::ClearItemDetails() { ShowDetailTexts(engine::ClearItemDetails()); }

void TfMirv95::ShowDetailTexts(const engine::ItemDetails& d) {
    const std::pair<int, const std::string*> labels[] = {{ids::Label19, &d.label19}, {ids::Label6, &d.label6},
                                                         {ids::Label13, &d.label13}, {ids::Label25, &d.label25},
                                                         {ids::Label22, &d.label22}, {ids::Label23, &d.label23}};
    for (auto [id, value] : labels) ui::SetText(Control(id), *value);
}

void TfMirv95::OnContextMenu(HWND control, POINT at) {
    int id = GetDlgCtrlID(control);
    if (ListValue(id) == review::kNoList) return;
    // The menu acts on the list it was opened on: that list takes the focus, and a right click
    // on an entry that is not selected selects it alone, as Windows lists do.
    SetFocus(control);
    bool fromKeyboard = at.x == -1 && at.y == -1;
    if (fromKeyboard) {
        RECT r{};
        GetWindowRect(control, &r);
        at = {r.left + 8, r.top + 8};
    } else {
        LVHITTESTINFO hit{};
        hit.pt = at;
        ScreenToClient(control, &hit.pt);
        int row = ListView_HitTest(control, &hit);
        if (row >= 0 && !(ListView_GetItemState(control, row, LVIS_SELECTED) & LVIS_SELECTED)) {
            ListById(id)->ClearSelection();
            ListView_SetItemState(control, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    ui::ScopedMenu menu(CreatePopupMenu());
    // The commands that change the lists wait for the step under way.
    UINT edits = MF_STRING | (Offered(Command::ListEdit) ? 0 : MF_GRAYED);
    if (IsCodedList(id)) {
        AppendMenuW(menu.get(), edits, ids::Undo1, L"&Undo");
    } else {
        // Reverse only over an update list, where File Info is offered too.
        AppendMenuW(menu.get(), IsUpdateList(id) ? edits : MF_STRING | MF_GRAYED, ids::ReverseEntry1, L"&Reverse");
        AppendMenuW(menu.get(), edits, ids::DeleteFile1, L"&Delete");
        AppendMenuW(menu.get(), edits, ids::IgnoreFile1, L"&Ignore");
        if (IsUpdateList(id)) AppendMenuW(menu.get(), MF_STRING, ids::FileInfo1, L"&File Info");
    }
    int command = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    if (command) OnCommand(command, 0, nullptr);
}

std::vector<size_t> TfMirv95::ActiveSelection() {
    ui::VirtualList* list = ListById(ListIdOf(state_.ActiveList));
    return list ? list->SelectedRows() : std::vector<size_t>{};
}

void TfMirv95::FileInfo1Click() {
    if (!info_) return;
    std::optional<std::string> name;
    if (int id = ListIdOf(state_.ActiveList); IsUpdateList(id)) {
        std::vector<size_t> rows = ActiveSelection();
        if (!rows.empty()) name = ListById(id)->Text(rows.front());
    }
    Modal([&] { info_->ShowFor(hwnd(), name, FolderText(Side::First), FolderText(Side::Second)); });
}

void TfMirv95::SetStepCaption(std::string_view caption) { ui::SetText(Control(ids::Label3), caption); }

void TfMirv95::SetProgress(int percent) {
    SendMessageW(Control(ids::pb1), PBM_SETPOS, percent, 0);
    if (state_.phases.RunActive()) taskbar_.Show(hwnd(), percent);
}

void TfMirv95::ProcessMessages() {
    // The steps ask every hundred entries, which can be thousands of times a second; each look at
    // the queue is a trip to the window system. No click waits noticeably for a few milliseconds.
    auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < std::chrono::milliseconds(4)) return;
    lastPump_ = now;
    PumpNow();
}

void TfMirv95::PumpNow() {
    // Every list repainted at every call made painting most of a long evaluation's time. Lists on
    // hidden pages wait for the refresh at the end of the step (or for their page to be shown).
    for (auto& list : lists_)
        if (IsWindowVisible(list.hwnd())) list.RefreshLength();
    ui::ProcessPendingMessages(hwnd());
}

bool TfMirv95::AskYesNo(std::string_view text, Default preferred) {
    return prompter().AskYesNo(hwnd(), text, preferred == Default::No);
}

void TfMirv95::Warn(std::string_view text) { prompter().Warn(hwnd(), text); }

bool TfMirv95::Ask(std::string_view caption, std::string_view text) {
    // Asked before a run starts: nothing else may start while the question waits.
    bool yes = false;
    Modal([&] { yes = prompter().Ask(hwnd(), caption, text); });
    return yes;
}

void TfMirv95::ShowButton(Button button, bool shown) {
    HWND control = Control(ButtonId(button));
    ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    // Next and Stop take the places of Load and Options.
    if (shown) SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::string TfMirv95::FolderText(Side side) const {
    return ui::GetText(Control(side == Side::First ? ids::lFolder1 : ids::rFolder1));
}

void TfMirv95::SetFolder(Side side, std::string_view path) {
    HWND edit = Control(side == Side::First ? ids::lFolder1 : ids::rFolder1);
    ui::SetText(edit, path);
    hints_.Set(edit, path);
}

void TfMirv95::SetItemCaptions(std::string_view first, std::string_view second) {
    ui::SetText(Control(ids::Label1), first);
    ui::SetText(Control(ids::Label2), second);
}

void TfMirv95::SetTotalTexts(std::string_view first, std::string_view second) {
    ui::SetText(Control(ids::lLocalSize), first);
    ui::SetText(Control(ids::lRemoteSize), second);
}

void TfMirv95::SetCaption(std::string_view caption) { ui::SetText(hwnd(), caption); }

void TfMirv95::SetBusyCursor(bool busy) { SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

void TfMirv95::Repaint() { RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void TfMirv95::WaitForMessage() {
    WaitMessage();
    PumpNow();
}

void TfMirv95::OfferWizardNotice() {
    if (notice_ && notice_->ShowWizard()) Modal([this] { notice_->ShowModal(hwnd()); });
}

void TfMirv95::ShowHandlerError(std::string_view text) {
    Modal([&] { prompter().ShowError(hwnd(), text); });
}

LRESULT TfMirv95::OnNotify(NMHDR* header) {
    for (const auto& list : lists_)
        if (list.AnswerDisplayInfo(header)) return 0;
    int id = static_cast<int>(header->idFrom);
    switch (header->code) {
    case NM_SETFOCUS: OnListFocus(id, true); return 0;
    case NM_KILLFOCUS: OnListFocus(id, false); return 0;
    case NM_CLICK:
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        if (ListById(id)) OnListSelection(id);
        return 0;
    }
    if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) SetActivePage(ActivePage());
    else if (header->hwndFrom == stats_ && header->code == NM_DBLCLK) state_.countdown.RequestCancel();
    return 0;
}

LRESULT TfMirv95::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_SHOWWINDOW:
        if (wParam && !shown_) {
            shown_ = true;
            FormShow();
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetUpColumns();
        break;
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CTLCOLORSTATIC:
        if (int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            (sizeRed_ && (id == ids::Label6 || id == ids::Label22)) ||
            (dateRed_ && (id == ids::Label13 || id == ids::Label23))) {
            // The two copies differ: both figures in red.
            LRESULT brush = ui::Window::HandleMessage(message, wParam, lParam);
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 0, 0));
            return brush;
        }
        if (IsPageCaption(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))) {
            // Captions on the pages take the page's background: the window colour where the tab
            // control is drawn by a visual style, the face colour where it is classic.
            int colour = IsAppThemed() ? COLOR_WINDOW : COLOR_BTNFACE;
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(colour));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
        }
        break;
    case WM_CLOSE: Close(CloseBy::User); return 0;
    case WM_QUERYENDSESSION: return QueryEndSession();
    case WM_ENDSESSION:
        if (wParam) EndSession();
        return 0;
    case WM_INITMENUPOPUP: OnMenuOpening(reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_SETCURSOR:
        if (state_.LoadBusy) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_DESTROY: PostQuitMessage(exitCode_); return 0;
    case kUndoAtStart: UndoAndClose(); return 0;
    }
    return ui::Window::HandleMessage(message, wParam, lParam);
}

}  // namespace app
