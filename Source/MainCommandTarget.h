#pragma once

#include "MainPreferences.h"
#include "WebPageOpener.h"
#include "preferences/PreferencesComponent.h"
#include "preferences/VantorPreferences.h"

#include <juce_gui_extra/juce_gui_extra.h>

namespace vantor
{
class VantorCommandTarget;
}

/** Serves the menu commands Preferences (5), Exit (6), Manual (7), Privacy Policy (8), Check for
    Updates (9) and About (10); the File operations 1 to 4 go on to the next target. It owns the
    preferences overlay with its two factories and the About box, which is built once and gets a
    fresh licence viewer at each opening.
    Threads: message thread only. */
class MainCommandTarget : public juce::ApplicationCommandTarget
{
public:
    enum CommandId
    {
        preferencesCommand = 5,
        exitCommand = 6,
        manualCommand = 7,
        privacyPolicyCommand = 8,
        checkForUpdatesCommand = 9,
        aboutCommand = 10,
    };

    /** The licence notices in a read-only text viewer below the title "Licenses". */
    class LicenseTextEditor : public juce::Component
    {
    public:
        LicenseTextEditor();

        void paint (juce::Graphics& g) override;
        void resized() override;
        int getTitleHeight() const;

        juce::CodeEditorComponent& getEditor() noexcept { return *editor; }
        const juce::CodeDocument& getDocument() const noexcept { return document; }

    private:
        juce::CodeDocument document;
        std::unique_ptr<juce::CodeEditorComponent> editor;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LicenseTextEditor)
    };

    /** Registers its commands with the manager; the manager and the next target outlive it. */
    MainCommandTarget (juce::ApplicationCommandManager& manager, vantor::VantorCommandTarget* next);
    ~MainCommandTarget() override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const InvocationInfo& info) override;

    preferences::PreferencesComponent& getPreferences() noexcept { return *preferences; }
    juce::AlertWindow& getAboutWindow() noexcept { return *aboutWindow; }
    LicenseTextEditor* getLicenseEditor() noexcept { return licenseEditor.get(); }

    /** The address of a web page through the translation table (a language may point to a page
        of its own). */
    static juce::String translatedAddress (const juce::URL& page);

private:
    void showAbout();
    void aboutClosed (int result);
    void openWebPage (const juce::URL& page);

    juce::ApplicationCommandManager& commandManager;
    vantor::VantorCommandTarget* next;
    std::unique_ptr<preferences::PreferencesComponent> preferences;
    std::unique_ptr<MainPreferences> mainPreferences;
    std::unique_ptr<vantor::VantorPreferences> vantorPreferences;
    std::unique_ptr<juce::AlertWindow> aboutWindow;
    std::unique_ptr<LicenseTextEditor> licenseEditor;
    WebPageOpener webPageOpener;

    JUCE_DECLARE_WEAK_REFERENCEABLE (MainCommandTarget)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainCommandTarget)
};
