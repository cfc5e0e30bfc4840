#include "vantor/dataset/UnitFolder.h"

#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"
#include "vantor/dataset/UnitJsonKeys.h"
#include "vantor/dataset/WyxSlotImpl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::dataset
{
juce::File UnitFolder::getMakerFolder (const juce::File& volumeRoot)
{
    return volumeRoot.getChildFile (unitkeys::makerFolder);
}

juce::File UnitFolder::getUnitFolder (const juce::File& volumeRoot)
{
    return getMakerFolder (volumeRoot).getChildFile (unitkeys::unitFolder);
}

juce::File UnitFolder::getSettingsFile (const juce::File& volumeRoot)
{
    return getUnitFolder (volumeRoot).getChildFile (unitkeys::settingsFile);
}

juce::String UnitFolder::getBankFolderName (int bankIndex)
{
    return juce::String::formatted ("%02d", bankIndex + 1);
}

bool UnitFolder::isReplaceable (const juce::File& file)
{
    return file.existsAsFile() && !file.isHidden() && !file.getFileName().startsWithChar ('.');
}

namespace
{
bool lstatOf (const juce::File& item, struct stat& info)
{
    return item != juce::File() && ::lstat (item.getFullPathName().toRawUTF8(), &info) == 0;
}

void collectReplaceable (const juce::File& folder, juce::Array<juce::File>& files)
{
    for (const auto& child : folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*",
                                                    juce::File::FollowSymlinks::no))
    {
        struct stat info;

        if (child.getFileName().startsWithChar ('.') || !lstatOf (child, info))
            continue;

        if (S_ISDIR (info.st_mode))
            collectReplaceable (child, files);
        else if (S_ISLNK (info.st_mode) || !child.isHidden())
            files.add (child);
    }
}
} // namespace

juce::Array<juce::File> UnitFolder::findReplaceableFiles (const juce::File& unitFolder)
{
    juce::Array<juce::File> files;
    struct stat info;

    if (lstatOf (unitFolder, info) && S_ISDIR (info.st_mode))
        collectReplaceable (unitFolder, files);

    return files;
}

bool UnitFolder::isPlainFileBelow (const juce::File& root, const juce::File& item)
{
    struct stat info;

    if (!item.isAChildOf (root) || !lstatOf (item, info) || !S_ISREG (info.st_mode))
        return false;

    for (auto folder = item.getParentDirectory(); folder != root; folder = folder.getParentDirectory())
        if (!lstatOf (folder, info) || !S_ISDIR (info.st_mode))
            return false;

    return true;
}

UnitFolder::CopyResult UnitFolder::copyPlainFile (const juce::File& source, const juce::File& target)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const int descriptor =
        ::open (source.getFullPathName().toRawUTF8(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);

    if (descriptor < 0)
        return errno == ELOOP ? CopyResult::notPlainFile : CopyResult::failed;

    struct stat info;

    if (::fstat (descriptor, &info) != 0 || !S_ISREG (info.st_mode))
    {
        ::close (descriptor);
        return CopyResult::notPlainFile;
    }

    bool ok = true;
    juce::int64 written = 0;

    {
        juce::FileOutputStream out (target, 65536);
        ok = out.openedOk();

        if (ok)
        {
            out.setPosition (0);
            out.truncate();
        }

        juce::HeapBlock<char> buffer (65536);

        while (ok)
        {
            const auto count = ::read (descriptor, buffer.get(), 65536);

            if (count < 0 && errno == EINTR)
                continue;

            if (count <= 0)
            {
                ok = count == 0;
                break;
            }

            ok = out.write (buffer.get(), (size_t)count);
            written += count;
        }

        if (ok)
        {
            out.flush();
            ok = out.getStatus().wasOk();
        }
    }

    ::close (descriptor);

    if (!ok || written != (juce::int64)info.st_size || target.getSize() != written)
    {
        target.deleteFile();
        return CopyResult::failed;
    }

    return CopyResult::copied;
}

void UnitFolder::limitImportedBank (juce::DynamicObject& bank)
{
    bank.setProperty (bankkeys::bankName,
                      bank.getProperty (bankkeys::bankName).toString().substring (0, maxNameLength));
}

void UnitFolder::limitImportedSlot (juce::DynamicObject& slot, int slotIndex)
{
    const auto flag = [&slot] (const char* key) { return (bool)slot.getProperty (key) ? 1 : 0; };

    slot.setProperty (slotkeys::slotName,
                      slot.getProperty (slotkeys::slotName).toString().substring (0, maxNameLength));
    slot.setProperty (slotkeys::bpm, WyxSlotImpl::limitBpm ((int)slot.getProperty (slotkeys::bpm)));
    slot.setProperty (slotkeys::gain,
                      (double)WyxSlotImpl::limitGainDb ((float)(double)slot.getProperty (slotkeys::gain)));
    slot.setProperty (slotkeys::isLoop, slotIndex >= 2 ? flag (slotkeys::isLoop) : 0);
    slot.setProperty (slotkeys::isDubkickMode, flag (slotkeys::isDubkickMode));
}

int UnitFolder::limitFavorite (const juce::var& favorite)
{
    if (!(favorite.isInt() || favorite.isInt64() || favorite.isDouble()))
        return 0;

    const auto value = (double)favorite;
    return value >= bankCount - 1 ? bankCount - 1 : (value <= 0.0 ? 0 : (int)value);
}

void stripEditorKeys (juce::DynamicObject* slotObject)
{
    if (slotObject == nullptr)
        return;

    for (const auto* key : {slotkeys::startSample, slotkeys::endSample, unitkeys::beatBpmLock,
                            slotkeys::displayFileName, slotkeys::originalFileName})
        slotObject->removeProperty (key);
}

void restoreEditorKeys (juce::DynamicObject* slotObject, const juce::File& newFile, const juce::String& base)
{
    if (slotObject == nullptr)
        return;

    WyxSlotFileInfo info;

    if (newFile == juce::File() || !readWavFileInfo (newFile, info))
        info.sampleCount = 0;

    const auto fileName = newFile == juce::File() ? juce::String() : newFile.getFileName();
    const auto extension = newFile == juce::File() ? juce::String() : newFile.getFileExtension();

    slotObject->setProperty (slotkeys::startSample, 0);
    slotObject->setProperty (slotkeys::endSample, info.sampleCount);
    slotObject->setProperty (slotkeys::displayFileName, base + extension);
    slotObject->setProperty (slotkeys::originalFileName, fileName);
    slotObject->setProperty (slotkeys::fileName, fileName);
}
} // namespace vantor::dataset
