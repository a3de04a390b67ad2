#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/win32/application.h"
#include "platform/file_system.h"
#include "platform/win32/wide.h"
#include "ui/prompter.h"

namespace {

// The arguments as Windows splits them (quotes keep a path with blanks together), without the
// program's own name.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.push_back(platform::Narrow(argv[i]));
    LocalFree(argv);
    return arguments;
}

// COM for the folder-selection dialog, for the life of the program.
class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (ok_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ui::MessageBoxPrompter prompter;
    try {
        app::Application application(prompter, platform::ExecutableFolder(), Arguments(),
                                     (GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return application.Run();
    } catch (const std::exception& e) {
        prompter.ShowError(nullptr, e.what());
        return 1;
    }
}
