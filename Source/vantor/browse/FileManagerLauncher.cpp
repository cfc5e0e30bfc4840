#include "vantor/browse/FileManagerLauncher.h"

namespace vantor::browse
{
JUCE_IMPLEMENT_SINGLETON (FileManagerLauncher)

FileManagerLauncher::~FileManagerLauncher()
{
    clearSingletonInstance();
}

bool FileManagerLauncher::showInFileManager (const juce::File& fileOrFolder)
{
    JUCE_ASSERT_MESSAGE_THREAD

    const auto folder = fileOrFolder.isDirectory() ? fileOrFolder : fileOrFolder.getParentDirectory();

    if (auto* launcher = getInstance())
        return launcher->launch ({"xdg-open", folder.getFullPathName()});

    return false;
}

int FileManagerLauncher::getNumRunning()
{
    if (auto* launcher = getInstanceWithoutCreating())
    {
        launcher->timerCallback();
        return launcher->running.size();
    }

    return 0;
}

bool FileManagerLauncher::launch (const juce::StringArray& arguments)
{
    auto child = std::make_unique<juce::ChildProcess>();

    // No stream wanted: the child writes to /dev/null and can never block on a full pipe.
    if (!child->start (arguments, 0))
        return false;

    running.add (child.release());
    startTimer (200);
    return true;
}

void FileManagerLauncher::timerCallback()
{
    // isRunning waits for an ended child without blocking, which reaps it.
    for (int i = running.size(); --i >= 0;)
        if (!running.getUnchecked (i)->isRunning())
            running.remove (i);

    if (running.isEmpty())
        stopTimer();
}
} // namespace vantor::browse
