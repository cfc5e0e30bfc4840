#pragma once

#include "PluginStack.h"

#include <cstdint>

namespace installer
{

// The two dialog templates of PopNoticePlugin, by resource id.
enum class NoticeDialog
{
    twoButtons = 101,
    oneButton = 201,
};

// Shows a dialog modally. The plug-in binds it to DialogBoxParamW; the tests to a fake that
// presses a button.
class NoticeDialogs
{
public:
    virtual ~NoticeDialogs() = default;

    // The dialog's result: 0 after a button, -1 when it cannot be created.
    virtual std::intptr_t run (NoticeDialog dialog) = 0;
};

// What PopNoticePlugin's Show does: takes caption, message and the one or two button labels from
// the installer's stack, shows the one- or two-button dialog and pushes the answer. The texts live
// as long as the loaded plug-in, like the dialog they fill.
class NoticeBox
{
public:
    struct Texts
    {
        PluginStack::Buffer caption = {};
        PluginStack::Buffer message = {};
        PluginStack::Buffer firstLabel = {};
        PluginStack::Buffer secondLabel = {};
    };

    // Returns 1 when the caption, the message or the first label is missing (no dialog, nothing
    // pushed, the values before it consumed), else the dialog's result. A missing second label
    // means the one-button dialog.
    std::intptr_t show (PluginStack& stack, NoticeDialogs& dialogs);

    // A command from a control of `dialog`: pushes the answer it gives, if any, and tells whether
    // the dialog ends. Button 1 answers "YES"; in the two-button dialog, id 2 (the second button,
    // Escape and the close box) answers "NO"; the one-button dialog closes only by its button.
    static bool command (NoticeDialog dialog, int controlId, PluginStack& stack);

    const Texts& texts() const { return current; }

    static constexpr int firstButtonId = 1;
    static constexpr int secondButtonId = 2;

private:
    Texts current;
};

} // namespace installer
