#include "common/volumes/RemovableVolumeList.h"

#include "common/volumes/RemovableVolumeListLinux.h"

namespace common
{
bool RemovableVolumeList::Volume::operator== (const Volume& other) const
{
    return displayName == other.displayName && rootFolder == other.rootFolder &&
           volumeLabel == other.volumeLabel && fileSystemName == other.fileSystemName &&
           diskFriendlyName == other.diskFriendlyName && deviceInstance == other.deviceInstance &&
           isRemovable == other.isRemovable;
}

//==============================================================================
class RemovableVolumeList::Impl : public juce::AsyncUpdater
{
public:
    Impl (RemovableVolumeList& ownerToUse, std::unique_ptr<Platform> platformToUse)
        : owner (ownerToUse)
        , platform (std::move (platformToUse))
    {
        // Watch before the first scan, so that a change during the scan is not missed.
        platform->startWatching ([this] { triggerAsyncUpdate(); });
        volumes = platform->findVolumes();
    }

    ~Impl() override
    {
        // The platform's watcher calls back into this object: it must be gone first.
        platform.reset();
        cancelPendingUpdate();
    }

    void refresh()
    {
        JUCE_ASSERT_MESSAGE_THREAD
        volumes = platform->findVolumes();
        owner.sendChangeMessage();
    }

    // The system reports every mount and unmount, also of disks we do not list: only a change
    // of the list itself is worth a message.
    void handleAsyncUpdate() override
    {
        auto found = platform->findVolumes();

        if (found != volumes)
        {
            volumes = std::move (found);
            owner.sendChangeMessage();
        }
    }

    RemovableVolumeList& owner; // owns this object
    std::unique_ptr<Platform> platform;
    juce::Array<Volume> volumes;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Impl)
};

//==============================================================================
RemovableVolumeList::RemovableVolumeList()
    : RemovableVolumeList (std::make_unique<RemovableVolumeListLinux> (systemSourcesRoot()))
{
}

juce::File RemovableVolumeList::systemSourcesRoot()
{
    // Lets tests of the whole program offer a folder as a removable volume without mounting
    // anything (which needs privileges): the variable names a tree laid out as "/" is.
    const auto root = juce::SystemStats::getEnvironmentVariable ("GLORVAK_VOLUME_SOURCES_ROOT", {});

    if (juce::File::isAbsolutePath (root) && juce::File (root).isDirectory())
        return juce::File (root);

    return juce::File ("/");
}

RemovableVolumeList::RemovableVolumeList (std::unique_ptr<Platform> platform)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (platform != nullptr);
    impl = std::make_unique<Impl> (*this, std::move (platform));
}

RemovableVolumeList::~RemovableVolumeList()
{
    JUCE_ASSERT_MESSAGE_THREAD
    impl.reset();
}

void RemovableVolumeList::refresh()
{
    impl->refresh();
}

const juce::Array<RemovableVolumeList::Volume>& RemovableVolumeList::getVolumes() const
{
    JUCE_ASSERT_MESSAGE_THREAD
    return impl->volumes;
}
} // namespace common
