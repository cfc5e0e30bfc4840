#include "NoticeBox.h"

namespace installer
{

std::intptr_t NoticeBox::show (PluginStack& stack, NoticeDialogs& dialogs)
{
    if (!stack.pop (current.caption) || !stack.pop (current.message) || !stack.pop (current.firstLabel))
        return 1;

    // A label left from an earlier call must not pick the two-button dialog for this one.
    if (!stack.pop (current.secondLabel))
        current.secondLabel[0] = 0;

    return dialogs.run (current.secondLabel[0] != 0 ? NoticeDialog::twoButtons : NoticeDialog::oneButton);
}

bool NoticeBox::command (NoticeDialog dialog, int controlId, PluginStack& stack)
{
    if (controlId == firstButtonId)
    {
        stack.push (u"YES");
        return true;
    }

    if (controlId == secondButtonId && dialog == NoticeDialog::twoButtons)
    {
        stack.push (u"NO");
        return true;
    }

    return false;
}

} // namespace installer
