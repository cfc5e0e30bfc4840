#pragma once

// Places and steps shared by the tests of the real program: where things are in its main window,
// read from a main component laid out here by the program's own code (so that no position is
// written down twice), captures of the screen, and what a user does in more than one test.

#include "MainComponent.h"
#include "preferences/PreferencesComponent.h"
#include "support/ProgramUnderTest.h"
#include "vantor/VantorComponent.h"
#include "vantor/browse/BankCollectionPage.h"
#include "vantor/browse/BrowseView.h"

#include <gtest/gtest.h>

namespace glorvak::test
{
/** A capture of part of the screen, through ImageMagick's import. */
inline juce::Image capture (juce::Rectangle<int> area)
{
    const auto file = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("program-capture", ".png", false);
    juce::ChildProcess import;
    juce::Image image;

    if (import.start (juce::StringArray{"import", "-window", "root", "-crop",
                                        juce::String (area.getWidth()) + "x" +
                                            juce::String (area.getHeight()) + "+" +
                                            juce::String (area.getX()) + "+" + juce::String (area.getY()),
                                        file.getFullPathName()},
                      0) &&
        import.waitForProcessToFinish (60000))
        image = juce::ImageFileFormat::loadFrom (file);

    file.deleteFile();
    return image;
}

/** The share of pixels that differ between two captures of the same area. */
inline double differingShare (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds() || a.getWidth() * a.getHeight() == 0)
        return 1.0;

    int differing = 0;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y).getARGB() != b.getPixelAt (x, y).getARGB())
                ++differing;

    return differing / (double)(a.getWidth() * a.getHeight());
}

//==============================================================================
/** Where things are in the program's main window, from a main component of the same size built
    here: its children are laid out by the program's own code. Points are in the main
    component's coordinates, which are the window's. */
class WindowLayout
{
public:
    explicit WindowLayout (juce::Rectangle<int> windowBounds)
    {
        main = std::make_unique<MainComponent>();
        main->setSize (windowBounds.getWidth(), windowBounds.getHeight());
    }

    juce::Rectangle<int> boundsOf (juce::Component& component) const
    {
        return main->getLocalArea (&component, component.getLocalBounds());
    }

    vantor::VantorComponent& view() { return main->getVantorComponent(); }

    juce::Rectangle<int> pad (int index)
    {
        return boundsOf (view().getSlotView().getPadPanel (index)->getPadButton());
    }

    juce::Point<int> slotRowCentre (int row) { return rowCentre (view().getSlotView().getTable(), row); }
    juce::Point<int> bankRowCentre (int row) { return rowCentre (view().getBankView().getTable(), row); }

    juce::Rectangle<int> waveform() { return boundsOf (view().getSlotDetailView().getThumbnail()); }

    juce::Point<int> exportButtonCentre()
    {
        return boundsOf (view().getBankView().getExportButton()).getCentre();
    }

    juce::Point<int> collectionTabCentre()
    {
        return boundsOf (view().getBrowseView().getOpenCloseButton()).getCentre();
    }

    /** A point on the open collection's table: open, the page takes the pane's left edge. */
    juce::Point<int> openCollectionTableCentre()
    {
        const auto pane = boundsOf (view().getBrowseView());
        const auto& table = view().getBrowseView().getBankCollectionPage()->getTable();
        return {pane.getX() + vantor::browse::BrowseView::collectionWidth / 2,
                pane.getY() + table.getY() + 3 * table.getRowHeight()};
    }

    juce::Rectangle<int> bankViewBounds() { return boundsOf (view().getBankView()); }
    juce::Rectangle<int> slotViewBounds() { return boundsOf (view().getSlotView()); }

    //==============================================================================
    // The preferences overlay, laid out as it shows once File > Preferences has opened it.

    preferences::PreferencesComponent& preferencesOverlay()
    {
        return main->getMainCommandTarget().getPreferences();
    }

    juce::Rectangle<int> preferencesPanel()
    {
        auto& overlay = preferencesOverlay();
        return main->getLocalArea (&overlay, overlay.getPanelBounds());
    }

    juce::Point<int> preferencesCloseCentre()
    {
        return boundsOf (preferencesOverlay().getCloseButton()).getCentre();
    }

    /** The toggle of the overlay that shows this text (translated as here): the whole box and
        its label. */
    juce::Rectangle<int> preferencesToggle (const juce::String& text)
    {
        juce::Rectangle<int> found;
        forEachPreferencesControl (
            [&] (juce::Component& control)
            {
                if (auto* toggle = dynamic_cast<juce::ToggleButton*> (&control);
                    toggle != nullptr && toggle->getButtonText() == TRANS (text))
                    found = boundsOf (*toggle);
            });
        return found;
    }

    /** The overlay's one combo box, the language choice. */
    juce::Rectangle<int> preferencesLanguageBox()
    {
        juce::Rectangle<int> found;
        forEachPreferencesControl (
            [&] (juce::Component& control)
            {
                if (dynamic_cast<juce::ComboBox*> (&control) != nullptr)
                    found = boundsOf (control);
            });
        return found;
    }

    /** A point in the black band at the bottom, where the mouse hides and highlights nothing. */
    juce::Point<int> restingPoint() const { return {main->getWidth() / 4, main->getHeight() - 6}; }

private:
    /** Over the name of a row of a table. */
    juce::Point<int> rowCentre (juce::ListBox& table, int row) const
    {
        return boundsOf (table).getTopLeft() +
               juce::Point<int> (120, row * table.getRowHeight() + table.getRowHeight() / 2);
    }

    template <typename Visit>
    void forEachPreferencesControl (Visit&& visit)
    {
        for (auto* section : preferencesOverlay().getContent().getChildren())
            for (auto* control : section->getChildren())
                visit (*control);
    }

    std::unique_ptr<MainComponent> main;
};

//==============================================================================
// The menu bar: its names in the main window, and the items of each menu in their order on the
// screen (separators left out).
inline const juce::Point<int> fileMenu{20, 12};
inline const juce::Point<int> helpMenu{60, 12};

enum FileItem
{
    exportItem,
    importItem,
    backupItem,
    restoreItem,
    preferencesItem,
    exitItem,
    fileItemCount
};

enum HelpItem
{
    manualItem,
    privacyPolicyItem,
    checkForUpdatesItem,
    aboutItem,
    helpItemCount
};

/** Opens a menu of the bar and reads its item lines; empty (and a failure) when the menu does
    not show the expected number of items. */
inline std::vector<ProgramRun::MenuLine> openMenuLines (ProgramRun& run, juce::Point<int> name,
                                                        size_t itemCount)
{
    const auto popup = run.openMenu (name);
    EXPECT_TRUE (popup.isValid());
    auto lines = run.readMenuLines (popup);
    EXPECT_EQ (lines.size(), itemCount);
    return lines.size() == itemCount ? lines : std::vector<ProgramRun::MenuLine>();
}

inline bool pickMenuLine (ProgramRun& run, const std::vector<ProgramRun::MenuLine>& lines, size_t item)
{
    return item < lines.size() && run.clickOnScreen (lines[item].bounds.getCentre());
}

/** Opens a menu and picks one of its items, as a user does with the mouse. */
inline bool pickMenuItem (ProgramRun& run, juce::Point<int> name, size_t itemCount, size_t item)
{
    return pickMenuLine (run, openMenuLines (run, name, itemCount), item);
}

/** Renames a BANK as a user does: selects its row, F2, types the name, Return. */
inline bool renameBank (ProgramRun& run, juce::Point<int> nameCell, const juce::String& name)
{
    return run.click (nameCell) && run.activate() && run.key ("F2") && run.typeText (name) &&
           run.key ("Return");
}

/** Closes the main window with alt+F4, as a user at the keyboard does. Right after typing this is
    the way to close: the key reaches the window manager in order behind the keys typed before it,
    whereas closeAsUser's request comes over another X connection, and openbox was seen to drop
    it (about one time in four) when it overtook keys still on their way. */
inline bool closeWithKeyboard (ProgramRun& run)
{
    return run.activate() && run.key ("alt+F4");
}

enum class Closing
{
    withWindowManager, // closeAsUser
    withKeyboard       // closeWithKeyboard
};

/** Closes the window as a user does; the program ends with 0 and nothing reported by the
    sanitizers or JUCE's leak detector. */
inline void expectCleanEnd (ProgramRun& run, Closing closing = Closing::withWindowManager)
{
    ASSERT_TRUE (closing == Closing::withKeyboard ? closeWithKeyboard (run) : run.closeAsUser());
    ASSERT_TRUE (run.waitForExit()) << run.output();
    EXPECT_EQ (run.exitCode(), 0) << run.output();
    EXPECT_FALSE (run.hasSanitizerReport()) << run.output();
}

/** A test of the real program: skipped where it cannot run; one user's folders. */
class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const auto reason = whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;
    }

    ProgramUser user;
};
} // namespace glorvak::test
