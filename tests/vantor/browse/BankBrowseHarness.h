#pragma once
// The harness window of the BANK table and the browser pane: the BANK view 500 pixels wide
// beside the browser pane, on a real service over a scratch data folder (the test program's
// private home), with the toolkit's look-and-feel. Also the means to drive it: real mouse and
// keys through xdotool, and screenshots of the whole screen.
// Header-only: it uses the data side, which the shared support library does not link.

#include "common/AppInfo.h"
#include "common/AppSettingsSingleton.h"
#include "common/SettingsKey.h"
#include "vantor/bank/BankView.h"
#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BankCollectionPage.h"
#include "vantor/browse/BrowseView.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/browse/SamplePage.h"
#include "vantor/service/VantorService.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/LookAndFeel.h"

#include "support/MessagePump.h"
#include "support/ScratchFolder.h"
#include "support/WholeSetFixtures.h"
#include "vantor/browse/FakeVolumes.h"

#include <gtest/gtest.h>

#include <functional>

namespace glorvak::test
{
class BankBrowseHarness
{
public:
    static constexpr const char* windowTitle = "GLORVAK view harness";

    /** modelSlots: the SLOTs of the working model; storedBanks: BANKs in the collection. */
    explicit BankBrowseHarness (const std::vector<SlotFixture>& modelSlots, int favorite = 0,
                                int storedBanks = 0, bool collectionOpen = false)
    {
        dataFolder.deleteRecursively();
        writeModelFolder (dataFolder, modelSlots, favorite);
        writeCollectionFolder (dataFolder, storedBanks, {});
        factoryFolder.createDirectory();
        for (auto* name : {"Kick 01.wav", "Snare 01.wav", "Hat 01.wav"})
            factoryFolder.getChildFile (name).replaceWithText ("x");
        factoryFolder.getChildFile ("Loops").createDirectory();

        auto* settings = common::AppSettingsSingleton::getInstance();
        settings->setValue (common::SettingsKey::BankCollectionOpen, collectionOpen);
        settings->setValue (common::SettingsKey::PinnedFolders, {});

        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        service = std::make_unique<vantor::service::VantorService>();
        banks = std::make_unique<vantor::bank::BankViewModel> (service.get());
        browse = std::make_unique<vantor::browse::BrowseViewModel> (service.get());
        service->setBankViewModel (banks.get());
        service->setBrowseViewModel (browse.get());
        // The SLOT side too: selecting a BANK shows its SLOTs, which the service insists on.
        slots = std::make_unique<vantor::slot::SlotViewModel> (service.get());
        pads = std::make_unique<vantor::slot::SlotPadViewModel> (service.get());
        detail = std::make_unique<vantor::slot_detail::SlotDetailViewModel> (service.get());
        service->setSlotViewModel (slots.get());
        service->setSlotPadViewModel (pads.get());
        service->setSlotDetailViewModel (detail.get());

        content = std::make_unique<juce::Component>();
        content->setSize (1400, 660);
        bankView = std::make_unique<vantor::bank::BankView> (
            *banks, [s = service.get()] (vantor::service::ClipboardObserver* o, bool on)
            { on ? s->addClipboardObserver (o) : s->removeClipboardObserver (o); });
        bankView->setBounds (10, 10, 500, 347);
        browseView =
            std::make_unique<vantor::browse::BrowseView> (*browse, volumes.makeList(), factoryFolder);
        browseView->setBounds (530, 10, 860, 640);
        content->addAndMakeVisible (*bankView);
        content->addAndMakeVisible (*browseView);

        window = std::make_unique<juce::DocumentWindow> (windowTitle, juce::Colours::black, 0);
        window->setUsingNativeTitleBar (true);
        window->setContentNonOwned (content.get(), true);
        window->setTopLeftPosition (20, 40);
        window->setAlwaysOnTop (true);
        window->setVisible (true);
        window->toFront (true);
        bankView->localeChanged();
        browseView->localeChanged();
        pumpMessagesUntil ([this] { return content->isShowing(); });
        waitForTheWindowManager();
        // A first click on empty ground, so the window has the focus before a test's first click.
        click (onScreen (*content, {200, 600}));
    }

    /** The window manager frames and moves the window some time after it is shown: screen points
        are read only once the content has kept its place for a while. On a loaded machine openbox
        can take many seconds, and clicks aimed before it has moved the window land beside it. */
    void waitForTheWindowManager()
    {
        auto last = content->getScreenPosition();
        int steady = 0;
        pumpMessagesUntil (
            [&]
            {
                juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
                const auto now = content->getScreenPosition();
                steady = (now == last) ? steady + 1 : 0;
                last = now;
                return steady >= 6 && now != juce::Point<int> (20, 40);
            },
            60000);
    }

    ~BankBrowseHarness()
    {
        // A menu or a box left open would keep the next test's input from its window.
        juce::PopupMenu::dismissAllActiveMenus();
        juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
        pumpMessagesUntil (
            [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; }, 60000);
        vantor::ui::DialogHelper::releaseResources();
        window.reset();
        browseView.reset();
        bankView.reset();
        content.reset();
        service->setBankViewModel (nullptr);
        service->setBrowseViewModel (nullptr);
        service->setSlotViewModel (nullptr);
        service->setSlotPadViewModel (nullptr);
        service->setSlotDetailViewModel (nullptr);
        detail.reset();
        pads.reset();
        slots.reset();
        browse.reset();
        banks.reset();
        service.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        dataFolder.deleteRecursively();
    }

    /** A point of a component on the screen. */
    static juce::Point<int> onScreen (juce::Component& c, juce::Point<int> local)
    {
        return c.localPointToGlobal (local);
    }

    /** Runs xdotool with the arguments and pumps messages until it has finished. */
    static bool xdotool (const juce::StringArray& arguments)
    {
        juce::StringArray command ("xdotool");
        command.addArray (arguments);
        juce::ChildProcess child;
        if (!child.start (command, 0))
            return false;
        pumpMessagesUntil ([&child] { return !child.isRunning(); }, 60000);
        // Events of the last step still on their way to the window.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
        return true;
    }

    //==============================================================================
    // Input in steps, each one delivered and handled before the next is sent. On a busy machine
    // the program may be held up (a press that selects a BANK loads its SLOTs); input sent ahead
    // would arrive in a burst, and a drag whose steps come in one burst can end before JUCE's drag
    // image has seen it start. So every step waits until the program has seen it.

    /** The pointer and its buttons as the program last saw them (its last handled mouse event). */
    static juce::Point<int> seenPointer()
    {
        return juce::Desktop::getInstance().getMainMouseSource().getScreenPosition().roundToInt();
    }

    static bool seenButtonDown() { return juce::Desktop::getInstance().getMainMouseSource().isDragging(); }

    /** Moves the pointer and waits until the program has seen it there. */
    static bool moveTo (juce::Point<int> at)
    {
        return xdotool ({"mousemove", juce::String (at.x), juce::String (at.y)}) &&
               pumpMessagesUntil ([at] { return seenPointer() == at; }, 60000);
    }

    /** Moves to the point, presses there and waits until the program has seen the press. */
    static bool press (juce::Point<int> at, int button = 1)
    {
        return moveTo (at) && xdotool ({"mousedown", juce::String (button)}) &&
               pumpMessagesUntil (seenButtonDown, 60000);
    }

    /** Moves with the button held to the point in steps a few pixels apart, each one seen. */
    static bool moveInSteps (juce::Point<int> to, int steps = 12)
    {
        const auto from = seenPointer();

        for (int i = 1; i <= steps; ++i)
            if (!moveTo (from + (to - from) * i / steps))
                return false;

        return true;
    }

    static bool release (int button = 1)
    {
        return xdotool ({"mouseup", juce::String (button)}) &&
               pumpMessagesUntil ([] { return !seenButtonDown(); }, 60000);
    }

    /** A real drag from one point to another: the press, the steps of the move, then, once the
        drag has started and whileOver holds (the target shows that it is hovered), the release. */
    static bool drag (juce::Point<int> from, juce::Point<int> to, juce::DragAndDropContainer& source,
                      const std::function<bool()>& whileOver = {})
    {
        if (!press (from))
            return false;

        // Past JUCE's drag threshold first, then on once the drag has really started.
        const auto started = moveInSteps (from + (to - from) / 12, 2) &&
                             pumpMessagesUntil ([&source] { return source.isDragAndDropActive(); }, 60000);
        const auto arrived =
            started && moveInSteps (to) && (!whileOver || pumpMessagesUntil (whileOver, 60000));
        return release() && started && arrived;
    }

    /** Keys go to the X window that has the input focus: waits until the component has JUCE's
        focus and its window the X server's (a closed dialog hands the X focus back late). */
    static bool waitForKeyboardFocus (juce::Component& component)
    {
        return pumpMessagesUntil (
            [&component]
            {
                auto* peer = component.getPeer();
                return component.hasKeyboardFocus (true) && peer != nullptr && peer->isFocused();
            },
            60000);
    }

    /** A key to a dialog, once its window has the X server's input focus, sent again until the
        dialog is gone (see pressKeyUntil). */
    static bool pressKeyInWindow (juce::Component& window, const juce::String& key)
    {
        juce::Component::SafePointer<juce::Component> dialog (&window);
        return pumpMessagesUntil (
                   [dialog]
                   {
                       auto* peer = dialog != nullptr ? dialog->getPeer() : nullptr;
                       return peer != nullptr && peer->isFocused();
                   },
                   60000) &&
               pressKeyUntil (key, [dialog] { return dialog == nullptr || !dialog->isShowing(); });
    }

    /** Sends a key until its effect shows. Now and then a key sent to the focused window never
        reaches it under load (seen with the window and the table focused); a key whose first
        copy did not act is sent again after a generous wait. */
    static bool pressKeyUntil (const juce::String& key, const std::function<bool()>& hasActed)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
            if (xdotool ({"key", key}) && pumpMessagesUntil (hasActed, 20000))
                return true;

        return false;
    }

    /** A click whose press and release have both been seen by the program. */
    static bool click (juce::Point<int> at, int button = 1) { return press (at, button) && release (button); }

    /** The screen as a PNG in $GLORVAK_SHOTS_DIR (nothing when unset). */
    static void screenshot (const juce::String& name)
    {
        const auto folder = juce::SystemStats::getEnvironmentVariable ("GLORVAK_SHOTS_DIR", {});
        if (folder.isEmpty())
            return;

        juce::MessageManager::getInstance()->runDispatchLoopUntil (150);
        juce::File (folder).createDirectory();
        juce::ChildProcess child;
        if (child.start (
                juce::StringArray{"import", "-window", "root",
                                  juce::File (folder).getChildFile (name + ".png").getFullPathName()},
                0))
            pumpMessagesUntil ([&child] { return !child.isRunning(); }, 60000);
    }

    juce::File dataFolder = common::AppInfo::getUserDataFolder();
    ScratchFolder scratch;
    juce::File factoryFolder = scratch.child ("FactorySamples");
    FakeVolumes volumes;
    vantor::LookAndFeel lookAndFeel;
    std::unique_ptr<vantor::service::VantorService> service;
    std::unique_ptr<vantor::bank::BankViewModel> banks;
    std::unique_ptr<vantor::browse::BrowseViewModel> browse;
    std::unique_ptr<vantor::slot::SlotViewModel> slots;
    std::unique_ptr<vantor::slot::SlotPadViewModel> pads;
    std::unique_ptr<vantor::slot_detail::SlotDetailViewModel> detail;
    std::unique_ptr<juce::Component> content;
    std::unique_ptr<vantor::bank::BankView> bankView;
    std::unique_ptr<vantor::browse::BrowseView> browseView;
    std::unique_ptr<juce::DocumentWindow> window;
};
} // namespace glorvak::test
