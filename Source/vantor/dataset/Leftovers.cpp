#include "vantor/dataset/Leftovers.h"

#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/DiskSync.h"
#include "vantor/dataset/FileSwap.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/UnitFolder.h"

namespace vantor::dataset
{
namespace
{
constexpr const char* temporaryPrefix = ".glorvak-tmp";
constexpr const char* outsideRecordName = ".glorvak-outside-temporary";

bool isAlphanumeric (const juce::String& text)
{
    return text.containsOnly ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
}

juce::Array<juce::File> childrenOf (const juce::File& folder)
{
    if (!folder.isDirectory() || folder.isSymbolicLink())
        return {};

    return folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*",
                                  juce::File::FollowSymlinks::no);
}

void removeItem (const juce::File& item)
{
    // deleteRecursively does not follow links: a link is removed, never what it points to.
    if (item.isDirectory() && !item.isSymbolicLink())
        item.deleteRecursively (false);
    else
        item.deleteFile();
}

void removeTemporariesIn (const juce::File& folder)
{
    for (const auto& child : childrenOf (folder))
        if (Leftovers::isTemporaryName (child.getFileName()))
            removeItem (child);
}

void removeReplacementTemporaries (const juce::File& target)
{
    for (const auto& child : childrenOf (target.getParentDirectory()))
        if (Leftovers::isReplacementTemporaryOf (child.getFileName(), target) && !child.isDirectory())
            child.deleteFile();
}

void removeStagedWavs (const juce::File& samplesFolder)
{
    for (const auto& child : childrenOf (samplesFolder))
        if (isStagedWavName (child.getFileName()) && !child.isDirectory())
            child.deleteFile();
}
} // namespace

juce::File Leftovers::makeTemporaryPlace (const juce::File& parent)
{
    // Numbered without brackets (".glorvak-tmp2"), the form isTemporaryName knows.
    return parent.getNonexistentChildFile (temporaryPrefix, {}, false);
}

bool Leftovers::isTemporaryName (const juce::String& name)
{
    if (!name.startsWith (temporaryPrefix))
        return false;

    auto rest = name.substring (juce::String (temporaryPrefix).length());
    const auto dot = rest.indexOfChar ('.');

    // The zip library writes the archive as "<name>.XXXXXX" first.
    if (dot >= 0)
    {
        const auto suffix = rest.substring (dot + 1);

        if (suffix.length() != 6 || !isAlphanumeric (suffix))
            return false;

        rest = rest.substring (0, dot);
    }

    return rest.containsOnly ("0123456789");
}

bool Leftovers::isReplacementTemporaryOf (const juce::String& name, const juce::File& target)
{
    // The form of juce::TemporaryFile with a hidden name: ".<stem>_temp<hex>[<number>]<extension>".
    const auto head = "." + target.getFileNameWithoutExtension() + "_temp";
    const auto tail = target.getFileExtension();

    if (!name.startsWith (head) || !name.endsWith (tail) || name.length() <= head.length() + tail.length())
        return false;

    return name.substring (head.length(), name.length() - tail.length())
        .containsOnly ("0123456789abcdefABCDEF");
}

void Leftovers::cleanDataFolder (const juce::File& dataFolder)
{
    if (!dataFolder.isDirectory())
        return;

    // First the swap: its old or new parts may wait in a temporary folder.
    FileSwap::recover (dataFolder);
    removeTemporariesIn (dataFolder);
    removeReplacementTemporaries (FileSwap::getJournalFile (dataFolder));

    for (const auto& [folderName, fileName] :
         {std::pair{modelkeys::folderName, modelkeys::fileName},
          std::pair{collectionkeys::folderName, collectionkeys::fileName}})
    {
        const auto folder = dataFolder.getChildFile (folderName);
        removeReplacementTemporaries (folder.getChildFile (fileName));
        removeStagedWavs (getSamplesFolder (folder));
    }

    const auto record = dataFolder.getChildFile (outsideRecordName);

    if (record.existsAsFile() && !record.isSymbolicLink() && record.getSize() < 65536)
    {
        const juce::File recorded (record.loadFileAsString().trim());

        // Only a name of ours is removed, whatever the record says.
        if (juce::File::isAbsolutePath (recorded.getFullPathName()) &&
            isTemporaryName (recorded.getFileName()))
            for (const auto& sibling : childrenOf (recorded.getParentDirectory()))
                if (sibling.getFileName().startsWith (recorded.getFileName()) &&
                    isTemporaryName (sibling.getFileName()))
                    removeItem (sibling);
    }

    forgetOutsideTemporary (dataFolder);
}

void Leftovers::cleanUnitFolder (const juce::File& volumeRoot)
{
    const auto makerFolder = UnitFolder::getMakerFolder (volumeRoot);

    if (!makerFolder.isDirectory() || makerFolder.isSymbolicLink())
        return;

    FileSwap::recover (makerFolder);
    removeTemporariesIn (makerFolder);
    removeReplacementTemporaries (FileSwap::getJournalFile (makerFolder));

    if (!UnitFolder::getUnitFolder (volumeRoot).isSymbolicLink())
        removeReplacementTemporaries (UnitFolder::getSettingsFile (volumeRoot));
}

void Leftovers::recordOutsideTemporary (const juce::File& dataFolder, const juce::File& temporary)
{
    const auto record = dataFolder.getChildFile (outsideRecordName);

    if (record.replaceWithText (temporary.getFullPathName()))
        DiskSync::item (record) && DiskSync::item (dataFolder);
}

void Leftovers::forgetOutsideTemporary (const juce::File& dataFolder)
{
    const auto record = dataFolder.getChildFile (outsideRecordName);

    if (record.exists() || record.isSymbolicLink())
        record.deleteFile();
}
} // namespace vantor::dataset
