#include "common/updater/Updater.h"

#include "common/AppInfo.h"
#include "common/AppSettingsSingleton.h"
#include "common/updater/DialogButtons.h"
#include "common/updater/UpdaterChecker.h"
#include "common/updater/UpdaterDownloader.h"
#include "common/updater/WebRequest.h"

#include <unistd.h>

namespace common::updater
{
namespace
{
// Starting a program happens in a child process where a failed exec goes unseen: what can be
// checked is checked before.
bool startProgram (const juce::StringArray& arguments)
{
    if (arguments.isEmpty() || arguments[0].isEmpty())
        return false;

    if (juce::File::isAbsolutePath (arguments[0]))
    {
        const juce::File program (arguments[0]);

        if (!program.existsAsFile() || ::access (program.getFullPathName().toRawUTF8(), X_OK) != 0)
            return false;
    }

    juce::ChildProcess process;
    return process.start (arguments, 0);
}

void quitApplication()
{
    if (auto* application = juce::JUCEApplicationBase::getInstance())
        application->systemRequestedQuit();
}
} // namespace

//==============================================================================
Updater::Options Updater::Options::forThisProgram()
{
    Options options;
    options.updateInfoUrl = AppInfo::getUpdateInfoUrl();

    // Tests of the whole program answer the check from a server of their own.
    const auto loopbackAddress = AppInfo::loopbackAddressFromVariable ("GLORVAK_UPDATE_INFO_URL");

    if (loopbackAddress.isNotEmpty())
    {
        options.updateInfoUrl = loopbackAddress;
        options.allowLoopbackHttp = true;
    }

    options.productVersion = AppInfo::getProductVersion();
    options.downloadFolder = AppInfo::getTempFolder();
    options.launch = startProgram;
    options.quit = quitApplication;
    return options;
}

JUCE_IMPLEMENT_SINGLETON (Updater)

Updater::Updater()
    : Updater (Options::forThisProgram())
{
}

Updater::Updater (Options optionsToUse)
    : juce::Thread ("Updater")
    , options (std::move (optionsToUse))
{
    if (!options.launch)
        options.launch = startProgram;

    if (!options.quit)
        options.quit = quitApplication;

    // The weak reference's shared part is made here, on the message thread, so that the
    // "Updater" thread only ever copies it.
    juce::WeakReference<Updater> self (this);
}

Updater::~Updater()
{
    stopThread (10000);
    clearSingletonInstance();

    // The checker's and downloader's threads end in their destructors; the dialogs go last.
    checker.reset();
    downloader.reset();
    currentDialog.reset();
}

AppSettings& Updater::getSettings() const
{
    if (options.settings != nullptr)
        return *options.settings;

    return *AppSettingsSingleton::getInstance();
}

//==============================================================================
void Updater::startAutomaticCheck()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (options.updateInfoUrl.isEmpty() || !getSettings().getAutoUpdate())
        return;

    if (currentDialog != nullptr && currentDialog->isVisible())
        return;

    startThread();
}

void Updater::checkNow()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (isThreadRunning() || (currentDialog != nullptr && currentDialog->isVisible()) ||
        (checker != nullptr && checker->isThreadRunning()))
        return;

    if (options.updateInfoUrl.isEmpty())
    {
        showCheckFailed();
        return;
    }

    checker = std::make_unique<Checker> (*this);
    checker->launchThread();
}

bool Updater::isBusy() const
{
    return isThreadRunning() || (checker != nullptr && checker->isThreadRunning());
}

void Updater::run()
{
    for (int step = 0; step < 4 && !threadShouldExit(); ++step)
        wait (500);

    if (threadShouldExit())
        return; // shutting down: nobody would see the answer

    auto info = fetchUpdateInfo (this);

    if (info.has_value() && isNewerVersion (*info) && isAcceptableAddress (info->downloadUrl))
    {
        juce::MessageManager::callAsync (
            [self = juce::WeakReference<Updater> (this), offered = *info]
            {
                if (self != nullptr)
                    self->offerUpdate (offered, true);
            });
    }
}

std::optional<UpdateInfo> Updater::fetchUpdateInfo (juce::Thread* thread) const
{
    const juce::URL address (options.updateInfoUrl);

    if (!address.isLocalFile() && !isAcceptableAddress (options.updateInfoUrl))
        return std::nullopt;

    const auto text =
        WebRequest::readText (address, options.checkTimeoutMs, options.maxDocumentBytes, thread);

    if (!text.has_value())
        return std::nullopt;

    return UpdateInfo::parse (*text);
}

bool Updater::isNewerVersion (const UpdateInfo& info) const
{
    return UpdateInfo::compareVersions (info.version, options.productVersion);
}

bool Updater::isAcceptableAddress (const juce::String& address) const
{
    // Anything that could hide the real host, or be read differently by two URL parsers, is out.
    if (address.containsAnyOf (" \t\r\n\\@") ||
        !address.containsOnly (
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~:/?#[]!$&'()*+,;=%"))
        return false;

    const auto scheme = address.upToFirstOccurrenceOf ("://", false, false).toLowerCase();
    const auto authority =
        address.fromFirstOccurrenceOf ("://", false, false).upToFirstOccurrenceOf ("/", false, false);
    const auto host = authority.upToFirstOccurrenceOf (":", false, false);

    if (host.isEmpty() || host.containsAnyOf ("?#"))
        return false;

    if (scheme == "https")
        return true;

    return options.allowLoopbackHttp && scheme == "http" && host == "127.0.0.1";
}

void Updater::checkFinished (const std::optional<UpdateInfo>& info)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!info.has_value())
    {
        showCheckFailed();
    }
    else if (!isNewerVersion (*info))
    {
        offer = *info;
        showUpToDate();
    }
    else if (!isAcceptableAddress (info->downloadUrl))
    {
        // A newer version that cannot be fetched is a broken document, not "up to date".
        showCheckFailed();
    }
    else
    {
        offerUpdate (*info, false);
    }
}

//==============================================================================
juce::String Updater::composeUpdateMessage (const juce::String& currentVersion,
                                            const juce::String& offeredVersion,
                                            const juce::String& releaseNotes)
{
    const juce::String newLine ("\r\n");
    auto text = TRANS ("Current version: {version}").replace ("{version}", currentVersion) + newLine +
                TRANS ("New version: {version}").replace ("{version}", offeredVersion) + newLine + newLine;

    if (releaseNotes.isNotEmpty())
        text << TRANS ("Release Notes:") << newLine << releaseNotes << newLine << newLine;

    return text + TRANS ("Would you like to update now?");
}

void Updater::offerUpdate (const UpdateInfo& info, bool automatic)
{
    JUCE_ASSERT_MESSAGE_THREAD
    offer = info;

    auto& settings = getSettings();

    if (automatic)
    {
        const auto skipped = settings.getValue (SettingsKey::SkipThisVersion, {}).toString();

        if (skipped.isNotEmpty() && skipped == offer.version)
            return;
    }

    const auto notes = offer.releaseNotes.count (settings.getGuiLangId()) != 0
                           ? offer.releaseNotes.at (settings.getGuiLangId())
                           : juce::String();
    const auto message = composeUpdateMessage (options.productVersion, offer.version, notes);

    juce::MessageManager::callAsync (
        [self = juce::WeakReference<Updater> (this), message, automatic]
        {
            if (self == nullptr)
                return;

            auto* dialog = self->replaceDialog (std::make_unique<juce::AlertWindow> (
                TRANS ("A new version is available"), message, juce::MessageBoxIconType::QuestionIcon));

            dialog->addButton (TRANS ("Update Now"), 1, juce::KeyPress (juce::KeyPress::returnKey));
            makeDefaultButton (*dialog, TRANS ("Update Now"));

            if (automatic)
            {
                dialog->addButton (TRANS ("Remind Me Later"), 0, juce::KeyPress (juce::KeyPress::escapeKey));
                dialog->addButton (TRANS ("Skip This Version"), 2);
            }
            else
            {
                dialog->addButton (TRANS ("Close"), 0, juce::KeyPress (juce::KeyPress::escapeKey));
            }

            dialog->enterModalState (
                true,
                juce::ModalCallbackFunction::create (
                    [self, window = juce::Component::SafePointer<juce::AlertWindow> (dialog)] (int result)
                    {
                        // A dialog deleted while it showed answers 0: nothing to do.
                        if (self == nullptr || window == nullptr)
                            return;

                        window->setVisible (false);
                        self->updateDialogAnswered (result);
                    }),
                false);
        });
}

void Updater::updateDialogAnswered (int result)
{
    if (result == 1)
        startDownload (offer.downloadUrl);
    else if (result == 2)
        getSettings().setValue (SettingsKey::SkipThisVersion, offer.version);
}

juce::AlertWindow* Updater::replaceDialog (std::unique_ptr<juce::AlertWindow> dialog)
{
    JUCE_ASSERT_MESSAGE_THREAD
    currentDialog = std::move (dialog);
    return currentDialog.get();
}

void Updater::showMessage (const juce::String& title, const juce::String& message)
{
    juce::MessageManager::callAsync (
        [self = juce::WeakReference<Updater> (this), title, message]
        {
            if (self == nullptr)
                return;

            auto* dialog = self->replaceDialog (
                std::make_unique<juce::AlertWindow> (title, message, juce::MessageBoxIconType::NoIcon));
            dialog->addButton (TRANS ("OK"), 1, juce::KeyPress (juce::KeyPress::returnKey));
            dialog->enterModalState (
                true,
                juce::ModalCallbackFunction::create (
                    [window = juce::Component::SafePointer<juce::AlertWindow> (dialog)] (int)
                    {
                        if (window != nullptr)
                            window->setVisible (false);
                    }),
                false);
        });
}

void Updater::showCheckFailed()
{
    showMessage (TRANS ("Unable to Check for Updates"),
                 TRANS ("Unable to retrieve update information.\r\nPlease try again later."));
}

void Updater::showUpToDate()
{
    showMessage (TRANS ("Up to Date"), TRANS ("No updates are currently available."));
}

void Updater::showDownloadError()
{
    showMessage (TRANS ("Download Error"), TRANS ("Download failed.\r\nPlease try again later."));
}

void Updater::showDownloadCanceled()
{
    showMessage (
        TRANS ("Download Canceled"),
        TRANS ("The updater download has been canceled.\r\nTo update again, select [Check for Updates] "
               "from the [Help] menu."));
}

//==============================================================================
bool Updater::startDownload (const juce::String& address)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (downloader != nullptr && downloader->isThreadRunning())
        return false;

    downloader = std::make_unique<Downloader> (*this);
    downloader->start (address);
    return true;
}

void Updater::launchUpdater (const juce::File& target)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (target != juce::File() && target.existsAsFile() && target.setExecutePermission (true) &&
        options.launch (juce::StringArray (target.getFullPathName())))
    {
        options.quit();
        return;
    }

    showLaunchFailed (target);
}

void Updater::showLaunchFailed (const juce::File& target)
{
    auto* dialog = replaceDialog (std::make_unique<juce::AlertWindow> (
        TRANS ("Failed to Launch Updater"),
        TRANS ("The updater could not be launched automatically.\r\nPlease open the folder and run it "
               "manually."),
        juce::MessageBoxIconType::NoIcon));

    dialog->addButton (TRANS ("Open Folder"), 1, juce::KeyPress (juce::KeyPress::returnKey));
    makeDefaultButton (*dialog, TRANS ("Open Folder"));
    dialog->addButton (TRANS ("OK"), 0, juce::KeyPress (juce::KeyPress::escapeKey));

    dialog->enterModalState (
        true,
        juce::ModalCallbackFunction::create (
            [self = juce::WeakReference<Updater> (this),
             window = juce::Component::SafePointer<juce::AlertWindow> (dialog), target] (int result)
            {
                if (self == nullptr || window == nullptr)
                    return;

                window->setVisible (false);

                // The file manager opens the folder; no shell sees the path.
                if (result == 1)
                    self->options.launch (
                        juce::StringArray ("xdg-open", target.getParentDirectory().getFullPathName()));
            }),
        false);
}
} // namespace common::updater
