#pragma once
// The Options dialog TfOptions: the filter lists and switches, the folder pairs of the
// multi-directory mode, the start and run options and the shutdown delay. It edits the Settings
// record in place, so a change is in force as soon as it is made; only OK stores it.
#include <array>
#include <vector>

#include "app/win32/main_window.h"
#include "settings/settings.h"
#include "ui/dialog.h"

namespace settings {

class TfMWiz;

class TfOptions final : public ui::Dialog {
public:
    // Loads the settings into the record and applies them to the main window.
    TfOptions(ui::Prompter& prompter, Settings& settings, app::TfMirv95& main);

    Settings& settings() { return settings_; }
    // "Use Multi Wizard" sets the notice's box, which stores the choice at once.
    // The notice, made after this dialog, may have switched the box off.
    void SetWizardNotice(TfMWiz* notice);

    // The effects of ticking or unticking the boxes, also used at load and by the start modes.
    void SetUseSubfolders(bool on);
    void SetUseMulti(bool on);
    void SetAutoLoad(bool on);
    void SetAutoSync(bool on);

protected:
    void OnShow() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct FilterColumn {
        int list, edit, add, remove, box;
        std::vector<std::string> Settings::*entries;
        bool extensions;
    };
    static const std::array<FilterColumn, 3> kColumns;

    void CreateControls();
    // A control that shows only while its page is the active one.
    HWND AddToPage(int page, const wchar_t* cls, const wchar_t* text, DWORD style, ui::Rect r, int id,
                   DWORD exStyle = 0);
    void CreateExceptionsPage(int ox, int oy);
    void CreateGeneralPage(int ox, int oy);
    void CreateSafetyPage(int ox, int oy);
    void ShowPage(int page);
    void ApplyLoadedSettings();
    void ShowSettings();

    void OnCommand(int id, int code);
    void OnBoxClicked(int id, bool on);
    void AddFilter(const FilterColumn& column);
    void RemoveFilter(const FilterColumn& column);
    void AddPair();
    void RemovePairs();
    void MirrorSelection(int from, int to);
    void BrowseFolder(int edit);
    void TakeDelay();
    void Confirm();
    void Close(int result);

    static LRESULT CALLBACK FilterEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                DWORD_PTR self) noexcept;

    Settings& settings_;
    app::TfMirv95& main_;
    TfMWiz* notice_ = nullptr;
    HWND tabs_ = nullptr;
    std::array<std::vector<HWND>, 3> pageControls_;
};

}  // namespace settings
