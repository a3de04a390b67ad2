#pragma once
// Message boxes of the program, and the shell's "open" of a document or address. Windows go
// through this interface so that tests can answer and count.
#include <windows.h>

#include <string_view>

namespace ui {

class Prompter {
public:
    virtual ~Prompter() = default;
    // The application's error handler: an error that ends a handler.
    virtual void ShowError(HWND owner, std::string_view text) = 0;
    // A warning with Yes and No; true for Yes. defaultNo: No takes Enter, for a question whose Yes loses data.
    virtual bool AskYesNo(HWND owner, std::string_view text, bool defaultNo) = 0;
    // A warning with OK.
    virtual void Warn(HWND owner, std::string_view text) = 0;
    // A confirmation with OK and Cancel; true for OK.
    virtual bool Confirm(HWND owner, std::string_view text) = 0;
    // A question with Yes and No under a caption of its own; true for Yes.
    virtual bool Ask(HWND owner, std::string_view caption, std::string_view text) = 0;
    // The shell's "open" on a file or address, shown normally; its result is not examined.
    virtual void Open(HWND owner, std::string_view target) = 0;
};

// The real message boxes.
class MessageBoxPrompter final : public Prompter {
public:
    void ShowError(HWND owner, std::string_view text) override;
    bool AskYesNo(HWND owner, std::string_view text, bool defaultNo) override;
    void Warn(HWND owner, std::string_view text) override;
    bool Confirm(HWND owner, std::string_view text) override;
    bool Ask(HWND owner, std::string_view caption, std::string_view text) override;
    void Open(HWND owner, std::string_view target) override;
};

}  // namespace ui
