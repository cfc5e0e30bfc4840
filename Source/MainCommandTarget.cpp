#include "MainCommandTarget.h"

#include "common/AppInfo.h"
#include "common/updater/Updater.h"
#include "vantor/VantorCommandTarget.h"

//==============================================================================
MainCommandTarget::LicenseTextEditor::LicenseTextEditor()
{
    editor = std::make_unique<juce::CodeEditorComponent> (document, nullptr);
    editor->setReadOnly (true);
    editor->setLineNumbersShown (false);
    addAndMakeVisible (*editor);

    juce::String text;
    const auto file = common::AppInfo::getLicenseNoticeFile();
    if (file != juce::File() && !file.isDirectory())
        if (juce::FileInputStream stream (file); stream.openedOk())
            text = stream.readEntireStreamAsString();
    editor->loadContent (text);

    editor->setColour (juce::CodeEditorComponent::backgroundColourId,
                       findColour (juce::AlertWindow::backgroundColourId));
    editor->setColour (juce::CodeEditorComponent::highlightColourId,
                       findColour (juce::TextEditor::highlightColourId));
    setSize (480, 300);
}

int MainCommandTarget::LicenseTextEditor::getTitleHeight() const
{
    return (int)getLookAndFeel().getAlertWindowFont().getHeight() + 5;
}

void MainCommandTarget::LicenseTextEditor::paint (juce::Graphics& g)
{
    const auto titleHeight = getTitleHeight();
    g.setFont (getLookAndFeel().getAlertWindowFont());
    g.setColour (findColour (juce::AlertWindow::textColourId));
    g.drawText ("Licenses", 5, 0, juce::jmax (0, getWidth() - 10), juce::jmax (0, titleHeight),
                juce::Justification::centredLeft, true);

    g.setColour (findColour (juce::AlertWindow::outlineColourId));
    if (getWidth() - 5 > 5)
        g.drawHorizontalLine (titleHeight, 5.0f, (float)getWidth() - 5.0f);
}

void MainCommandTarget::LicenseTextEditor::resized()
{
    const auto top = getTitleHeight() + 10;
    editor->setBounds (0, top, getWidth(), juce::jmax (0, getHeight() - top));
}

//==============================================================================
MainCommandTarget::MainCommandTarget (juce::ApplicationCommandManager& manager,
                                      vantor::VantorCommandTarget* nextTarget)
    : commandManager (manager)
    , next (nextTarget)
{
    preferences = std::make_unique<preferences::PreferencesComponent>();
    preferences->setAlwaysOnTop (true);
    vantorPreferences = std::make_unique<vantor::VantorPreferences>();
    mainPreferences = std::make_unique<MainPreferences>();
    preferences->addSections (*vantorPreferences);
    preferences->addSections (*mainPreferences);

    aboutWindow = std::make_unique<juce::AlertWindow> (common::AppInfo::getProductName(),
                                                       common::AppInfo::getProductVersion() + "\r\n\r\n" +
                                                           common::AppInfo::getLegalCopyright(),
                                                       juce::MessageBoxIconType::NoIcon, nullptr);
    aboutWindow->addButton ("OK", 1, juce::KeyPress (juce::KeyPress::returnKey));

    commandManager.registerAllCommandsForTarget (this);
}

MainCommandTarget::~MainCommandTarget()
{
    if (aboutWindow != nullptr && aboutWindow->isCurrentlyModal (false))
        aboutWindow->exitModalState (0);
    if (aboutWindow != nullptr && licenseEditor != nullptr)
        aboutWindow->removeCustomComponent (0);
    licenseEditor.reset();
    aboutWindow.reset();
    // The overlay's controls are bound to the factories' values: they go first.
    if (auto* parent = preferences->getParentComponent())
        parent->removeChildComponent (preferences.get());
    preferences.reset();
    vantorPreferences.reset();
    mainPreferences.reset();
}

juce::ApplicationCommandTarget* MainCommandTarget::getNextCommandTarget()
{
    return next;
}

void MainCommandTarget::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.addArray ({preferencesCommand, exitCommand, manualCommand, privacyPolicyCommand,
                        checkForUpdatesCommand, aboutCommand});
}

void MainCommandTarget::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    // Categories name the menus and are never translated.
    switch (commandID)
    {
        case preferencesCommand:
            result.setInfo (TRANS ("Preferences"), TRANS (juce::String()), "File", 0);
            result.setActive (!preferences->isVisible());
            break;
        case exitCommand:
            result.setInfo (TRANS ("Exit"), TRANS (juce::String()), "File", 0);
            break;
        case manualCommand:
            result.setInfo (TRANS ("Manual"), TRANS (juce::String()), "Help", 0);
            break;
        case privacyPolicyCommand:
            result.setInfo (TRANS ("Privacy Policy"), TRANS (juce::String()), "Help", 0);
            break;
        case checkForUpdatesCommand:
        {
            result.setInfo (TRANS ("Check for Updates"), TRANS (juce::String()), "Help", 0);
            auto* updater = common::updater::Updater::getInstanceWithoutCreating();
            result.setActive (updater == nullptr || !updater->isBusy());
            break;
        }
        case aboutCommand:
            result.setInfo (
                TRANS ("About {appName}").replace ("{appName}", common::AppInfo::getProductName()),
                TRANS (juce::String()), "Help", 0);
            break;
        default:
            break;
    }
}

bool MainCommandTarget::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case preferencesCommand:
            preferences->setVisible (true);
            commandManager.commandStatusChanged();
            return true;
        case exitCommand:
            juce::JUCEApplication::getInstance()->systemRequestedQuit();
            return true;
        case manualCommand:
            openWebPage (common::AppInfo::getProductPageUrl());
            return true;
        case privacyPolicyCommand:
            openWebPage (common::AppInfo::getPrivacyPolicyUrl());
            return true;
        case checkForUpdatesCommand:
            if (auto* updater = common::updater::Updater::getInstance())
                updater->checkNow();
            commandManager.commandStatusChanged();
            return true;
        case aboutCommand:
            showAbout();
            return true;
        default:
            return false;
    }
}

juce::String MainCommandTarget::translatedAddress (const juce::URL& page)
{
    const auto address = page.toString (true);
    return address.isEmpty() ? juce::String() : TRANS (address);
}

void MainCommandTarget::openWebPage (const juce::URL& page)
{
    webPageOpener.open (translatedAddress (page));
}

void MainCommandTarget::showAbout()
{
    if (aboutWindow == nullptr)
        return;

    // One viewer at a time: the previous one (if the box was never closed) leaves the box first.
    if (licenseEditor != nullptr)
        aboutWindow->removeCustomComponent (0);
    licenseEditor = std::make_unique<LicenseTextEditor>();
    aboutWindow->addCustomComponent (licenseEditor.get());
    for (auto* child : aboutWindow->getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
        {
            button->setButtonText (TRANS ("OK"));
            break;
        }

    aboutWindow->enterModalState (true,
                                  juce::ModalCallbackFunction::create (
                                      [weakThis = juce::WeakReference<MainCommandTarget> (this)] (int result)
                                      {
                                          if (weakThis != nullptr)
                                              weakThis->aboutClosed (result);
                                      }),
                                  false);
}

void MainCommandTarget::aboutClosed (int result)
{
    if (aboutWindow == nullptr)
        return;
    aboutWindow->exitModalState (result);
    aboutWindow->setVisible (false);
    if (licenseEditor != nullptr)
        aboutWindow->removeCustomComponent (0);
    licenseEditor.reset();
}
