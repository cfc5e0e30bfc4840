#pragma once

#include "common/volumes/RemovableVolumeList.h"

#include <map>
#include <string>
#include <vector>

namespace common
{
class MountTableWatcher;

/** The volume list's Linux layer, standing in for the system's drive and device enumeration and
    its device notifications.

    A volume is a mounted block file system whose disk is removable or hangs on a USB or MMC bus,
    mounted read-write on a device that is not read-only. Sources, all below a root folder that
    tests point at fixture trees:
    - the mount table "proc/self/mountinfo";
    - sysfs: "sys/dev/block/<major>:<minor>" (a link to the device's folder, whose path shows the
      bus), the disk's "removable", "ro" and "dev" files and the partition's "ro" file;
    - the labels: the links of "dev/disk/by-label".
    Mount points are read as the mount table names them; they are not moved below the root.

    findVolumes runs on the message thread; the watcher's thread only reads the mount table. */
class RemovableVolumeListLinux : public RemovableVolumeList::Platform
{
public:
    /** pollIntervalMs bounds how late a change is seen where the mount table cannot report it
        (a fixture file); the kernel's table reports changes at once. */
    explicit RemovableVolumeListLinux (const juce::File& root = juce::File ("/"), int pollIntervalMs = 2000);
    ~RemovableVolumeListLinux() override;

    juce::Array<RemovableVolumeList::Volume> findVolumes() override;
    void startWatching (std::function<void()> onChange) override;

    struct MountEntry
    {
        juce::String deviceNumber; // "major:minor"
        juce::String root;         // the folder of the file system that is mounted
        juce::String mountPoint;
        juce::String mountOptions;
        juce::String fileSystemType;
        juce::String superOptions;
    };

    /** The entries of a mountinfo text; malformed lines, and lines that are not UTF-8, are skipped. */
    static std::vector<MountEntry> parseMountInfo (const std::string& text);

    /** Undoes the kernel's octal escapes ("\040" for a blank) of a mount table field; empty when
        the result is not UTF-8. */
    static juce::String unescapeMountField (const std::string& field);

    /** Undoes udev's hexadecimal escapes ("\x20" for a blank) of a link name; empty when the
        result is not UTF-8. */
    static juce::String unescapeUdevName (const juce::String& name);

    /** The whole content of a small file, also of files that report no size (proc, sysfs);
        empty when it cannot be read or is larger than maxBytes. */
    static std::string readSmallFile (const juce::File& file, size_t maxBytes = 4 * 1024 * 1024);

    /** Gives every volume whose display name another one shares its mount point in brackets. */
    static void makeDisplayNamesUnique (juce::Array<RemovableVolumeList::Volume>& volumes);

private:
    juce::File mountTableFile() const;
    std::map<juce::String, juce::String> readLabels() const;
    bool findVolume (const MountEntry& mount, const std::map<juce::String, juce::String>& labels,
                     RemovableVolumeList::Volume& volume) const;

    const juce::File root;
    const int pollIntervalMs;
    std::unique_ptr<MountTableWatcher> watcher;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RemovableVolumeListLinux)
};
} // namespace common
