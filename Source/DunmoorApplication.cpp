#include "DunmoorApplication.h"

#include "MainComponent.h"
#include "WindowAttention.h"
#include "common/AppInfo.h"
#include "common/AppSettingsSingleton.h"
#include "common/CrashHandler.h"
#include "common/updater/Updater.h"
#include "common/usage/UsageLogger.h"
#include "vantor/FileOperations.h"
#include "vantor/dataset/WyxBankCollection.h"

#include <BinaryData.h>
#include <BuildInfo.h>

namespace
{
// The largest size JUCE's resize limits accept.
constexpr int maximumWindowExtent = 1073741823;

juce::Image loadSplashImage()
{
    int size = 0;
    const auto* data = BinaryData::getNamedResource ("splash_png", size);
    if (data == nullptr || size <= 0)
        return {};
    juce::MemoryInputStream stream (data, (size_t)size, false);
    return juce::ImageFileFormat::loadFrom (stream);
}
} // namespace

//==============================================================================
/** Waits, polling, for the cancelled file operation to end, then quits. */
class DunmoorApplication::QuitAfterWorker : private juce::Timer
{
public:
    QuitAfterWorker() { startTimer (50); }

private:
    void timerCallback() override
    {
        if (vantor::isFileOperationRunning())
            return;
        stopTimer();
        juce::JUCEApplicationBase::quit();
    }
};

//==============================================================================
DunmoorApplication::MainWindow::MainWindow (const juce::String& name)
    : juce::DocumentWindow (name,
                            // Read before the main component makes the program's look-and-feel
                            // the default.
                            juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (
                                juce::ResizableWindow::backgroundColourId),
                            juce::DocumentWindow::allButtons, false)
{
    // Joins the desktop only at the end: JUCE rebuilds a desktop window for the native title bar
    // and the resizer and brings it to the front, which on X11 maps it, splash or not.
    setUsingNativeTitleBar (true);
    setContentOwned (new MainComponent(), true);
    setResizable (true, true);
    centreWithSize (getWidth(), getHeight());
    addToDesktop();
}

void DunmoorApplication::MainWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}

//==============================================================================
DunmoorApplication::DunmoorApplication() = default;
DunmoorApplication::~DunmoorApplication() = default;

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
    // A second start on the same data folder only wakes the first one: it makes no settings
    // store (whose start-up values would be written back over the running instance's file),
    // reads nothing and logs nothing.
    singleInstance = std::make_unique<SingleInstance> (SingleInstance::pathsForThisUser());
    if (!singleInstance->isFirstInstance())
    {
        isSecondStart = true;
        singleInstance->notifyRunningInstance();
        setApplicationReturnValue (0);
        quit();
        return;
    }
    singleInstance->startListening ([this] { anotherInstanceStarted ({}); });

    common::installCrashHandler();
    quitSignals = std::make_unique<QuitSignals> ([this] { systemRequestedQuit(); });

    splash = new juce::SplashScreen (common::AppInfo::getProductName(), loadSplashImage(), false);
    splash->deleteAfterDelay (juce::RelativeTime::seconds (splashSeconds), false);
    splash->addComponentListener (this);

    mainWindow = std::make_unique<MainWindow> (getApplicationName());
    mainWindow->setResizeLimits (minimumWidth, minimumHeight, maximumWindowExtent, maximumWindowExtent);

    common::UsageLogger::start();

    if (auto* updater = common::updater::Updater::getInstance())
        if (auto* settings = common::AppSettingsSingleton::getInstance();
            settings != nullptr && settings->getAutoUpdate())
            updater->startAutomaticCheck();
}

void DunmoorApplication::componentBeingDeleted (juce::Component& component)
{
    if (&component != splash)
        return;
    splash = nullptr;
    showMainWindow();
}

void DunmoorApplication::showMainWindow()
{
    if (mainWindow == nullptr)
        return;
    mainWindow->setVisible (true);
    if (std::exchange (attentionWanted, false))
        bringMainWindowToFront();
}

void DunmoorApplication::shutdown()
{
    if (isSecondStart)
    {
        singleInstance.reset();
        return;
    }

    if (splash != nullptr)
    {
        splash->removeComponentListener (this);
        delete std::exchange (splash, nullptr);
    }

    const auto storedBanks = vantor::dataset::countCollectionBanks (vantor::dataset::getBankCollectionFile());
    juce::String languageId;
    if (auto* settings = common::AppSettingsSingleton::getInstance())
        languageId = settings->getGuiLangId();
    common::UsageLogger::stop (storedBanks, languageId);

    common::updater::Updater::deleteInstance();

    quitAfterWorker.reset();
    mainWindow.reset();
    // A drag image snapping back or a fading message bubble lives on in a proxy window of the
    // desktop's animator, which JUCE deletes only after it has closed the X display: a quit within
    // those few hundred milliseconds crashed in Xlib. End them while the display is open.
    juce::Desktop::getInstance().getAnimator().cancelAllAnimations (false);

    // Saved now, while this instance still holds the data folder: a start right after us must
    // read the settings as we left them.
    common::AppSettingsSingleton::deleteInstance();
    singleInstance.reset();

    // Kept to the end: a second SIGTERM during the saves above only writes to the pipe.
    quitSignals.reset();
}

void DunmoorApplication::anotherInstanceStarted (const juce::String&)
{
    // The command line of the second start is ignored on purpose: the running instance only
    // comes to the front.
    if (mainWindow == nullptr)
        return;

    // Raising a hidden window would show it before the splash has gone.
    if (!mainWindow->isVisible())
    {
        attentionWanted = true;
        return;
    }
    bringMainWindowToFront();
}

void DunmoorApplication::bringMainWindowToFront()
{
    mainWindow->toFront (true);
    if (auto* peer = mainWindow->getPeer())
        demandWindowAttention (peer->getNativeHandle());
}

void DunmoorApplication::systemRequestedQuit()
{
    if (quitAfterWorker != nullptr)
        return;

    if (vantor::cancelRunningFileOperation())
    {
        quitAfterWorker = std::make_unique<QuitAfterWorker>();
        return;
    }
    quit();
}
