#include "MainComponent.h"

#include "common/AppSettingsSingleton.h"
#include "common/LocaleNotifier.h"
#include "common/SettingsKey.h"
#include "vantor/VantorCommandTarget.h"
#include "vantor/VantorComponent.h"
#include "vantor/ui/LookAndFeel.h"

//==============================================================================
MainComponent::MenuBarModel::MenuBarModel (juce::ApplicationCommandManager& manager)
    : commandManager (manager)
{
    setApplicationCommandManagerToWatch (&commandManager);
}

juce::StringArray MainComponent::MenuBarModel::getMenuBarNames()
{
    return {TRANS ("File"), TRANS ("Help")};
}

juce::PopupMenu MainComponent::MenuBarModel::getMenuForIndex (int topLevelMenuIndex, const juce::String&)
{
    juce::PopupMenu menu;
    auto add = [this, &menu] (int commandId) { menu.addCommandItem (&commandManager, commandId); };

    if (topLevelMenuIndex == 0)
    {
        add (1);
        add (2);
        menu.addSeparator();
        add (3);
        add (4);
        menu.addSeparator();
        add (MainCommandTarget::preferencesCommand);
        menu.addSeparator();
        add (MainCommandTarget::exitCommand);
    }
    else if (topLevelMenuIndex == 1)
    {
        add (MainCommandTarget::manualCommand);
        add (MainCommandTarget::privacyPolicyCommand);
        menu.addSeparator();
        add (MainCommandTarget::checkForUpdatesCommand);
        menu.addSeparator();
        add (MainCommandTarget::aboutCommand);
    }
    return menu;
}

void MainComponent::MenuBarModel::menuItemSelected (int, int)
{
    // The command items invoke their commands through the manager.
}

//==============================================================================
MainComponent::TooltipHandler::TooltipHandler()
    : settings (common::AppSettingsSingleton::getInstance())
{
    if (settings == nullptr)
        return;
    if (settings->getShowTooltips())
        tooltipWindow = std::make_unique<juce::TooltipWindow>();
    settings->addListener (this);
}

MainComponent::TooltipHandler::~TooltipHandler()
{
    if (settings != nullptr && common::AppSettingsSingleton::getInstanceWithoutCreating() != nullptr)
        settings->removeListener (this);
    tooltipWindow.reset();
}

void MainComponent::TooltipHandler::settingChanged (common::AppSettings* changed, const juce::Identifier& key)
{
    if (key != common::SettingsKey::ShowTooltips)
        return;
    if (changed != nullptr && changed->getShowTooltips())
        tooltipWindow = std::make_unique<juce::TooltipWindow>(); // replaces any previous one
    else
        tooltipWindow.reset();
}

//==============================================================================
/** Tells the menu bar to read its (translated) names again after a language change. */
class MainComponent::MenuRefresher : public common::LocaleObserver
{
public:
    explicit MenuRefresher (MainComponent& ownerToUse)
        : owner (ownerToUse)
    {
    }

    void localeChanged() override
    {
        if (owner.menuBarModel != nullptr)
            owner.menuBarModel->menuItemsChanged();
        owner.commandManager.commandStatusChanged();
    }

private:
    MainComponent& owner;
};

//==============================================================================
MainComponent::MainComponent()
{
    setSize (initialWidth, initialHeight);

    menuBar = std::make_unique<juce::MenuBarComponent>();
    addAndMakeVisible (*menuBar);

    volumeList = std::make_unique<common::RemovableVolumeList>();
    auto programLookAndFeel = std::make_unique<vantor::LookAndFeel>();
    programLookAndFeel->setDriveRootLookup (
        [volumes = volumeList.get()] (const juce::File& folder, juce::String& label)
        {
            for (const auto& volume : volumes->getVolumes())
                if (volume.rootFolder == folder)
                {
                    label = volume.volumeLabel;
                    return true;
                }
            return false;
        });
    lookAndFeel = std::move (programLookAndFeel);
    juce::Desktop::getInstance().setDefaultLookAndFeel (lookAndFeel.get());

    vantorComponent = std::make_unique<vantor::VantorComponent>();
    vantorComponent->setBounds (getLocalBounds());

    viewport = std::make_unique<juce::Viewport> (juce::String());
    viewport->setViewedComponent (vantorComponent.get(), false);
    addAndMakeVisible (*viewport);
    viewport->setBounds (getLocalBounds());
    viewport->setWantsKeyboardFocus (false);

    vantorCommandTarget = vantorComponent->createCommandTarget (commandManager);
    mainCommandTarget = std::make_unique<MainCommandTarget> (commandManager, vantorCommandTarget.get());
    // Registering again keeps each id's place, so the manager lists 1 to 10 in order.
    commandManager.registerAllCommandsForTarget (mainCommandTarget.get());
    commandManager.registerAllCommandsForTarget (vantorCommandTarget.get());
    commandManager.setFirstCommandTarget (mainCommandTarget.get());
    addKeyListener (commandManager.getKeyMappings());

    menuBarModel = std::make_unique<MenuBarModel> (commandManager);
    menuBar->setModel (menuBarModel.get());

    auto& overlay = mainCommandTarget->getPreferences();
    vantorComponent->addChildComponent (overlay);
    overlay.setBounds (vantorComponent->getLocalBounds());

    tooltipHandler = std::make_unique<TooltipHandler>();
    localeNotifier = std::make_unique<common::LocaleNotifier>();
    menuRefresher = std::make_unique<MenuRefresher> (*this);

    localeNotifier->addObserver (&overlay);
    vantorComponent->addLocaleObservers (*localeNotifier);
    localeNotifier->addObserver (menuRefresher.get());

    resized();
}

MainComponent::~MainComponent()
{
    localeNotifier.reset();
    menuBar->setModel (nullptr);
    commandManager.setFirstCommandTarget (nullptr);
    removeKeyListener (commandManager.getKeyMappings());

    menuRefresher.reset();
    // The program's look-and-feel stops being the default before anything using it goes.
    juce::Desktop::getInstance().setDefaultLookAndFeel (nullptr);
    lookAndFeel.reset();
    volumeList.reset();
    viewport->setViewedComponent (nullptr, false);
    // The overlay lives in the main view but belongs to the main target.
    vantorComponent->removeChildComponent (&mainCommandTarget->getPreferences());
    vantorComponent.reset();
    viewport.reset();
    menuBar.reset();
    menuBarModel.reset();
    tooltipHandler.reset();
    vantorCommandTarget.reset();
    mainCommandTarget.reset();
}

void MainComponent::resized()
{
    // setSize calls this before the children exist.
    if (menuBar == nullptr || viewport == nullptr)
        return;

    const auto menuHeight = getLookAndFeel().getDefaultMenuBarHeight();
    menuBar->setBounds (0, 0, getWidth(), juce::jmin (getHeight(), menuHeight));
    viewport->setBounds (0, menuBar->getBottom(), getWidth(),
                         juce::jmax (0, getHeight() - menuBar->getBottom()));

    if (auto* viewed = viewport->getViewedComponent())
        viewed->setBounds (
            0, menuBar->getHeight(), juce::jmax (getWidth(), minimumViewWidth),
            juce::jmax (0, juce::jmax (getHeight(), minimumViewHeight) - menuBar->getHeight()));
}

void MainComponent::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::PopupMenu::backgroundColourId));
}
