// Shows the SLOT table and the SLOT detail editor on the real service, with its data under
// $XDG_DATA_HOME, for trying the views by hand and for the GUI tests' screenshots.
//   slot_views_harness [--demo] [--detail-width N]
// --demo fills BANK 1 with two SLOTs of generated audio (one looping) first.

#include "harness/SlotViewsHarness.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class HarnessApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return glorvak::test::SlotViewsHarnessWindow::title; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String& commandLine) override
    {
        const auto arguments = juce::StringArray::fromTokens (commandLine, true);
        auto detailWidth = glorvak::test::SlotViewsHarness::viewWidth;

        if (const auto at = arguments.indexOf ("--detail-width"); at >= 0)
            detailWidth = juce::jmax (100, arguments[at + 1].getIntValue());

        window = std::make_unique<glorvak::test::SlotViewsHarnessWindow> (detailWidth);

        if (arguments.contains ("--demo"))
            window->getHarness().fillDemoBank (juce::File::getSpecialLocation (juce::File::tempDirectory)
                                                   .getChildFile ("glorvak-harness-sources"));
    }

    void shutdown() override { window.reset(); }

private:
    std::unique_ptr<glorvak::test::SlotViewsHarnessWindow> window;
};
} // namespace

START_JUCE_APPLICATION (HarnessApplication)
