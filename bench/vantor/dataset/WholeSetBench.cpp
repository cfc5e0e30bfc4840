// Backup and export of a full model: 15 BANKs of 4 SLOTs, each a 10-second 24-bit stereo WAV at
// 96000 Hz (about 346 MB of samples).

#include "vantor/dataset/BackupArchive.h"
#include "vantor/dataset/UnitExport.h"

#include <benchmark/benchmark.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
using namespace vantor::dataset;

constexpr int rate = 96000;
constexpr int frames = 10 * rate;

// Tones with a little noise: compresses about as badly as real recordings do.
void writeWav (const juce::File& file, int seed)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> buffer (2, frames);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < frames; ++i)
            buffer.setSample (c, i,
                              0.4f * std::sin ((float)i * 0.01f * (float)(seed + c + 1)) +
                                  0.2f * std::sin ((float)i * 0.0031f * (float)(seed + 3)) +
                                  0.05f * (random.nextFloat() - 0.5f));

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::FileOutputStream (file), rate, 2, 24, {}, 0));
    writer->writeFromAudioSampleBuffer (buffer, 0, frames);
}

struct FullModel
{
    FullModel()
    {
        const auto samples = data.getChildFile ("model/samples");
        samples.createDirectory();
        data.getChildFile ("bankcollection").createDirectory();
        data.getChildFile ("bankcollection/bankcollection.json")
            .replaceWithText (R"({"bankcollection": []})");

        juce::Array<juce::var> banks;

        for (int b = 0; b < 15; ++b)
        {
            juce::Array<juce::var> slots;

            for (int s = 0; s < 4; ++s)
            {
                const auto name = "Sample " + juce::String (b * 4 + s) + ".wav";
                writeWav (samples.getChildFile (name), b * 4 + s);
                auto* slot = new juce::DynamicObject();
                slot->setProperty ("file_name", name);
                slot->setProperty ("start_sample", 0);
                slot->setProperty ("end_sample", frames);
                slot->setProperty ("sample_num", frames);
                slots.add (juce::var (slot));
            }

            auto* bank = new juce::DynamicObject();
            bank->setProperty ("bank_number", b);
            bank->setProperty ("slot", slots);
            banks.add (juce::var (bank));
        }

        auto* root = new juce::DynamicObject();
        root->setProperty ("favorite", 0);
        root->setProperty ("bank", banks);
        json = juce::var (root);
        data.getChildFile ("model/model.json").replaceWithText (juce::JSON::toString (json));

        entries.add ({data.getChildFile ("model/model.json"), "model\\model.json"});
        for (const auto& file : samples.findChildFiles (juce::File::findFiles, false, "*.wav"))
            entries.add ({file, "model\\samples\\" + file.getFileName()});
        entries.add ({data.getChildFile ("bankcollection/bankcollection.json"),
                      "bankcollection\\bankcollection.json"});
    }

    ~FullModel() { root.deleteRecursively(); }

    // A model JSON whose SLOTs play 4 of their 10 seconds: every copy is a range copy.
    juce::var trimmedJson() const
    {
        auto copy = json.clone();
        for (auto& bank : *copy["bank"].getArray())
            for (auto& slot : *bank["slot"].getArray())
                slot.getDynamicObject()->setProperty ("end_sample", 4 * rate);
        return copy;
    }

    juce::int64 sampleBytes() const { return (juce::int64)entries.size() * frames * 6; }

    juce::File root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("glorvak-wholeset-bench", {}, false);
    juce::File data = root.getChildFile ("data");
    juce::var json;
    juce::Array<BackupArchive::Entry> entries;
};

FullModel& fullModel()
{
    static FullModel model;
    return model;
}

void BM_Backup (benchmark::State& state)
{
    auto& model = fullModel();
    const auto zipFile = model.root.getChildFile ("backup.zip");

    for (auto _ : state)
        if (BackupArchive::write (model.entries, zipFile, nullptr).isNotEmpty())
            state.SkipWithError ("backup failed");

    state.counters["archive MB"] = (double)zipFile.getSize() / 1.0e6;
    state.SetBytesProcessed (state.iterations() * model.sampleBytes());
}

void BM_ExportWhole (benchmark::State& state)
{
    auto& model = fullModel();
    const auto volume = model.root.getChildFile ("volume");

    for (auto _ : state)
        if (UnitExport::write (model.json.clone(), model.data.getChildFile ("model/samples"), volume, nullptr)
                .isNotEmpty())
            state.SkipWithError ("export failed");

    state.SetBytesProcessed (state.iterations() * model.sampleBytes());
}

void BM_ExportTrimmed (benchmark::State& state)
{
    auto& model = fullModel();
    const auto volume = model.root.getChildFile ("volume");

    for (auto _ : state)
        if (UnitExport::write (model.trimmedJson(), model.data.getChildFile ("model/samples"), volume,
                               nullptr)
                .isNotEmpty())
            state.SkipWithError ("export failed");

    state.SetBytesProcessed (state.iterations() * model.sampleBytes() * 4 / 10);
}
} // namespace

BENCHMARK (BM_Backup)->Unit (benchmark::kMillisecond)->Iterations (2)->UseRealTime();
BENCHMARK (BM_ExportWhole)->Unit (benchmark::kMillisecond)->Iterations (3)->UseRealTime();
BENCHMARK (BM_ExportTrimmed)->Unit (benchmark::kMillisecond)->Iterations (3)->UseRealTime();

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce; // message manager for JUCE's file and thread classes
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fullModel().root.deleteRecursively();
    return 0;
}
