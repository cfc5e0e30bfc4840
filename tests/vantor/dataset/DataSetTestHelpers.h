#pragma once

#include "support/JsonKeys.h"
#include "support/MessagePump.h"
#include "support/ScratchFolder.h"
#include "vantor/dataset/SampleFiles.h"

#include <gmock/gmock.h>
#include <juce_audio_formats/juce_audio_formats.h>

namespace glorvak::test
{
// A data file's folder as the program lays it out: "<folder>/<file>" with "<folder>/samples".
struct DataFileFolder
{
    DataFileFolder (const char* folderName, const char* fileName)
        : file (root.child (folderName).getChildFile (fileName))
        , samples (vantor::dataset::getSamplesFolder (root.child (folderName)))
    {
    }

    ScratchFolder root;
    juce::File file;
    juce::File samples;
};

// A silent 24-bit stereo WAV, written the way the program writes its own; returns the file.
inline juce::File writeWav (const juce::File& file, int frames, int rate = 96000)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (file), rate, 2, 24, {}, 0));
    EXPECT_NE (writer, nullptr);

    if (writer != nullptr)
    {
        juce::AudioBuffer<float> silence (2, std::max (frames, 1));
        silence.clear();
        EXPECT_TRUE (writer->writeFromAudioSampleBuffer (silence, 0, frames));
    }

    return file;
}

inline juce::var readJson (const juce::File& file)
{
    return juce::JSON::parse (file.loadFileAsString());
}

inline juce::StringArray wavNamesIn (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& file :
         folder.findChildFiles (juce::File::findFiles | juce::File::ignoreHiddenFiles, false, "*.wav"))
        names.add (file.getFileName());

    names.sort (true);
    return names;
}

// Lets queued change messages arrive.
inline void deliverPendingMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
}
} // namespace glorvak::test
