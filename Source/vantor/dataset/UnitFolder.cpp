#include "vantor/dataset/UnitFolder.h"

#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"
#include "vantor/dataset/UnitJsonKeys.h"

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

juce::Array<juce::File> UnitFolder::findReplaceableFiles (const juce::File& unitFolder)
{
    juce::Array<juce::File> files;

    if (!unitFolder.isDirectory())
        return files;

    for (const auto& file :
         unitFolder.findChildFiles (juce::File::findFiles | juce::File::ignoreHiddenFiles, true, "*"))
        if (isReplaceable (file))
            files.add (file);

    return files;
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
