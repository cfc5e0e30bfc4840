#pragma once

#include <juce_core/juce_core.h>

/** Opens web pages in the user's browser through "xdg-open", started with an argument list and
    never through a shell, since the addresses come from the translation files. Only http and
    https addresses with a host are opened.
    Threads: message thread only. */
class WebPageOpener
{
public:
    WebPageOpener() = default;
    ~WebPageOpener();

    /** An http(s) address with a host and nothing a terminal or the desktop could misread. */
    static bool isOpenableAddress (const juce::String& address);

    /** Starts "xdg-open <address>"; false when the address is refused or nothing started. */
    bool open (const juce::String& address);

private:
    // The last opener started; kept so that it is reaped once it has ended.
    std::unique_ptr<juce::ChildProcess> lastProcess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WebPageOpener)
};
