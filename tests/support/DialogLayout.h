#pragma once

#include "vantor/browse/FakeVolumes.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/LookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace glorvak::test
{
/** A dialog of the program, built here by the program's own code with its look-and-feel. */
struct DialogLayout
{
    juce::Rectangle<int> dialog; // its size (at the origin)
    juce::Rectangle<int> button; // the button asked for, in the dialog's coordinates
};

/** Makes the program's look-and-feel the default while it lives, unless it is already (a main
    component built here sets it): it sizes and lays out the dialogs. Message thread. */
class ProgramLookAndFeelScope
{
public:
    ProgramLookAndFeelScope()
    {
        if (dynamic_cast<vantor::LookAndFeel*> (&juce::Desktop::getInstance().getDefaultLookAndFeel()) ==
            nullptr)
        {
            lookAndFeel = std::make_unique<vantor::LookAndFeel>();
            juce::Desktop::getInstance().setDefaultLookAndFeel (lookAndFeel.get());
        }
    }

    ~ProgramLookAndFeelScope()
    {
        if (lookAndFeel != nullptr)
            juce::Desktop::getInstance().setDefaultLookAndFeel (nullptr);
    }

private:
    std::unique_ptr<vantor::LookAndFeel> lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE (ProgramLookAndFeelScope)
};

/** Shows the dialog that `show` makes DialogHelper's current one, reads its size and where the
    button of that text lies, and deletes it: a test of the real program clicks the button there.
    (Return would do too, but a stalled xdotool can hold it down long enough to repeat into the
    progress window that follows a confirmation, whose only button, Cancel, takes Return.)
    Message thread. */
inline DialogLayout layOutDialog (const std::function<void()>& show, const juce::String& buttonText)
{
    using vantor::ui::DialogHelper;
    const ProgramLookAndFeelScope lookAndFeel;
    show();
    DialogLayout layout;

    if (auto* dialog = DialogHelper::getCurrentDialog())
    {
        layout.dialog = dialog->getLocalBounds();

        for (auto* child : dialog->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child);
                button != nullptr && button->getButtonText() == buttonText)
                layout.button = button->getBounds();

        DialogHelper::deleteCurrentDialogIf (dialog);
    }

    return layout;
}

/** The export's drive dialog on one volume of that name, with its OK button. */
inline DialogLayout layOutDriveDialog (const juce::String& volumeName)
{
    using vantor::ui::DialogHelper;
    FakeVolumes volumes;
    volumes.set ({juce::File ("/" + volumeName)});
    DialogHelper::setVolumeListFactory ([&volumes] { return volumes.makeList(); });
    const auto layout = layOutDialog (
        [] { DialogHelper::showDriveSelectionDialog (TRANS ("Export"), [] (const juce::File&) {}); },
        TRANS ("OK"));
    DialogHelper::setVolumeListFactory (nullptr);
    return layout;
}
} // namespace glorvak::test
