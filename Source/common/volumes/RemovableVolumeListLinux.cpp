#include "common/volumes/RemovableVolumeListLinux.h"

#include "common/SafeJson.h"
#include "common/volumes/MountTableWatcher.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sstream>
#include <unistd.h>

namespace common
{
namespace
{
juce::String readTrimmed (const juce::File& file)
{
    return juce::String::fromUTF8 (RemovableVolumeListLinux::readSmallFile (file, 64 * 1024).c_str()).trim();
}

// Escapes may spell out bytes in another encoding (a stick's label in Latin-1); those cannot become
// a juce::String, whose code walks such bytes past their end.
juce::String fromValidUtf8 (const std::string& bytes)
{
    if (!SafeJson::isUtf8Text (bytes.data(), bytes.size()))
        return {};

    return juce::String::fromUTF8 (bytes.data(), (int)bytes.size());
}

bool hasOption (const juce::String& options, const char* option)
{
    return juce::StringArray::fromTokens (options, ",", "").contains (option);
}

// The device's folder in sysfs with every link resolved, or an empty path when it does not lie
// below the sysfs of the root (a link pointing elsewhere is not followed).
std::filesystem::path resolveInside (const juce::File& link, const juce::File& sysRoot)
{
    std::error_code error;
    auto resolved = std::filesystem::canonical (link.getFullPathName().toStdString(), error);

    if (error)
        return {};

    auto base = std::filesystem::canonical (sysRoot.getFullPathName().toStdString(), error);

    if (error)
        return {};

    auto relative = resolved.lexically_relative (base);

    if (relative.empty() || *relative.begin() == "..")
        return {};

    return resolved;
}

// USB sticks and card readers on USB often call themselves fixed disks; the bus they hang on
// tells the truth.
bool isOnRemovableBus (const std::filesystem::path& deviceFolder)
{
    for (const auto& part : deviceFolder)
    {
        const auto name = part.string();

        if (name.rfind ("usb", 0) == 0 || name.rfind ("mmc", 0) == 0)
            return true;
    }

    return false;
}

int deviceNumberAsInt (const juce::String& majorMinor)
{
    const auto major = majorMinor.upToFirstOccurrenceOf (":", false, false).getIntValue();
    const auto minor = majorMinor.fromFirstOccurrenceOf (":", false, false).getIntValue();
    return (major << 20) | (minor & 0xfffff);
}
} // namespace

//==============================================================================
RemovableVolumeListLinux::RemovableVolumeListLinux (const juce::File& rootToUse, int pollInterval)
    : root (rootToUse)
    , pollIntervalMs (pollInterval)
{
}

RemovableVolumeListLinux::~RemovableVolumeListLinux() = default;

juce::File RemovableVolumeListLinux::mountTableFile() const
{
    return root.getChildFile ("proc/self/mountinfo");
}

void RemovableVolumeListLinux::startWatching (std::function<void()> onChange)
{
    jassert (watcher == nullptr);
    watcher = std::make_unique<MountTableWatcher> (mountTableFile(), pollIntervalMs, std::move (onChange));
}

juce::Array<RemovableVolumeList::Volume> RemovableVolumeListLinux::findVolumes()
{
    const auto mounts = parseMountInfo (readSmallFile (mountTableFile()));
    const auto labels = readLabels();

    juce::Array<RemovableVolumeList::Volume> volumes;
    std::set<juce::String> devicesSeen;

    for (const auto& mount : mounts)
    {
        // A file system mounted twice (bind mounts) is listed once, at its first mount point.
        if (mount.root != "/" || devicesSeen.count (mount.deviceNumber) != 0)
            continue;

        RemovableVolumeList::Volume volume;

        if (findVolume (mount, labels, volume))
        {
            devicesSeen.insert (mount.deviceNumber);
            volumes.add (volume);
        }
    }

    std::stable_sort (
        volumes.begin(), volumes.end(),
        [] (const auto& a, const auto& b)
        { return a.rootFolder.getFullPathName().compareNatural (b.rootFolder.getFullPathName()) < 0; });

    makeDisplayNamesUnique (volumes);
    return volumes;
}

bool RemovableVolumeListLinux::findVolume (const MountEntry& mount,
                                           const std::map<juce::String, juce::String>& labels,
                                           RemovableVolumeList::Volume& volume) const
{
    if (hasOption (mount.mountOptions, "ro") || hasOption (mount.superOptions, "ro"))
        return false;

    if (!juce::File::isAbsolutePath (mount.mountPoint))
        return false;

    const auto sysRoot = root.getChildFile ("sys");
    const auto devicePath =
        resolveInside (sysRoot.getChildFile ("dev/block").getChildFile (mount.deviceNumber), sysRoot);

    if (devicePath.empty())
        return false; // not a block device: tmpfs, proc, network file systems

    const juce::File deviceFolder (devicePath.string());
    const bool isPartition = deviceFolder.getChildFile ("partition").existsAsFile();
    const auto diskFolder = isPartition ? deviceFolder.getParentDirectory() : deviceFolder;

    if (readTrimmed (deviceFolder.getChildFile ("ro")) == "1" ||
        readTrimmed (diskFolder.getChildFile ("ro")) == "1")
        return false;

    const bool removableFlag = readTrimmed (diskFolder.getChildFile ("removable")) == "1";

    if (!removableFlag &&
        !isOnRemovableBus (devicePath.lexically_relative (sysRoot.getFullPathName().toStdString())))
        return false;

    const auto deviceName = deviceFolder.getFileName();
    const auto label = labels.count (deviceName) != 0 ? labels.at (deviceName) : juce::String();
    const juce::File mountPoint (mount.mountPoint);

    volume.volumeLabel = label;
    volume.displayName = label.isNotEmpty() ? label : mountPoint.getFileName();

    if (volume.displayName.isEmpty())
        volume.displayName = mountPoint.getFullPathName();

    volume.rootFolder = mountPoint;
    volume.fileSystemName = mount.fileSystemType;

    const auto hardware = diskFolder.getChildFile ("device");
    auto friendlyName =
        (readTrimmed (hardware.getChildFile ("vendor")) + " " + readTrimmed (hardware.getChildFile ("model")))
            .trim();

    if (friendlyName.isEmpty())
        friendlyName = readTrimmed (hardware.getChildFile ("name")); // SD and MMC cards

    volume.diskFriendlyName = friendlyName;
    volume.deviceInstance = deviceNumberAsInt (readTrimmed (diskFolder.getChildFile ("dev")));
    volume.isRemovable = removableFlag;
    return true;
}

std::map<juce::String, juce::String> RemovableVolumeListLinux::readLabels() const
{
    std::map<juce::String, juce::String> labels;

    for (const auto& entry : juce::RangedDirectoryIterator (root.getChildFile ("dev/disk/by-label"), false,
                                                            "*", juce::File::findFilesAndDirectories))
    {
        const auto link = entry.getFile();

        if (!link.isSymbolicLink())
            continue;

        // Links are relative ("../../sdb1"); only the device's name matters.
        const auto target = link.getNativeLinkedTarget();
        const auto deviceName = target.fromLastOccurrenceOf ("/", false, false);

        if (deviceName.isNotEmpty())
            labels[deviceName] = unescapeUdevName (link.getFileName());
    }

    return labels;
}

//==============================================================================
std::vector<RemovableVolumeListLinux::MountEntry>
RemovableVolumeListLinux::parseMountInfo (const std::string& text)
{
    // mount-id parent-id major:minor root mount-point options [optional fields] - type source super-options
    std::vector<MountEntry> entries;
    std::istringstream lines (text);
    std::string line;

    while (std::getline (lines, line))
    {
        // A name in another encoding (a stick's label in Latin-1) cannot become a juce::String.
        if (!SafeJson::isUtf8Text (line.data(), line.size()))
            continue;

        // Fields are separated by one blank each (blanks inside a field are escaped), so two in a
        // row are an empty field, as the source of "mount -t tmpfs '' /x" is.
        std::istringstream fields (line);
        std::vector<std::string> parts;
        std::string part;

        while (std::getline (fields, part, ' '))
            parts.push_back (part);

        const auto separator = std::find (parts.begin(), parts.end(), "-");

        // "-", the type, the source and the super options.
        if (separator == parts.end() || separator - parts.begin() < 6 || parts.end() - separator < 4)
            continue;

        MountEntry entry;
        entry.deviceNumber = juce::String::fromUTF8 (parts[2].c_str());
        entry.root = unescapeMountField (parts[3]);
        entry.mountPoint = unescapeMountField (parts[4]);
        entry.mountOptions = juce::String::fromUTF8 (parts[5].c_str());
        entry.fileSystemType = unescapeMountField (*(separator + 1));
        entry.superOptions = juce::String::fromUTF8 ((separator + 3)->c_str());

        if (entry.deviceNumber.containsChar (':'))
            entries.push_back (entry);
    }

    return entries;
}

juce::String RemovableVolumeListLinux::unescapeMountField (const std::string& field)
{
    std::string bytes;

    for (size_t i = 0; i < field.size(); ++i)
    {
        const auto isOctal = [] (char c) { return c >= '0' && c <= '7'; };

        if (field[i] == '\\' && i + 3 < field.size() && isOctal (field[i + 1]) && isOctal (field[i + 2]) &&
            isOctal (field[i + 3]))
        {
            bytes += (char)(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        }
        else
        {
            bytes += field[i];
        }
    }

    return fromValidUtf8 (bytes);
}

juce::String RemovableVolumeListLinux::unescapeUdevName (const juce::String& name)
{
    const std::string text = name.toStdString();
    std::string bytes;

    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar)text[i + 2]) >= 0 &&
            juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar)text[i + 3]) >= 0)
        {
            bytes += (char)juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar)text[i + 2]) * 16 +
                     juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar)text[i + 3]);
            i += 3;
        }
        else
        {
            bytes += text[i];
        }
    }

    return fromValidUtf8 (bytes);
}

std::string RemovableVolumeListLinux::readSmallFile (const juce::File& file, size_t maxBytes)
{
    const int fd = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);

    if (fd < 0)
        return {};

    std::string content;
    char buffer[8192];

    for (;;)
    {
        const auto numRead = ::read (fd, buffer, sizeof (buffer));

        if (numRead < 0 && errno == EINTR)
            continue;

        if (numRead <= 0)
            break;

        content.append (buffer, (size_t)numRead);

        if (content.size() > maxBytes)
        {
            content.clear();
            break;
        }
    }

    ::close (fd);
    return content;
}

void RemovableVolumeListLinux::makeDisplayNamesUnique (juce::Array<RemovableVolumeList::Volume>& volumes)
{
    juce::StringArray names;

    for (const auto& volume : volumes)
        names.add (volume.displayName);

    for (int i = 0; i < volumes.size(); ++i)
    {
        int count = 0;

        for (const auto& name : names)
            count += name == names[i] ? 1 : 0;

        if (count > 1)
            volumes.getReference (i).displayName =
                names[i] + " (" + volumes[i].rootFolder.getFullPathName() + ")";
    }
}
} // namespace common
