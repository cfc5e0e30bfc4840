// How long the data files take: loading and saving a full working model (15 BANKs, 60 SLOTs, each
// with its WAV) and a full bank collection (100 BANKs, 400 SLOTs with WAVs). A save writes the JSON
// beside the target, syncs it, renames it and runs the clean-up of unused samples; a load parses
// the JSON and reads every WAV's header.

#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/SlotJsonKeys.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

namespace
{
using namespace vantor::dataset;

juce::File makeScratchFolder (const juce::String& name)
{
    auto folder =
        juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile (name, {}, false);
    folder.createDirectory();
    return folder;
}

void writeWav (const juce::File& file)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (file), 96000.0, 2, 24, {}, 0));
    juce::AudioBuffer<float> silence (2, 9600);
    silence.clear();
    writer->writeFromAudioSampleBuffer (silence, 0, silence.getNumSamples());
}

// numBanks bank objects whose SLOTs each name a WAV of their own, written into samples.
juce::Array<juce::var> makeBanks (int numBanks, const juce::File& samples)
{
    samples.createDirectory();
    juce::Array<juce::var> banks;

    for (int b = 0; b < numBanks; ++b)
    {
        juce::Array<juce::var> slots;

        for (int s = 0; s < 4; ++s)
        {
            const auto fileName = "Sample " + juce::String (b) + "-" + juce::String (s) + ".wav";
            writeWav (samples.getChildFile (fileName));

            auto* slot = new juce::DynamicObject();
            slot->setProperty (slotkeys::bpm, 12000);
            slot->setProperty (slotkeys::startSample, 100);
            slot->setProperty (slotkeys::endSample, 9000);
            slot->setProperty (slotkeys::gain, -2.5);
            slot->setProperty (slotkeys::fileName, fileName);
            slot->setProperty (slotkeys::originalFileName, "Original " + fileName);
            slot->setProperty (slotkeys::slotName, "Slot name " + juce::String (b * 4 + s));
            slots.add (juce::var (slot));
        }

        auto* bank = new juce::DynamicObject();
        bank->setProperty (bankkeys::bankName, "Bank " + juce::String (b));
        bank->setProperty (bankkeys::slot, slots);
        banks.add (juce::var (bank));
    }

    return banks;
}

struct ModelFixture
{
    juce::File root = makeScratchFolder ("glorvak-model-bench");
    juce::File file = root.getChildFile ("model/model.json");

    ModelFixture()
    {
        auto* object = new juce::DynamicObject();
        object->setProperty ("favorite", 3);
        object->setProperty ("bank", makeBanks (15, root.getChildFile ("model/samples")));
        file.replaceWithText (juce::JSON::toString (juce::var (object)));
    }

    ~ModelFixture() { root.deleteRecursively(); }
};

struct CollectionFixture
{
    juce::File root = makeScratchFolder ("glorvak-collection-bench");
    juce::File file = root.getChildFile ("bankcollection/bankcollection.json");

    CollectionFixture()
    {
        auto* object = new juce::DynamicObject();
        object->setProperty (collectionkeys::bankCollection,
                             makeBanks (100, root.getChildFile ("bankcollection/samples")));
        file.replaceWithText (juce::JSON::toString (juce::var (object)));
    }

    ~CollectionFixture() { root.deleteRecursively(); }
};

void BM_LoadFullModel (benchmark::State& state)
{
    ModelFixture fixture;
    WyxModelImpl model;

    for (auto _ : state)
        model.load (fixture.file);

    model.reset(); // nothing to save on the way out
}

void BM_SaveFullModel (benchmark::State& state)
{
    ModelFixture fixture;
    WyxModelImpl model;
    model.load (fixture.file);

    for (auto _ : state)
    {
        model.setFavoriteBank (3); // marks the model changed
        model.save();
    }

    state.counters["bytes"] = (double)fixture.file.getSize();
}

void BM_LoadFullCollection (benchmark::State& state)
{
    CollectionFixture fixture;
    WyxBankCollectionImpl collection;

    for (auto _ : state)
        collection.load (fixture.file);
}

void BM_SaveFullCollection (benchmark::State& state)
{
    CollectionFixture fixture;
    WyxBankCollectionImpl collection;
    collection.load (fixture.file);

    for (auto _ : state)
    {
        collection.swap (0, 0); // marks the collection changed
        collection.save();
    }

    state.counters["bytes"] = (double)fixture.file.getSize();
}
} // namespace

BENCHMARK (BM_LoadFullModel)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (BM_SaveFullModel)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (BM_LoadFullCollection)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (BM_SaveFullCollection)->Unit (benchmark::kMillisecond)->UseRealTime();

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce; // message manager for the models' timers and broadcasts
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
