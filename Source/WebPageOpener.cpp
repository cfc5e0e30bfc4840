#include "WebPageOpener.h"

WebPageOpener::~WebPageOpener()
{
    if (lastProcess != nullptr)
        lastProcess->isRunning(); // reaps it when it has ended; a running opener is left to finish
}

bool WebPageOpener::isOpenableAddress (const juce::String& address)
{
    const auto scheme = address.upToFirstOccurrenceOf (":", false, false).toLowerCase();
    if (scheme != "http" && scheme != "https")
        return false;
    if (!address.substring (scheme.length()).startsWith ("://"))
        return false;

    // Control characters and blanks never belong in an address; a leading "-" in the host would
    // read as an option.
    for (auto character : address)
        if (character <= 0x20 || character == 0x7f)
            return false;

    const auto host = juce::URL (address).getDomain();
    return host.isNotEmpty() && !host.startsWithChar ('-');
}

bool WebPageOpener::open (const juce::String& address)
{
    if (!isOpenableAddress (address))
        return false;

    if (lastProcess != nullptr)
        lastProcess->isRunning();

    auto process = std::make_unique<juce::ChildProcess>();
    if (!process->start (juce::StringArray{"xdg-open", address}, 0))
        return false;

    lastProcess = std::move (process);
    return true;
}
