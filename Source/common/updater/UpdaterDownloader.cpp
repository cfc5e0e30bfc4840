#include "common/updater/UpdaterDownloader.h"

#include "common/AppInfo.h"
#include "common/FileReplacer.h"
#include "common/updater/WebRequest.h"

namespace common::updater
{
Updater::Downloader::Downloader (Updater& ownerToUse)
    : juce::ThreadWithProgressWindow (TRANS ("Downloading updater..."), true, true)
    , owner (ownerToUse)
{
}

Updater::Downloader::~Downloader()
{
    // The transfer watches this thread's exit signal, so the thread ends before anything it
    // uses goes away.
    stopThread (10000);
}

void Updater::Downloader::start (const juce::String& addressText)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (isThreadRunning())
        return;

    address = juce::URL (addressText);
    const auto name = makeSafeFileName (address);
    const auto folder = owner.getOptions().downloadFolder;

    if (!owner.isAcceptableAddress (addressText) || name.isEmpty() || folder == juce::File() ||
        !AppInfo::createPrivateFolder (folder))
    {
        owner.showDownloadError();
        return;
    }

    target = folder.getChildFile (name);

    // An old download of the same name must not be started in place of the new one.
    if (!target.deleteFile())
    {
        owner.showDownloadError();
        return;
    }

    succeeded = false;
    launchThread();
}

void Updater::Downloader::run()
{
    setProgress (0, 0);

    const auto& options = owner.getOptions();
    succeeded = FileReplacer::replace (
        target,
        [&] (juce::OutputStream& out)
        {
            WebRequest request (address, options.downloadTimeoutMs, options.maxDownloadBytes, this);
            const auto outcome = request.readInto (out, [this] (juce::int64 done, juce::int64 total)
                                                   { setProgress (done, total); });
            return outcome == WebRequest::Outcome::ok && !threadShouldExit();
        });
}

void Updater::Downloader::threadComplete (bool userPressedCancel)
{
    if (userPressedCancel)
    {
        target.deleteFile();
        owner.showDownloadCanceled();
    }
    else if (succeeded)
    {
        owner.launchUpdater (target);
    }
    else
    {
        owner.showDownloadError();
    }
}

void Updater::Downloader::setProgress (juce::int64 bytesDownloaded, juce::int64 totalLength)
{
    const auto size = totalLength > 0 ? formatFileSize (totalLength) : juce::String ("- MB");
    setStatusMessage (TRANS ("Downloading the latest version.\r\nFile size : {bytes}\r\nThe application will "
                             "automatically close when the download is complete.")
                          .replace ("{bytes}", size));
    ThreadWithProgressWindow::setProgress (totalLength > 0 ? (double)bytesDownloaded / (double)totalLength
                                                           : -1.0);
}

juce::String Updater::Downloader::formatFileSize (juce::int64 bytes)
{
    static const char* const units[] = {"B", "KB", "MB", "GB"};
    auto value = (double)bytes;
    int unit = 0;

    while (value >= 1024.0 && unit < 3)
    {
        value /= 1024.0;
        ++unit;
    }

    return juce::String::formatted ("%.1f ", value) + units[unit];
}

juce::String Updater::Downloader::makeSafeFileName (const juce::URL& address)
{
    const auto path = address.getSubPath (false)
                          .upToFirstOccurrenceOf ("?", false, false)
                          .upToFirstOccurrenceOf ("#", false, false);
    const auto segment = path.fromLastOccurrenceOf ("/", false, false).toStdString();

    // Decoded by hand: a decoded NUL, "/" or "\\" must be seen, not end or split the name.
    std::string bytes;

    for (size_t i = 0; i < segment.size(); ++i)
    {
        auto c = (unsigned char)segment[i];

        if (c == '%' && i + 2 < segment.size() &&
            juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar)segment[i + 1]) >= 0 &&
            juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar)segment[i + 2]) >= 0)
        {
            c = (unsigned char)(juce::CharacterFunctions::getHexDigitValue (
                                    (juce::juce_wchar)segment[i + 1]) *
                                    16 +
                                juce::CharacterFunctions::getHexDigitValue (
                                    (juce::juce_wchar)segment[i + 2]));
            i += 2;
        }

        if (c < 0x20 || c == 0x7f || c == '/' || c == '\\')
            return {};

        bytes += (char)c;
    }

    const auto name = juce::String::fromUTF8 (bytes.data(), (int)bytes.size());

    if (name.isEmpty() || name.containsOnly (".") || bytes.size() > 255)
        return {};

    juce::String safe;

    for (auto c : name)
    {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '.' || c == '_' || c == '-';
        safe << (allowed ? c : (juce::juce_wchar)'_');
    }

    return safe;
}
} // namespace common::updater
