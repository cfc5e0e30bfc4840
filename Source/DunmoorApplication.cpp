#include "DunmoorApplication.h"

#include "MainComponent.h"
#include "common/CrashHandler.h"

#include <BuildInfo.h>

namespace
{
// The largest size JUCE's resize limits accept.
constexpr int maximumWindowExtent = 1073741823;
} // namespace

DunmoorApplication::MainWindow::MainWindow (const juce::String& name)
    : juce::DocumentWindow (name,
                            juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (
                                juce::ResizableWindow::backgroundColourId),
                            juce::DocumentWindow::allButtons)
{
    setUsingNativeTitleBar (true);
    setContentOwned (new MainComponent(), true);
    setResizable (true, true);
    centreWithSize (getWidth(), getHeight());
}

void DunmoorApplication::MainWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}

const juce::String DunmoorApplication::getApplicationName()
{
    return buildinfo::productName;
}

const juce::String DunmoorApplication::getApplicationVersion()
{
    return buildinfo::productVersion;
}

void DunmoorApplication::initialise (const juce::String&)
{
    common::installCrashHandler();

    mainWindow = std::make_unique<MainWindow> (getApplicationName());
    mainWindow->setResizeLimits (minimumWidth, minimumHeight, maximumWindowExtent, maximumWindowExtent);
    mainWindow->setVisible (true);
}

void DunmoorApplication::shutdown()
{
    mainWindow.reset();
}

void DunmoorApplication::anotherInstanceStarted (const juce::String&)
{
    // The command line of the second start is ignored on purpose: the running instance only
    // comes to the front.
    if (mainWindow != nullptr)
        mainWindow->toFront (true);
}

void DunmoorApplication::systemRequestedQuit()
{
    quit();
}
