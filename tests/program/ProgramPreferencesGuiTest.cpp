// The preferences of the real program, set as a user sets them: File > Preferences, a click on
// each switch and a language chosen in the list, the overlay closed, the program quit. What the
// program keeps is read from "settings.json"; what it shows after a new start from captures of the
// screen, compared with what it showed when the switch was set.

#include "program/ProgramSteps.h"

#include <gtest/gtest.h>

#include <map>

using namespace glorvak::test;

namespace
{
struct Switch
{
    const char* text; // as the overlay shows it in English
    const char* key;  // in "settings.json"
};

const Switch switches[] = {
    {"Confirm when overwriting", "WarnOverwriting"},
    {"Confirm when deleting", "WarnDeleting"},
    {"Show tooltips", "ShowTooltips"},
    {"Check for updates automatically", "AutoUpdate"},
};

// Rows of the language list, in the order the program lists them.
constexpr size_t englishRow = 0;
constexpr size_t germanRow = 2;
constexpr size_t languageCount = 9;

class ProgramPreferences : public ProgramTest
{
protected:
    void start()
    {
        run = std::make_unique<ProgramRun> (user);
        ASSERT_TRUE (run->started());
        window = run->waitForMainWindow();
        ASSERT_TRUE (window.isValid()) << run->output();
        layout = std::make_unique<WindowLayout> (window.bounds);
        ASSERT_TRUE (run->activate());
    }

    void quit()
    {
        expectCleanEnd (*run, Closing::withKeyboard);
        run.reset();
    }

    juce::Image captureInWindow (juce::Rectangle<int> area) const
    {
        return capture (area.translated (window.bounds.getX(), window.bounds.getY()));
    }

    // The mouse rests where it lights up nothing, so that a capture shows a control as it is.
    bool rest() { return run->moveMouse (window.bounds.getPosition() + layout->restingPoint()); }

    bool waitUntilShown (const std::function<juce::Image()>& captureNow, const juce::Image& expected)
    {
        return rest() && run->waitUntil ([&] { return differingShare (captureNow(), expected) == 0.0; });
    }

    /** Waits until the area shows something else than before and has stopped changing (a control
        the mouse has just left is repainted once more), and returns that. */
    juce::Image waitUntilChanged (const std::function<juce::Image()>& captureNow, const juce::Image& before)
    {
        juce::Image last;

        if (!rest() || !run->waitUntil (
                           [&]
                           {
                               auto now = captureNow();
                               const bool steady = last.isValid() && differingShare (now, last) == 0.0;
                               last = now;
                               return steady && differingShare (now, before) > 0.0;
                           }))
            return {};

        return last;
    }

    void openPreferences()
    {
        const auto panel = layout->preferencesPanel();
        ASSERT_TRUE (rest());
        const auto closed = captureInWindow (panel);
        ASSERT_TRUE (pickMenuItem (*run, fileMenu, fileItemCount, preferencesItem));
        ASSERT_TRUE (waitUntilChanged ([&] { return captureInWindow (panel); }, closed).isValid());
    }

    void closePreferences()
    {
        const auto panel = layout->preferencesPanel();
        const auto open = captureInWindow (panel);
        ASSERT_TRUE (run->click (layout->preferencesCloseCentre()));
        ASSERT_TRUE (waitUntilChanged ([&] { return captureInWindow (panel); }, open).isValid());
    }

    // The switch picture at the left of a toggle (1.5 times as wide as the toggle is high),
    // without its text, which changes with the language.
    juce::Image captureSwitch (const Switch& s) const
    {
        const auto toggle = layout->preferencesToggle (s.text);
        return captureInWindow (toggle.withWidth (toggle.getHeight() * 3 / 2));
    }

    juce::Image captureLanguage() const { return captureInWindow (layout->preferencesLanguageBox()); }

    /** Clicks a switch and returns how it shows afterwards. */
    juce::Image flip (const Switch& s)
    {
        const auto before = captureSwitch (s);
        EXPECT_TRUE (run->click (layout->preferencesToggle (s.text).getCentre()));
        return waitUntilChanged ([&] { return captureSwitch (s); }, before);
    }

    /** Picks a row of the language list and returns how the list shows afterwards. */
    juce::Image chooseLanguage (size_t row)
    {
        const auto before = captureLanguage();
        const auto list = run->openMenu (layout->preferencesLanguageBox().getCentre());
        EXPECT_TRUE (list.isValid());
        const auto lines = run->readMenuLines (list);
        EXPECT_EQ (lines.size(), languageCount);

        if (!pickMenuLine (*run, lines, row))
            return {};

        return waitUntilChanged ([&] { return captureLanguage(); }, before);
    }

    juce::var readSettings() const { return juce::JSON::parse (user.settingsFile().loadFileAsString()); }

    std::unique_ptr<ProgramRun> run;
    ProgramWindow window;
    std::unique_ptr<WindowLayout> layout;
};
} // namespace

TEST_F (ProgramPreferences, EachPreferenceIsKeptInSettingsJsonAndShownAgainAfterANewStart)
{
    // First run: every switch from its default (on) to off, the language from English to German.
    std::map<juce::String, juce::Image> shownOn, shownOff;
    ASSERT_NO_FATAL_FAILURE (start());
    ASSERT_NO_FATAL_FAILURE (openPreferences());
    run->screenshot ("program-preferences-defaults");

    for (const auto& s : switches)
    {
        SCOPED_TRACE (s.text);
        shownOn[s.text] = captureSwitch (s);
        shownOff[s.text] = flip (s);
        ASSERT_TRUE (shownOff[s.text].isValid()) << "the switch shows the click";
    }

    const auto shownEnglish = captureLanguage();
    const auto shownGerman = chooseLanguage (germanRow);
    ASSERT_TRUE (shownGerman.isValid()) << "the list shows the choice";
    run->screenshot ("program-preferences-changed");
    ASSERT_NO_FATAL_FAILURE (closePreferences());
    ASSERT_NO_FATAL_FAILURE (quit());

    auto settings = readSettings();
    for (const auto& s : switches)
    {
        SCOPED_TRACE (s.key);
        ASSERT_TRUE (settings.hasProperty (s.key)) << user.settingsFile().loadFileAsString();
        EXPECT_FALSE ((bool)settings[s.key]);
    }
    EXPECT_EQ (settings["GuiLangId"].toString(), "de");

    // Second run: the overlay shows what was stored; every choice is undone.
    ASSERT_NO_FATAL_FAILURE (start());
    ASSERT_NO_FATAL_FAILURE (openPreferences());
    run->screenshot ("program-preferences-kept");

    for (const auto& s : switches)
    {
        SCOPED_TRACE (s.text);
        EXPECT_TRUE (waitUntilShown ([&] { return captureSwitch (s); }, shownOff[s.text]))
            << "shown as stored";
        EXPECT_EQ (differingShare (flip (s), shownOn[s.text]), 0.0) << "on again";
    }

    EXPECT_TRUE (waitUntilShown ([&] { return captureLanguage(); }, shownGerman)) << "shown as stored";
    EXPECT_EQ (differingShare (chooseLanguage (englishRow), shownEnglish), 0.0) << "English again";
    ASSERT_NO_FATAL_FAILURE (closePreferences());
    ASSERT_NO_FATAL_FAILURE (quit());

    settings = readSettings();
    for (const auto& s : switches)
    {
        SCOPED_TRACE (s.key);
        EXPECT_TRUE ((bool)settings[s.key]) << user.settingsFile().loadFileAsString();
    }
    EXPECT_EQ (settings["GuiLangId"].toString(), "en");
}
