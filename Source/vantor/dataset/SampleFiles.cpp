#include "vantor/dataset/SampleFiles.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <exception>
#include <regex>
#include <set>

namespace vantor::dataset
{
juce::File getSamplesFolder (const juce::File& folder)
{
    return folder.getChildFile ("samples");
}

bool readWavFileInfo (const juce::File& wavFile, WyxSlotFileInfo& info)
{
    auto stream = std::make_unique<juce::FileInputStream> (wavFile);

    if (!stream->openedOk())
        return false;

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (stream.release(), true));

    // createReaderFor already refuses headers without rate, channels or frame size, or with more
    // than 32 bits.
    if (reader == nullptr)
        return false;

    info.fileSize = wavFile.getSize();
    info.sampleCount = reader->lengthInSamples;
    info.sampleRate = reader->sampleRate;
    info.channelCount = (int)reader->numChannels;
    return true;
}

SplitFileName splitFileName (const juce::String& fileName)
{
    SplitFileName result;
    const auto dot = fileName.lastIndexOfChar ('.');

    if (dot < 0)
    {
        result.base = fileName;
    }
    else
    {
        result.base = fileName.substring (0, dot);
        result.extension = fileName.substring (dot);

        if (result.extension == ".")
            result.extension = {};
    }

    // Built once; only read afterwards, so every thread may use it.
    static const std::wregex numbered (L"^(.+)\\((\\d+)\\)$");

    const auto wide = result.base.toWideCharPointer();
    std::wcmatch match;

    if (std::regex_match (wide, match, numbered))
        result.base = juce::String (match[1].str().c_str()).trim();

    return result;
}

bool isBareFileName (const juce::String& name)
{
    return name.isNotEmpty() && name != "." && name != ".." && !name.containsAnyOf ("/\\");
}

juce::File getBareChildFile (const juce::File& folder, const juce::String& name)
{
    if (folder == juce::File() || !isBareFileName (name))
        return {};

    return juce::File (juce::File::addTrailingSeparator (folder.getFullPathName()) + name);
}

juce::File findSampleFile (const juce::File& folder, const juce::String& name)
{
    const auto exact = getBareChildFile (folder, name);

    if (exact == juce::File() || exact.existsAsFile() || !folder.isDirectory())
        return exact;

    auto candidates = folder.findChildFiles (juce::File::findFiles, false, "*");
    candidates.sort();

    for (const auto& candidate : candidates)
        if (candidate.getFileName().equalsIgnoreCase (name))
            return candidate;

    return exact;
}

juce::String makeSafeFileStem (const juce::String& base)
{
    auto stem = base.replaceCharacters ("/\\", "__");

    if (stem.isEmpty() || stem.startsWithChar ('.') || stem.startsWithChar ('~'))
        stem = "_" + stem;

    return stem;
}

namespace
{
const char* stagedWavPrefix (StagedWav kind)
{
    return kind == StagedWav::incoming ? ".import" : ".replaced";
}
} // namespace

juce::File makeStagedWavFile (const juce::File& samplesFolder, StagedWav kind)
{
    // Numbered without brackets (".import2.wav"), the form isStagedWavName knows.
    return samplesFolder.getNonexistentChildFile (stagedWavPrefix (kind), ".wav", false);
}

bool isStagedWavName (const juce::String& fileName)
{
    for (const auto kind : {StagedWav::incoming, StagedWav::replaced})
    {
        const juce::String prefix (stagedWavPrefix (kind));

        if (fileName.startsWith (prefix) && fileName.endsWith (".wav") &&
            fileName.length() >= prefix.length() + 4 &&
            fileName.substring (prefix.length(), fileName.length() - 4).containsOnly ("0123456789"))
            return true;
    }

    return false;
}

int deleteUnusedSamples (const juce::File& jsonFile, const juce::File& samplesFolder,
                         const juce::StringArray& referencedNames)
{
    if (!jsonFile.existsAsFile() || samplesFolder == juce::File())
        return 0;

    int deleted = 0;

    try
    {
        std::set<juce::String> referenced;

        for (const auto& name : referencedNames)
            referenced.insert (name.toLowerCase());

        for (const auto& file : samplesFolder.findChildFiles (juce::File::findFiles, false, "*"))
        {
            const auto name = file.getFileName();
            const bool isSample = !file.isHidden() && file.getFileExtension().equalsIgnoreCase (".wav");

            if (!(isSample || isStagedWavName (name)) || referenced.count (name.toLowerCase()) != 0)
                continue;

            if (file.deleteFile())
                ++deleted;
        }
    }
    catch (const std::exception&)
    {
        // A failed clean-up only leaves unused files behind.
    }

    return deleted;
}
} // namespace vantor::dataset
