#include "vantor/ui/DialogHelper.h"

#include "common/AppSettingsSingleton.h"
#include "vantor/ui/LookAndFeel.h"
#include "vantor/ui/MessageBoxIconTypeComponent.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"
#include "support/XdoTool.h"

#include <gmock/gmock.h>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::screenshot;
using vantor::ui::DialogHelper;

namespace
{
// Volumes the test decides; the list is read when the dialog opens and again at "OK".
struct FakeVolumes
{
    juce::Array<common::RemovableVolumeList::Volume> volumes;

    class Platform : public common::RemovableVolumeList::Platform
    {
    public:
        explicit Platform (FakeVolumes& ownerToUse)
            : owner (ownerToUse)
        {
        }

        juce::Array<common::RemovableVolumeList::Volume> findVolumes() override { return owner.volumes; }
        void startWatching (std::function<void()>) override {}

    private:
        FakeVolumes& owner;
    };

    void add (const char* utf8Name, const juce::String& root)
    {
        common::RemovableVolumeList::Volume v;
        v.displayName = juce::String::fromUTF8 (utf8Name);
        v.rootFolder = juce::File (root);
        volumes.add (v);
    }
};

juce::StringArray buttonTexts (juce::AlertWindow& window)
{
    juce::StringArray texts;

    for (auto* child : window.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            texts.add (button->getButtonText());

    return texts;
}

juce::TextButton* button (juce::AlertWindow& window, const juce::String& text)
{
    for (auto* child : window.getChildren())
        if (auto* b = dynamic_cast<juce::TextButton*> (child))
            if (b->getButtonText() == text)
                return b;

    return nullptr;
}

int markerType()
{
    auto* marker = DialogHelper::getIconMarker();
    auto* dialog = DialogHelper::getCurrentDialog();

    if (marker == nullptr || dialog == nullptr || marker->getParentComponent() != dialog)
        return 0;

    return marker->getType();
}

// Lets every message posted so far run, JUCE's late answers of deleted windows included.
void drainMessages()
{
    bool done = false;
    juce::MessageManager::callAsync ([&] { done = true; });
    ASSERT_TRUE (pumpMessagesUntil ([&] { return done; }));
    done = false;
    juce::MessageManager::callAsync ([&] { done = true; });
    ASSERT_TRUE (pumpMessagesUntil ([&] { return done; }));
}

// A key as the user types it at the modal window.
void press (const juce::KeyPress& key)
{
    auto* window = DialogHelper::getCurrentDialog();
    ASSERT_NE (window, nullptr);
    ASSERT_TRUE (window->isCurrentlyModal());
    static_cast<juce::Component*> (window)->keyPressed (key);
}

const juce::KeyPress returnKey (juce::KeyPress::returnKey);
const juce::KeyPress escapeKey (juce::KeyPress::escapeKey);

bool dialogClosed (juce::Component* window)
{
    return DialogHelper::getCurrentDialog() != window;
}

class DialogHelperGui : public ::testing::Test
{
protected:
    void SetUp() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        settings = common::AppSettingsSingleton::getInstance();
        ASSERT_NE (settings, nullptr);
        settings->setWarnOverwriting (true);
        settings->setWarnDeleting (true);
        DialogHelper::setVolumeListFactory (
            [this] {
                return std::make_unique<common::RemovableVolumeList> (
                    std::make_unique<FakeVolumes::Platform> (fake));
            });
    }

    void TearDown() override
    {
        DialogHelper::releaseResources();
        DialogHelper::setVolumeListFactory ({});
        drainMessages();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    vantor::LookAndFeel lookAndFeel;
    common::AppSettings* settings = nullptr;
    FakeVolumes fake;
};

//==============================================================================
struct ConfirmCase
{
    const char* name;
    std::function<void (std::function<void()>)> open;
    bool overwriting; // gated by WarnOverwriting, else by WarnDeleting
    const char* title;
    const char* message;
    bool highlighted;
};

std::vector<ConfirmCase> confirmCases()
{
    return {
        {"overwrite SLOT", [] (auto f) { DialogHelper::confirmOverwriteSlot (f); }, true, "Overwrite SLOT",
         "Are you sure you want to overwrite?", false},
        {"overwrite BANK", [] (auto f) { DialogHelper::confirmOverwriteBank (f); }, true, "Overwrite BANK",
         "Are you sure you want to overwrite?", false},
        {"delete SLOT", [] (auto f) { DialogHelper::confirmDeleteSlot ("Kick 01", f); }, false, "Delete SLOT",
         "Are you sure you want to delete 'Kick 01'?", false},
        {"delete BANK",
         [] (auto f) { DialogHelper::confirmDeleteBank (juce::String::fromUTF8 (u8"ドラム"), f); }, false,
         "Delete BANK", u8"Are you sure you want to delete 'ドラム'?", false},
        {"delete collection BANK", [] (auto f) { DialogHelper::confirmDeleteCollectionBank ("{bpm}", f); },
         false, "Delete BANK", "Are you sure you want to delete '{bpm}'?", false},
        {"BPM result", [] (auto f) { DialogHelper::showBpmCalculationResult (120.0, f); }, true,
         "BPM Calculation Result\r\n 120.00", "Do you want to apply this BPM?", true},
    };
}

// Title, message, buttons and marker of each confirmation; Return answers Yes, Escape No; the
// window is gone after either, and the action ran only for Yes.
TEST_F (DialogHelperGui, ConfirmationsShowTheirTextsAndAnswerByKey)
{
    for (const auto& c : confirmCases())
    {
        SCOPED_TRACE (c.name);

        for (bool yes : {true, false})
        {
            int calls = 0;
            c.open ([&] { ++calls; });
            auto* window = DialogHelper::getCurrentDialog();
            ASSERT_NE (window, nullptr);
            EXPECT_EQ (window->getName(), juce::String::fromUTF8 (c.title));
            EXPECT_EQ (DialogHelper::getDialogMessage (*window), juce::String::fromUTF8 (c.message));
            EXPECT_EQ (buttonTexts (*window), juce::StringArray ("Yes", "No"));
            EXPECT_EQ (markerType(), 2);
            EXPECT_EQ (window->getAlertType(), juce::MessageBoxIconType::NoIcon);
            EXPECT_EQ (button (*window, "Yes")->findColour (juce::TextButton::buttonColourId) ==
                           juce::Colours::white,
                       c.highlighted);

            if (yes && c.highlighted)
                screenshot ("dialog-bpm-result");
            else if (yes && juce::String (c.name) == "delete BANK")
                screenshot ("dialog-confirm-delete");

            press (yes ? returnKey : escapeKey);
            ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
            drainMessages();
            EXPECT_EQ (calls, yes ? 1 : 0);
            EXPECT_EQ (DialogHelper::getCurrentDialog(), nullptr);
        }
    }
}

// With the setting off the action runs before the call returns, and no window opens. The BPM
// result is not gated.
TEST_F (DialogHelperGui, SettingOffRunsTheActionAtOnce)
{
    settings->setWarnOverwriting (false);
    settings->setWarnDeleting (false);

    for (const auto& c : confirmCases())
    {
        SCOPED_TRACE (c.name);
        int calls = 0;
        c.open ([&] { ++calls; });
        const bool gated = juce::String (c.name) != "BPM result";
        EXPECT_EQ (calls, gated ? 1 : 0);
        EXPECT_EQ (DialogHelper::getCurrentDialog() == nullptr, gated);
        DialogHelper::releaseResources();
    }

    // Only its own setting gates each one.
    settings->setWarnDeleting (true);
    int calls = 0;
    DialogHelper::confirmOverwriteSlot ([&] { ++calls; });
    EXPECT_EQ (calls, 1);
    DialogHelper::confirmDeleteSlot ("x", [&] { ++calls; });
    EXPECT_EQ (calls, 1);
    EXPECT_NE (DialogHelper::getCurrentDialog(), nullptr);
}

//==============================================================================
struct NameCase
{
    const char* name;
    juce::String text;
    bool accepted;       // by onName
    const char* message; // what the dialog says after OK; null: it closed
};

// The name entry stays open with the text kept until a name within 50 code points is accepted.
TEST_F (DialogHelperGui, SaveAsValidatesTheNameAndKeepsTheText)
{
    const auto japanese = [] (int count)
    {
        juce::String s;
        for (int i = 0; i < count; ++i)
            s << juce::String::fromUTF8 (u8"音");
        return s;
    };

    const NameCase cases[] = {
        {"empty", "", true, "Name cannot be empty.\r\nPlease enter a name."},
        {"50 Japanese", japanese (50), true, nullptr},
        {"51 Japanese", japanese (51), true, "Name is too long.\r\nPlease enter within 50 characters."},
        {"refused", "Drums", false, "That name is already in use.\r\nPlease enter a different name."},
        {"accepted", "Drums", true, nullptr},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        juce::StringArray offered;
        DialogHelper::showSaveAsDialog ("Initial",
                                        [&] (const juce::String& name)
                                        {
                                            offered.add (name);
                                            return c.accepted;
                                        });
        auto* window = DialogHelper::getCurrentDialog();
        ASSERT_NE (window, nullptr);
        EXPECT_EQ (window->getName(), "Save As");
        EXPECT_EQ (DialogHelper::getDialogMessage (*window), "Please enter a name.");
        EXPECT_EQ (buttonTexts (*window), juce::StringArray ("OK", "Cancel"));
        EXPECT_EQ (markerType(), 4);
        auto* editor = window->getTextEditor ("text");
        ASSERT_NE (editor, nullptr);
        EXPECT_EQ (editor->getText(), "Initial");
        editor->setText (c.text);

        if (juce::String (c.name) == "51 Japanese")
            screenshot ("dialog-save-as-japanese");

        press (returnKey);

        if (c.message == nullptr)
        {
            ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
            EXPECT_EQ (offered, juce::StringArray (c.text));
            continue;
        }

        ASSERT_TRUE (pumpMessagesUntil (
            [&] { return DialogHelper::getDialogMessage (*window) != "Please enter a name."; }));
        ASSERT_TRUE (pumpMessagesUntil ([&] { return window->isCurrentlyModal(); }));
        EXPECT_EQ (DialogHelper::getCurrentDialog(), window);
        EXPECT_EQ (DialogHelper::getDialogMessage (*window), c.message);
        EXPECT_EQ (editor->getText(), c.text);
        EXPECT_EQ (offered.size(), c.accepted ? 0 : 1);

        if (juce::String (c.name) == "51 Japanese")
            screenshot ("dialog-save-as-too-long");

        press (escapeKey);
        ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
        EXPECT_EQ (offered.size(), c.accepted ? 0 : 1);
    }
}

// Digits and the point only; a refused value keeps the dialog with its text.
TEST_F (DialogHelperGui, BpmEntryTakesDigitsAndStaysOpenWhileRefused)
{
    juce::StringArray offered;
    bool accept = false;
    DialogHelper::showBpmInputDialog (
        [&] (const juce::String& text)
        {
            offered.add (text);
            return accept;
        });

    auto* window = DialogHelper::getCurrentDialog();
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "Please enter BPM.");
    EXPECT_EQ (DialogHelper::getDialogMessage (*window),
               "BPM input is required to set as loop.\r\nValid range is 40.00-999.99.");
    EXPECT_EQ (markerType(), 4);
    EXPECT_EQ (button (*window, "OK")->findColour (juce::TextButton::buttonColourId), juce::Colours::white);
    EXPECT_EQ (button (*window, "OK")->findColour (juce::TextButton::textColourOffId), juce::Colours::black);

    auto* editor = window->getTextEditor ("text");
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getTextToShowWhenEmpty(), "Enter BPM");
    screenshot ("dialog-bpm-entry-empty");
    editor->insertTextAtCaret ("1a2b0,x.5-");
    EXPECT_EQ (editor->getText(), "120.5");
    editor->setText ("30");

    press (returnKey);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return offered.size() == 1 && window->isCurrentlyModal(); }));
    EXPECT_EQ (offered.joinIntoString ("|").toStdString(), "30");
    EXPECT_EQ (DialogHelper::getCurrentDialog(), window);
    EXPECT_EQ (editor->getText().toStdString(), "30");

    accept = true;
    press (returnKey);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
    EXPECT_EQ (offered, juce::StringArray ("30", "30"));
}

// Typed for real through the X server: letters never reach the box, Return answers with the text.
TEST_F (DialogHelperGui, BpmTypedWithTheKeyboardReachesTheCompletion)
{
    juce::StringArray offered;
    DialogHelper::showBpmInputDialog (
        [&] (const juce::String& text)
        {
            offered.add (text);
            return true;
        });

    auto* window = DialogHelper::getCurrentDialog();
    auto* editor = window->getTextEditor ("text");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return editor->isShowing(); }));
    // Away from the centre, where dialogs of other test programs on this display appear.
    window->setTopLeftPosition (1300, 650);
    ASSERT_TRUE (glorvak::test::clickWithXdotool (*editor, editor->getLocalBounds().getCentre()));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return editor->hasKeyboardFocus (false); }));
    ASSERT_TRUE (glorvak::test::runProgram ({"xdotool", "type", "--delay", "30", "1x2y8.z5"}));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return editor->getText() == "128.5"; }));
    screenshot ("dialog-bpm-entry-typed");

    ASSERT_TRUE (glorvak::test::runProgram ({"xdotool", "key", "Return"}));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
    EXPECT_EQ (offered, juce::StringArray ("128.5"));
}

//==============================================================================
TEST_F (DialogHelperGui, DriveDialogWithoutDrivesOffersOnlyOk)
{
    int chosen = 0;
    DialogHelper::showDriveSelectionDialog ("Export", [&] (const juce::File&) { ++chosen; });
    auto* window = DialogHelper::getCurrentDialog();
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "Export");
    EXPECT_EQ (DialogHelper::getDialogMessage (*window), "No available drives found.");
    EXPECT_EQ (buttonTexts (*window), juce::StringArray ("OK"));
    EXPECT_EQ (window->getComboBoxComponent ("drives"), nullptr);
    EXPECT_EQ (markerType(), 4);
    screenshot ("dialog-no-drives");

    press (returnKey);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
    drainMessages();
    EXPECT_EQ (chosen, 0);
}

struct DriveCase
{
    const char* name;
    int select;                                // index chosen in the box
    std::function<void (FakeVolumes&)> change; // before OK
    const char* expected;                      // root handed over, or null
};

TEST_F (DialogHelperGui, DriveDialogHandsOverTheChosenRootUnlessTheListChanged)
{
    const DriveCase cases[] = {
        {"first by default", 0, {}, "/media/a"},
        {"second", 1, {}, "/media/b"},
        {"one removed", 1, [] (FakeVolumes& f) { f.volumes.remove (0); }, nullptr},
        {"one added", 0, [] (FakeVolumes& f) { f.add ("C (USB)", "/media/c"); }, nullptr},
        {"renamed at the index", 1, [] (FakeVolumes& f) { f.volumes.getReference (1).displayName = "Other"; },
         nullptr},
        {"other index renamed", 0, [] (FakeVolumes& f) { f.volumes.getReference (1).displayName = "Other"; },
         "/media/a"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        fake.volumes.clear();
        fake.add ("A (SD card)", "/media/a");
        fake.add (u8"B (ドライブ)", "/media/b");

        juce::Array<juce::File> chosen;
        DialogHelper::showDriveSelectionDialog ("Import",
                                                [&] (const juce::File& root) { chosen.add (root); });
        auto* window = DialogHelper::getCurrentDialog();
        ASSERT_NE (window, nullptr);
        EXPECT_EQ (DialogHelper::getDialogMessage (*window), "Select a drive.");
        EXPECT_EQ (buttonTexts (*window), juce::StringArray ("OK", "Cancel"));
        EXPECT_EQ (markerType(), 2);
        auto* box = window->getComboBoxComponent ("drives");
        ASSERT_NE (box, nullptr);
        ASSERT_EQ (box->getNumItems(), 2);
        EXPECT_EQ (box->getItemText (1), juce::String::fromUTF8 (u8"B (ドライブ)"));
        EXPECT_EQ (box->getSelectedItemIndex(), 0);

        if (c.select == 0 && !c.change)
            screenshot ("dialog-drives");

        box->setSelectedItemIndex (c.select, juce::dontSendNotification);

        if (c.change)
            c.change (fake);

        press (returnKey);
        ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
        drainMessages();

        if (c.expected == nullptr)
            EXPECT_TRUE (chosen.isEmpty());
        else
            EXPECT_EQ (chosen, juce::Array<juce::File> (juce::File (c.expected)));
    }

    // Cancel chooses nothing.
    juce::Array<juce::File> chosen;
    DialogHelper::showDriveSelectionDialog ("Import", [&] (const juce::File& root) { chosen.add (root); });
    auto* window = DialogHelper::getCurrentDialog();
    press (escapeKey);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (window); }));
    EXPECT_TRUE (chosen.isEmpty());
}

//==============================================================================
// A dialog replaced while open is deleted without its answer; JUCE's late 0 for it must not
// delete the dialog that replaced it.
TEST_F (DialogHelperGui, ReplacingAnOpenDialogKeepsTheNewOne)
{
    int firstCalls = 0, secondCalls = 0;
    DialogHelper::confirmOverwriteSlot ([&] { ++firstCalls; });
    auto* marker = DialogHelper::getIconMarker();
    ASSERT_NE (marker, nullptr);

    DialogHelper::confirmDeleteBank ("B", [&] { ++secondCalls; });
    auto* second = DialogHelper::getCurrentDialog();
    drainMessages();

    EXPECT_EQ (DialogHelper::getCurrentDialog(), second);
    EXPECT_TRUE (second->isCurrentlyModal());
    EXPECT_EQ (firstCalls, 0);
    // The one marker moved on to the new dialog.
    EXPECT_EQ (DialogHelper::getIconMarker(), marker);
    EXPECT_EQ (marker->getParentComponent(), second);

    press (returnKey);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (second); }));
    EXPECT_EQ (secondCalls, 1);
    EXPECT_EQ (firstCalls, 0);

    // A deleted dialog leaves the marker alive; only releasing the resources ends it.
    EXPECT_EQ (DialogHelper::getIconMarker(), marker);
    DialogHelper::releaseResources();
    EXPECT_EQ (DialogHelper::getIconMarker(), nullptr);
}

// An action that opens the next dialog keeps it open: the answered window deletes only itself.
TEST_F (DialogHelperGui, ActionThatOpensADialogKeepsIt)
{
    juce::StringArray names;
    DialogHelper::confirmOverwriteBank (
        [&]
        {
            DialogHelper::showSaveAsDialog ("Copy",
                                            [&] (const juce::String& n)
                                            {
                                                names.add (n);
                                                return true;
                                            });
        });
    auto* first = DialogHelper::getCurrentDialog();

    press (returnKey);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (first); }));
    drainMessages();

    auto* next = DialogHelper::getCurrentDialog();
    ASSERT_NE (next, nullptr);
    EXPECT_EQ (next->getName(), "Save As");
    EXPECT_TRUE (next->isCurrentlyModal());
    EXPECT_EQ (markerType(), 4);

    press (returnKey);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dialogClosed (next); }));
    EXPECT_EQ (names, juce::StringArray ("Copy"));
}

//==============================================================================
// JUCE's own three-button box, never the current dialog: 1 Overwrite, 2 Save As, 0 Cancel.
TEST_F (DialogHelperGui, SameNameBankChoosesOverwriteSaveAsOrNothing)
{
    for (const juce::String choice : {"Overwrite", "Save As", "Cancel"})
    {
        SCOPED_TRACE (choice);
        int overwrites = 0;
        DialogHelper::resolveSameNameBank ([&] { ++overwrites; }, "Kit",
                                           [] (const juce::String&) { return true; });
        EXPECT_EQ (DialogHelper::getCurrentDialog(), nullptr);

        juce::AlertWindow* box = nullptr;
        ASSERT_TRUE (pumpMessagesUntil (
            [&]
            {
                box = dynamic_cast<juce::AlertWindow*> (
                    juce::ModalComponentManager::getInstance()->getModalComponent (0));
                return box != nullptr && box->isShowing();
            }));
        EXPECT_EQ (box->getName(), "A BANK with the same name already exists.");
        EXPECT_EQ (buttonTexts (*box), juce::StringArray ("Overwrite", "Save As", "Cancel"));
        EXPECT_EQ (box->getAlertType(), juce::MessageBoxIconType::QuestionIcon);

        if (choice == "Overwrite")
            screenshot ("dialog-same-name-bank");

        button (*box, choice)->triggerClick();
        ASSERT_TRUE (pumpMessagesUntil (
            [&] { return juce::ModalComponentManager::getInstance()->getModalComponent (0) != box; }));
        drainMessages();

        EXPECT_EQ (overwrites, choice == "Overwrite" ? 1 : 0);
        auto* saveAs = DialogHelper::getCurrentDialog();
        EXPECT_EQ (saveAs != nullptr, choice == "Save As");

        if (saveAs != nullptr)
        {
            EXPECT_EQ (saveAs->getName(), "Save As");
            EXPECT_EQ (saveAs->getTextEditor ("text")->getText(), "Kit");
        }

        DialogHelper::releaseResources();
    }

    settings->setWarnOverwriting (false);
    int overwrites = 0;
    DialogHelper::resolveSameNameBank ([&] { ++overwrites; }, "Kit", {});
    EXPECT_EQ (overwrites, 1);
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
}
} // namespace
