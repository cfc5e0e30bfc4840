#pragma once

#include "MainCommandTarget.h"
#include "common/AppSettings.h"
#include "common/volumes/RemovableVolumeList.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace common
{
class LocaleNotifier;
}

namespace vantor
{
class VantorComponent;
class VantorCommandTarget;
} // namespace vantor

/** The main window's content: the menu bar over the main view (in a viewport), the command
    manager with its two targets, the program's look-and-feel, the tooltip window while tooltips
    are on, and the locale notifier that re-translates every language-dependent object at once.

    Building order matters: the look-and-feel becomes the default before the main view is built;
    the File target needs the main view's service; the preferences overlay goes into the main
    view. Destruction first stops the language notifications, detaches the menu and clears the
    command chain, so that nothing reaches a member while it goes.
    Threads: message thread only. */
class MainComponent : public juce::Component
{
public:
    /** Watches the command manager, so that greyed items follow the commands' state; the bar's
        names are translated, which JUCE reads only when told that the bar changed. */
    class MenuBarModel : public juce::MenuBarModel
    {
    public:
        explicit MenuBarModel (juce::ApplicationCommandManager& manager);

        juce::StringArray getMenuBarNames() override;
        juce::PopupMenu getMenuForIndex (int topLevelMenuIndex, const juce::String& menuName) override;
        void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

    private:
        juce::ApplicationCommandManager& commandManager;
    };

    /** Keeps a tooltip window exactly while "ShowTooltips" is on. */
    class TooltipHandler : private common::AppSettings::Listener
    {
    public:
        TooltipHandler();
        ~TooltipHandler() override;

        juce::TooltipWindow* getTooltipWindow() const noexcept { return tooltipWindow.get(); }

    private:
        void settingChanged (common::AppSettings* settings, const juce::Identifier& key) override;

        common::AppSettings* settings = nullptr;
        std::unique_ptr<juce::TooltipWindow> tooltipWindow;
    };

    MainComponent();
    ~MainComponent() override;

    void resized() override;
    void paint (juce::Graphics& g) override;

    juce::ApplicationCommandManager& getCommandManager() noexcept { return commandManager; }
    MainCommandTarget& getMainCommandTarget() noexcept { return *mainCommandTarget; }
    vantor::VantorComponent& getVantorComponent() noexcept { return *vantorComponent; }
    juce::MenuBarComponent& getMenuBar() noexcept { return *menuBar; }
    juce::Viewport& getViewport() noexcept { return *viewport; }
    TooltipHandler& getTooltipHandler() noexcept { return *tooltipHandler; }
    common::LocaleNotifier& getLocaleNotifier() noexcept { return *localeNotifier; }

    static constexpr int initialWidth = 1280;
    static constexpr int initialHeight = 800;
    /** Below this the main view scrolls instead of shrinking. */
    static constexpr int minimumViewWidth = 1174;
    static constexpr int minimumViewHeight = 613;

private:
    class MenuRefresher;

    juce::ApplicationCommandManager commandManager;
    std::unique_ptr<MainCommandTarget> mainCommandTarget;
    std::unique_ptr<vantor::VantorCommandTarget> vantorCommandTarget;
    std::unique_ptr<TooltipHandler> tooltipHandler;
    std::unique_ptr<common::LocaleNotifier> localeNotifier;
    std::unique_ptr<MenuBarModel> menuBarModel;
    std::unique_ptr<juce::MenuBarComponent> menuBar;
    std::unique_ptr<juce::Viewport> viewport;
    std::unique_ptr<vantor::VantorComponent> vantorComponent;
    std::unique_ptr<common::RemovableVolumeList> volumeList; // names the drive roots in file lists
    std::unique_ptr<juce::LookAndFeel> lookAndFeel;
    std::unique_ptr<MenuRefresher> menuRefresher;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
