#include "vantor/dataset/WyxSlotImpl.h"

#include "common/AppInfo.h"
#include "common/UnicodeNormalisation.h"
#include "vantor/dataset/FileSwap.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/dataset/SavedSampleNames.h"
#include "vantor/dataset/SlotJsonKeys.h"

#include <cmath>

namespace vantor::dataset
{
WyxSlot::Ptr createSlot()
{
    return new WyxSlotImpl();
}

WyxSlotImpl::~WyxSlotImpl()
{
    if (file != juce::File() && file.existsAsFile() && file.isAChildOf (common::AppInfo::getTempFolder()))
        file.deleteFile();
}

//==============================================================================
int WyxSlotImpl::limitBpm (int bpmX100)
{
    return bpmX100 <= 0 ? 0 : juce::jlimit (4000, 99999, bpmX100);
}

float WyxSlotImpl::limitGainDb (float gainDb)
{
    if (std::isnan (gainDb))
        return 0.0f;

    return juce::jlimit (-18.0f, 9.0f, gainDb);
}

juce::Range<juce::int64> WyxSlotImpl::limitRange (juce::int64 start, juce::int64 end, juce::int64 sampleCount)
{
    start = std::max<juce::int64> (0, start);
    end = std::max (start, std::min (end, std::max<juce::int64> (0, sampleCount)));
    return {start, end};
}

//==============================================================================
void WyxSlotImpl::setName (const juce::String& newName)
{
    name = newName;
    sendChangeMessage();
}

void WyxSlotImpl::setBpm (int bpmX100)
{
    bpm = limitBpm (bpmX100);
    sendChangeMessage();
}

void WyxSlotImpl::setRange (const juce::Range<juce::int64>& range)
{
    const auto limited = limitRange (range.getStart(), range.getEnd(), fileInfo.sampleCount);
    rangeStart = limited.getStart();
    rangeEnd = limited.getEnd();
    sendChangeMessage();
}

double WyxSlotImpl::getTimeLength() const
{
    return FrameTime::toSeconds (rangeEnd - rangeStart, fileInfo.sampleRate);
}

float WyxSlotImpl::getBeatLength() const
{
    return (float)(getTimeLength() * ((bpm / 100.0) / 60.0));
}

void WyxSlotImpl::setGainDb (float gainDb)
{
    gain = limitGainDb (gainDb);
    sendChangeMessage();
}

void WyxSlotImpl::setLoop (bool shouldLoop)
{
    loop = shouldLoop;
    sendChangeMessage();
}

void WyxSlotImpl::setDubkickMode (bool shouldDubkick)
{
    dubkick = shouldDubkick;
    sendChangeMessage();
}

//==============================================================================
std::unique_ptr<common::AudioFileTools::OpenedAudioFile>
WyxSlotImpl::createReader (const juce::File& source, common::AudioFileTools::AudioFileInfo* info)
{
    return common::AudioFileTools::openAudioFile (source, info);
}

bool WyxSlotImpl::importAudioFile (const juce::File& source, common::AudioFileTools::AudioFileInfo* info,
                                   bool copyOnly)
{
    common::AudioFileTools::AudioFileInfo localInfo;
    auto reader = createReader (source, &localInfo);

    if (reader == nullptr)
        return false;

    if (info != nullptr)
        *info = localInfo;

    const auto imported = importFromReader (reader, source, localInfo, copyOnly);
    reader.reset();
    return imported;
}

bool WyxSlotImpl::importFromReader (std::unique_ptr<common::AudioFileTools::OpenedAudioFile>& reader,
                                    const juce::File& source,
                                    const common::AudioFileTools::AudioFileInfo& info, bool copyOnly)
{
    if (reader == nullptr || folder == juce::File())
        return false;

    // Names come from the composed form, whatever form the file system holds; the file itself is
    // read at the path as given, which is where it is.
    const auto sourceName = common::normaliseToNfc (source.getFileName());
    const auto samplesFolder = getSamplesFolder (folder);
    samplesFolder.createDirectory();

    // The new WAV is written under a hidden name beside its final place, so that the SLOT's old
    // WAV stays untouched until the new one is complete.
    const auto staging = makeStagedWavFile (samplesFolder, StagedWav::incoming);
    juce::int64 length = 0;
    double rate = 0.0;
    int channels = 0;

    if (copyOnly)
    {
        reader.reset();

        if (!source.existsAsFile() || !source.copyFileTo (staging))
        {
            staging.deleteFile();
            return false;
        }

        length = info.lengthInSamples;
        rate = info.sampleRate;
        channels = info.numChannels;
    }
    else
    {
        common::AudioFileTools::WavFileInfo written;

        if (common::AudioFileTools::convertToWav (reader.get(), staging, importSampleRate, &written)
                .isNotEmpty())
        {
            staging.deleteFile();
            return false;
        }

        length = written.lengthInSamples;
        rate = written.sampleRate;
        channels = written.numChannels;
    }

    if (!installStagedWav (staging, splitFileName (sourceName).base, sourceName, length, rate, channels))
        return false;

    sendChangeMessage();
    return true;
}

bool WyxSlotImpl::installStagedWav (const juce::File& staging, const juce::String& base,
                                    const juce::String& sourceName, juce::int64 length, double rate,
                                    int channels)
{
    const auto samplesFolder = staging.getParentDirectory();

    // In a folder under an autosaved file the old WAV stays where it is: the saved file may still
    // name it, and the clean-up after the next save removes it. The new WAV takes a name no saved
    // file names.
    if (SavedSampleNames::isGuarded (samplesFolder))
    {
        const auto target = SavedSampleNames::makeFreshFile (samplesFolder, makeSafeFileStem (base));

        if (!FileSwap::moveWithoutOverwriting (staging, target))
        {
            staging.deleteFile();
            return false;
        }

        takeNewWav (target, base, sourceName, length, rate, channels);
        return true;
    }

    // Elsewhere the SLOT owns its WAV: the old one steps aside first so that its name is free for
    // the new one, as when the SLOT is cleared before an import; it comes back if the new one
    // cannot take its place.
    juce::File aside;

    if (file != juce::File() && file.existsAsFile())
    {
        aside = makeStagedWavFile (samplesFolder, StagedWav::replaced);

        if (!file.moveFileTo (aside))
            aside = juce::File();
    }

    const auto target = samplesFolder.getNonexistentChildFile (makeSafeFileStem (base), ".wav", true);

    if (!staging.moveFileTo (target))
    {
        if (aside != juce::File())
            aside.moveFileTo (file);

        staging.deleteFile();
        return false;
    }

    if (aside != juce::File())
        aside.deleteFile();
    else if (file != juce::File() && file != target)
        file.deleteFile();

    takeNewWav (target, base, sourceName, length, rate, channels);
    return true;
}

void WyxSlotImpl::takeNewWav (const juce::File& target, const juce::String& base,
                              const juce::String& sourceName, juce::int64 length, double rate, int channels)
{
    const auto keptDubkick = dubkick;
    emptyFieldsExceptFolder();
    dubkick = keptDubkick;

    name = base;
    rangeStart = 0;
    rangeEnd = std::max<juce::int64> (0, length);
    file = target;
    displayFileName = base + target.getFileExtension();
    originalFileName = sourceName;
    fileInfo.fileSize = std::max<juce::int64> (0, target.getSize());
    fileInfo.sampleCount = length;
    fileInfo.sampleRate = rate;
    fileInfo.channelCount = channels;
}

//==============================================================================
bool WyxSlotImpl::copyFrom (const WyxSlot* other)
{
    if (other == nullptr)
        return false;

    // Taken first: the other SLOT may be this one.
    const auto otherFile = other->getFile();
    const auto otherName = other->getName();
    const auto otherBpm = other->getBpm();
    const auto otherRange = other->getRange();
    const auto otherGain = other->getGainDb();
    const auto otherLoop = other->isLoop();
    const auto otherDubkick = other->isDubkickMode();
    const auto otherOriginalFileName = other->getOriginalFileName();

    if (otherFile != juce::File())
    {
        // The program's own WAVs are copied as they are on disk, without decoding.
        if (folder == juce::File() || !otherFile.existsAsFile())
            return false;

        const auto samplesFolder = getSamplesFolder (folder);
        samplesFolder.createDirectory();
        const auto staging = makeStagedWavFile (samplesFolder, StagedWav::incoming);

        if (!otherFile.copyFileTo (staging))
        {
            staging.deleteFile();
            return false;
        }

        WyxSlotFileInfo copiedInfo;
        readWavFileInfo (staging, copiedInfo);

        if (!installStagedWav (staging, splitFileName (otherFile.getFileName()).base, otherFile.getFileName(),
                               copiedInfo.sampleCount, copiedInfo.sampleRate, copiedInfo.channelCount))
            return false;
    }
    else
    {
        deleteOwnFile();
        emptyFieldsExceptFolder();
    }

    name = otherName;
    bpm = otherBpm;
    rangeStart = otherRange.getStart();
    rangeEnd = otherRange.getEnd();
    gain = otherGain;
    loop = otherLoop;
    dubkick = otherDubkick;
    originalFileName = otherOriginalFileName;
    sendChangeMessage();
    return true;
}

WyxSlot::Ptr WyxSlotImpl::clone (const juce::File& targetFolder) const
{
    Ptr copy = createSlot();
    copy->setFolder (targetFolder);

    if (!copy->copyFrom (this))
        return nullptr;

    return copy;
}

WyxSlot::Ptr WyxSlotImpl::cloneToTemp() const
{
    common::AppInfo::createTempFolder();
    return clone (common::AppInfo::getTempFolder());
}

void WyxSlotImpl::adoptContentOf (WyxSlotImpl& staged)
{
    if (file != staged.file)
        deleteOwnFile();

    name = staged.name;
    bpm = staged.bpm;
    rangeStart = staged.rangeStart;
    rangeEnd = staged.rangeEnd;
    gain = staged.gain;
    loop = staged.loop;
    dubkick = staged.dubkick;
    file = staged.file;
    displayFileName = staged.displayFileName;
    originalFileName = staged.originalFileName;
    fileInfo = staged.fileInfo;

    // The staged SLOT no longer owns the WAV, so dying it cannot take the file with it.
    staged.emptyFieldsExceptFolder();
    sendChangeMessage();
}

//==============================================================================
void WyxSlotImpl::emptyFieldsExceptFolder()
{
    name = {};
    bpm = 0;
    rangeStart = 0;
    rangeEnd = 0;
    gain = 0.0f;
    loop = false;
    dubkick = false;
    file = juce::File();
    displayFileName = {};
    originalFileName = {};
    fileInfo = {};
}

void WyxSlotImpl::deleteOwnFile()
{
    // Under an autosaved file the WAV is left to the clean-up after the save that no longer names
    // it: deleted now, a crash before that save would leave the saved file naming nothing.
    if (file != juce::File() && !SavedSampleNames::isGuarded (file.getParentDirectory()))
        file.deleteFile();
}

void WyxSlotImpl::reset()
{
    folder = juce::File();
    emptyFieldsExceptFolder();
    sendChangeMessage();
}

void WyxSlotImpl::clear()
{
    deleteOwnFile();
    emptyFieldsExceptFolder();
    sendChangeMessage();
}

void WyxSlotImpl::setFolder (const juce::File& newFolder)
{
    fromVar ({}, newFolder);
}

juce::String WyxSlotImpl::fromVar (const juce::var& slotObject, const juce::File& newFolder)
{
    reset();
    folder = newFolder;

    auto* object = slotObject.getDynamicObject();

    if (object == nullptr)
        return {};

    const auto get = [object] (const char* key) { return object->getProperty (key); };
    const auto getText = [object] (const char* key, const juce::String& fallback)
    { return object->hasProperty (key) ? object->getProperty (key).toString() : fallback; };

    // A stored name is trusted only as a bare name inside the samples folder: anything else would
    // let a damaged or hostile file make clear() delete, or a copy read, a file elsewhere.
    const auto storedFileName = get (slotkeys::fileName).toString();
    const auto storedFile = findSampleFile (getSamplesFolder (folder), storedFileName);

    if (storedFile != juce::File())
    {
        file = storedFile;
        displayFileName = getText (slotkeys::displayFileName, storedFileName);
        originalFileName = getText (slotkeys::originalFileName, storedFileName);
        readWavFileInfo (file, fileInfo);
    }

    bpm = limitBpm ((int)get (slotkeys::bpm));
    gain = limitGainDb ((float)(double)get (slotkeys::gain));

    const auto range = limitRange ((juce::int64)get (slotkeys::startSample),
                                   (juce::int64)get (slotkeys::endSample), fileInfo.sampleCount);
    rangeStart = range.getStart();
    rangeEnd = range.getEnd();

    loop = (bool)get (slotkeys::isLoop);
    dubkick = (bool)get (slotkeys::isDubkickMode);
    name = get (slotkeys::slotName).toString();
    return {};
}

juce::var WyxSlotImpl::toVar (int slotNumber) const
{
    auto* object = new juce::DynamicObject();
    object->setProperty (slotkeys::fileSize, fileInfo.fileSize);
    object->setProperty (slotkeys::bpm, bpm);
    object->setProperty (slotkeys::sampleNum, fileInfo.sampleCount);
    object->setProperty (slotkeys::startSample, rangeStart);
    object->setProperty (slotkeys::endSample, rangeEnd);
    object->setProperty (slotkeys::timeLength, getTimeLength());
    object->setProperty (slotkeys::beatLength, (double)getBeatLength());
    object->setProperty (slotkeys::gain, (double)gain);
    object->setProperty (slotkeys::channelNum, fileInfo.channelCount);
    object->setProperty (slotkeys::isLoop, loop ? 1 : 0);
    object->setProperty (slotkeys::isDubkickMode, dubkick ? 1 : 0);
    object->setProperty (slotkeys::slotNumber, slotNumber);
    object->setProperty (slotkeys::fileName, file == juce::File() ? juce::String() : file.getFileName());
    object->setProperty (slotkeys::displayFileName, displayFileName);
    object->setProperty (slotkeys::originalFileName, originalFileName);
    object->setProperty (slotkeys::slotName, name);
    return juce::var (object);
}
} // namespace vantor::dataset
