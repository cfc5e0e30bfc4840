#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

namespace common
{
/** The drives the program may export to: writable, mounted file systems on removable disks.

    The list follows the system on its own: when volumes arrive or leave it refreshes itself on
    the message thread and sends a change message. Everything here runs on the message thread;
    only the platform layer's watcher runs on a thread of its own, and all it does is ask for an
    asynchronous refresh. */
class RemovableVolumeList : public juce::ChangeBroadcaster
{
public:
    struct Volume
    {
        juce::String displayName; // the text shown to the user; unique within one list
        juce::File rootFolder;    // where the file system is mounted
        juce::String volumeLabel;
        juce::String fileSystemName;
        juce::String diskFriendlyName;
        juce::var deviceInstance; // an int naming the disk that holds the volume
        bool isRemovable = false; // the disk says it is removable; the list does not filter on it

        bool operator== (const Volume& other) const;
        bool operator!= (const Volume& other) const { return !operator== (other); }
    };

    /** What the list needs of the operating system. */
    class Platform
    {
    public:
        virtual ~Platform() = default;

        /** The listable volumes, in display order with unique display names. Message thread. */
        virtual juce::Array<Volume> findVolumes() = 0;

        /** From now until the platform is destroyed, calls onChange (from any thread) whenever
            the volumes may have changed. Called once. */
        virtual void startWatching (std::function<void()> onChange) = 0;
    };

    /** Lists the volumes of this machine. */
    RemovableVolumeList();

    /** Where the system's mount table, sysfs and label links are read: "/", or the folder named
        by the environment variable GLORVAK_VOLUME_SOURCES_ROOT when that is an existing absolute
        folder (tests of the whole program make a folder appear as a removable volume so). */
    static juce::File systemSourcesRoot();

    /** Lists the volumes a platform layer of the caller's own reports. */
    explicit RemovableVolumeList (std::unique_ptr<Platform> platform);

    ~RemovableVolumeList() override;

    /** Rebuilds the list at once and sends a change message (when anybody listens). */
    void refresh();

    /** The current volumes, ordered by root folder; the order is stable between refreshes. */
    const juce::Array<Volume>& getVolumes() const;

    class Impl;

private:
    std::unique_ptr<Impl> impl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RemovableVolumeList)
};
} // namespace common
