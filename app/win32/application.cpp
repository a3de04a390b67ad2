#include "app/win32/application.h"

#include <exception>

#include "app/help.h"

namespace app {

template <class Step>
void Application::Guarded(Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        prompter_.ShowError(fMirv95_ ? fMirv95_->hwnd() : nullptr, e.what());
    }
}

Application::Application(ui::Prompter& prompter, const std::string& programFolder,
                         const std::vector<std::string>& arguments, bool shiftDown, platform::FileOps& files)
    : prompter_(prompter) {
    fMirv95_ = std::make_unique<TfMirv95>(prompter, settings_, files);
    Guarded([&] { fMirv95_->FormCreate(programFolder, arguments); });
    HWND owner = fMirv95_->hwnd();
    fOptions_ = std::make_unique<settings::TfOptions>(prompter, settings_, *fMirv95_);
    AboutBox_ = std::make_unique<settings::TAboutBox>(prompter, owner, ProductAddress(fMirv95_->state().RunPath));
    fMWiz_ = std::make_unique<settings::TfMWiz>(prompter, owner);
    Guarded([&] { fMWiz_->FormCreate(settings_); });
    fOptions_->SetWizardNotice(fMWiz_.get());
    fInfo_ = std::make_unique<review::TfInfo>(prompter, owner, platform::SystemFileOps());
    fMirv95_->SetDialogs(fOptions_.get(), AboutBox_.get(), fMWiz_.get(), fInfo_.get());
    Guarded([&] { CompleteStartup(shiftDown); });
}

void Application::CompleteStartup(bool shiftDown) {
    // The start mode changes the options for this run only; they are stored only by the user's OK.
    switch (fMirv95_->state().startMode) {
    case StartMode::Wizard:
        fOptions_->SetAutoLoad(true);
        fOptions_->SetUseSubfolders(true);
        fOptions_->SetUseMulti(false);
        break;
    case StartMode::AutoSingle: fOptions_->SetUseMulti(false); break;
    case StartMode::AutoMulti: fOptions_->SetUseMulti(true); break;
    case StartMode::None: break;
    }
    // "-undo" undoes and ends; it loads nothing.
    if (fMirv95_->state().undoAtStart) fMirv95_->UndoAtStart();
    else if (settings_.autoloaddata && fMirv95_->state().argumentCount > 0 && !shiftDown) fMirv95_->ArmAutomaticLoad();
    if (shiftDown) fMirv95_->AdoptHandoverPair();
    if (settings_.startmin) showCommand_ = SW_SHOWMINIMIZED;
}

int Application::Run() {
    ShowWindow(fMirv95_->hwnd(), showCommand_);
    UpdateWindow(fMirv95_->hwnd());
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(fMirv95_->hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace app
