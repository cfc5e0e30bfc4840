// Writes a full data folder, as a user who has filled everything leaves it, for the start-up
// figures of bench/startup/measure-startup:
//
//   glorvak_full_data_folder <data folder> [seconds per SLOT]
//
// "model/model.json" with all 15 BANKs x 4 SLOTs holding a sample, and
// "bankcollection/bankcollection.json" with 100 stored BANKs of 4 SLOTs each, every SLOT with its
// own 24-bit stereo WAV at 96000 Hz (3.5 s by default, so that a BANK stays below the unit's 16 s).
// The folder is emptied first.

#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdio>

namespace
{
constexpr double sampleRate = 96000.0;

// A tone whose pitch depends on the seed, with a little decay, so that waveforms differ.
bool writeWav (const juce::File& file, int frames, int seed)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::AudioBuffer<float> buffer (2, frames);
    const auto step = juce::MathConstants<double>::twoPi * (55.0 * (1 + seed % 24)) / sampleRate;

    for (int i = 0; i < frames; ++i)
    {
        const auto level = 0.8 * std::exp (-3.0 * i / frames);
        buffer.setSample (0, i, (float)(level * std::sin (step * i)));
        buffer.setSample (1, i, (float)(level * std::sin (step * i * 1.01)));
    }

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::FileOutputStream (file), sampleRate, 2, 24, {}, 0));
    return writer != nullptr && writer->writeFromAudioSampleBuffer (buffer, 0, frames);
}

juce::var makeBanks (const juce::File& folder, int bankCount, const juce::String& prefix, int frames,
                     bool& written)
{
    using namespace vantor::dataset;
    juce::Array<juce::var> banks;

    for (int b = 0; b < bankCount; ++b)
    {
        juce::Array<juce::var> slots;

        for (int s = 0; s < 4; ++s)
        {
            const auto number = b * 4 + s;
            const auto name = prefix + juce::String (number).paddedLeft ('0', 3) + ".wav";
            written =
                writeWav (getBareChildFile (getSamplesFolder (folder), name), frames, number) && written;

            auto* slot = new juce::DynamicObject();
            slot->setProperty (slotkeys::fileName, name);
            slot->setProperty (slotkeys::displayFileName, name);
            slot->setProperty (slotkeys::originalFileName, name);
            slot->setProperty (slotkeys::sampleNum, frames);
            slot->setProperty (slotkeys::startSample, 0);
            slot->setProperty (slotkeys::endSample, frames);
            slot->setProperty (slotkeys::bpm, 12000); // 120.00 BPM, stored in hundredths
            slot->setProperty (slotkeys::gain, 0.0);
            slot->setProperty (slotkeys::isLoop, s == 3 ? 1 : 0);
            slot->setProperty (slotkeys::isDubkickMode, 0);
            slot->setProperty (slotkeys::slotName, prefix + " " + juce::String (number + 1));
            slots.add (juce::var (slot));
        }

        auto* bank = new juce::DynamicObject();
        bank->setProperty (bankkeys::bankNumber, b);
        bank->setProperty (bankkeys::bankName, prefix + " BANK " + juce::String (b + 1));
        bank->setProperty (bankkeys::slot, slots);
        banks.add (juce::var (bank));
    }

    return banks;
}

bool writeJson (const juce::File& file, juce::DynamicObject* root)
{
    file.getParentDirectory().createDirectory();
    return file.replaceWithText (juce::JSON::toString (juce::var (root)));
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf (stderr, "usage: glorvak_full_data_folder <data folder> [seconds per SLOT]\n");
        return 2;
    }

    const auto dataFolder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    const auto seconds = argc > 2 ? juce::String (argv[2]).getDoubleValue() : 3.5;

    if (!(seconds > 0.0 && seconds * 4 <= 16.0))
    {
        std::fprintf (stderr, "seconds per SLOT: above 0 and at most 4\n");
        return 2;
    }

    using namespace vantor::dataset;
    const auto frames = (int)(seconds * sampleRate);
    bool written = true;
    dataFolder.getChildFile (modelkeys::folderName).deleteRecursively();
    dataFolder.getChildFile (collectionkeys::folderName).deleteRecursively();

    const auto model = dataFolder.getChildFile (modelkeys::folderName);
    auto* modelRoot = new juce::DynamicObject();
    modelRoot->setProperty (modelkeys::favorite, 0);
    modelRoot->setProperty (modelkeys::bank, makeBanks (model, 15, "Pad", frames, written));
    written = writeJson (model.getChildFile (modelkeys::fileName), modelRoot) && written;

    const auto collection = dataFolder.getChildFile (collectionkeys::folderName);
    auto* collectionRoot = new juce::DynamicObject();
    collectionRoot->setProperty (collectionkeys::bankCollection,
                                 makeBanks (collection, 100, "Stored", frames, written));
    written = writeJson (collection.getChildFile (collectionkeys::fileName), collectionRoot) && written;

    if (!written)
    {
        std::fprintf (stderr, "could not write everything below %s\n",
                      dataFolder.getFullPathName().toRawUTF8());
        return 1;
    }

    std::printf ("%s: 15 BANKs x 4 SLOTs, 100 stored BANKs, %.2f s per SLOT\n",
                 dataFolder.getFullPathName().toRawUTF8(), seconds);
    return 0;
}
