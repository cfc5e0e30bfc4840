#include "vantor/dataset/DiskSync.h"

#include <fcntl.h>
#include <unistd.h>

namespace vantor::dataset
{
bool DiskSync::item (const juce::File& fileOrFolder)
{
    if (fileOrFolder == juce::File())
        return false;

    const int descriptor =
        ::open (fileOrFolder.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);

    if (descriptor < 0)
        return false;

    const bool synced = ::fsync (descriptor) == 0;
    ::close (descriptor);
    return synced;
}

bool DiskSync::tree (const juce::File& fileOrFolder)
{
    bool synced = true;

    if (fileOrFolder.isDirectory() && !fileOrFolder.isSymbolicLink())
        for (const auto& child : fileOrFolder.findChildFiles (juce::File::findFilesAndDirectories, true, "*",
                                                              juce::File::FollowSymlinks::no))
            if (!child.isSymbolicLink())
                synced = item (child) && synced;

    return item (fileOrFolder) && synced;
}

bool DiskSync::parentOf (const juce::File& child)
{
    return item (child.getParentDirectory());
}
} // namespace vantor::dataset
