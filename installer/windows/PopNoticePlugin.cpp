// PopNoticePlugin.dll: a one- or two-button message box whose caption, message and button labels
// the installer script pushes; the pressed button pushes "YES" or "NO".

#include "GlobalStackMemory.h"
#include "NoticeBox.h"
#include "PopNoticeResources.h"

namespace
{
HINSTANCE moduleHandle = nullptr;

// The texts outlive the call, as the dialogs they fill; the stack is the one of the running call,
// reached by the dialog procedures. The installer calls one plug-in function at a time.
installer::NoticeBox notice;
installer::PluginStack* currentStack = nullptr;

// The question shows the icon of the program that loaded the plug-in (the installer's own icon);
// the one-button notice shows the system's warning sign.
constexpr int installerIconId = 103;

const wchar_t* wide (const char16_t* text)
{
    return reinterpret_cast<const wchar_t*> (text);
}

void fill (HWND dialog, int textId, int iconId, HICON icon, bool withSecondButton)
{
    const auto& texts = notice.texts();
    SetDlgItemTextW (dialog, textId, wide (texts.message));
    SetWindowTextW (dialog, wide (texts.caption));
    SetDlgItemTextW (dialog, installer::NoticeBox::firstButtonId, wide (texts.firstLabel));
    if (withSecondButton)
        SetDlgItemTextW (dialog, installer::NoticeBox::secondButtonId, wide (texts.secondLabel));
    SendDlgItemMessageW (dialog, iconId, STM_SETICON, reinterpret_cast<WPARAM> (icon), 0);
    ShowWindow (dialog, SW_SHOW);
}

INT_PTR handle (installer::NoticeDialog kind, HWND dialog, UINT message, WPARAM wParam)
{
    switch (message)
    {
        case WM_INITDIALOG:
            if (kind == installer::NoticeDialog::twoButtons)
                fill (dialog, NOTICE_TWO_BUTTON_TEXT, NOTICE_TWO_BUTTON_ICON,
                      LoadIconW (GetModuleHandleW (nullptr), MAKEINTRESOURCEW (installerIconId)), true);
            else
                fill (dialog, NOTICE_ONE_BUTTON_TEXT, NOTICE_ONE_BUTTON_ICON,
                      LoadIconW (nullptr, IDI_WARNING), false);
            return TRUE;

        case WM_COMMAND:
            if (currentStack != nullptr &&
                installer::NoticeBox::command (kind, LOWORD (wParam), *currentStack))
                EndDialog (dialog, 0);
            return TRUE;

        case WM_DESTROY:
            return TRUE;

        default:
            return FALSE;
    }
}

INT_PTR CALLBACK twoButtonProcedure (HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return handle (installer::NoticeDialog::twoButtons, dialog, message, wParam);
}

INT_PTR CALLBACK oneButtonProcedure (HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return handle (installer::NoticeDialog::oneButton, dialog, message, wParam);
}

class WindowsNoticeDialogs final : public installer::NoticeDialogs
{
public:
    explicit WindowsNoticeDialogs (HWND ownerToUse)
        : owner (ownerToUse)
    {
    }

    std::intptr_t run (installer::NoticeDialog dialog) override
    {
        const bool two = dialog == installer::NoticeDialog::twoButtons;
        return DialogBoxParamW (moduleHandle, MAKEINTRESOURCEW (static_cast<int> (dialog)), owner,
                                two ? twoButtonProcedure : oneButtonProcedure, 0);
    }

private:
    HWND owner;
};
} // namespace

extern "C" int Show (HWND parentWindow, int stringSize, wchar_t*, installer::StackEntry** stackTop, void*)
{
    installer::GlobalStackMemory memory;
    installer::PluginStack stack (stackTop, stringSize, memory);
    WindowsNoticeDialogs dialogs (parentWindow);

    currentStack = &stack;
    const auto result = notice.show (stack, dialogs);
    currentStack = nullptr;
    return static_cast<int> (result);
}

// The dialogs are resources of this DLL, so their templates are found through its own handle.
extern "C" BOOL WINAPI DllMain (HINSTANCE instance, DWORD, LPVOID)
{
    moduleHandle = instance;
    return TRUE;
}
