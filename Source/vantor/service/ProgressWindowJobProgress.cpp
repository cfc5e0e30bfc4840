#include "vantor/service/ProgressWindowJobProgress.h"

// The one place of the service that sees the toolkit's window class: it only reads the window's
// thread flag and sets its bar, and never shows or creates anything.
#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::service
{
bool ProgressWindowJobProgress::threadShouldExit() const
{
    return window != nullptr && window->threadShouldExit();
}

void ProgressWindowJobProgress::setProgress (double progress)
{
    if (window != nullptr)
        window->setProgress (progress);
}
} // namespace vantor::service
