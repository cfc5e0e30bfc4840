// The conversion of a dropped file against the ffmpeg program, measured side by side in one run on
// a fixed mixed set: a minute each of WAV (16-bit 44100 Hz, 24-bit 48000 Hz), FLAC, MP3, AAC and
// ALAC, converted to 24-bit stereo WAV at 96000 Hz. Each round times the program (open and convert,
// its final fsync included) and then ffmpeg on the same files ("-ar 96000 -c:a pcm_s24le", its own
// transcoding time as "-benchmark" reports it, plus an fsync of its output), so that both see the
// same machine load. Counters: audio_s_per_s of each, and ratio = program time / ffmpeg time.
//
// The resampler's quality, before (JUCE's linear interpolation behind a low-pass, as the program
// converted until now) and after (the conversion as it is): a 1 kHz sine and band-limited noise at
// 44100 -> 96000 Hz against the ideal signal at the new rate (snr_db), and the response at 10, 15
// and 20 kHz (response_db). Both are computed once, outside the timing.
//
// ffmpeg comes with scripts/setup; without it the comparison is skipped with a message.

#include "../MinuteOfAudio.h"

#include "common/audiofile/AudioFileTools.h"
#include "common/audiofile/AudioFileToolsConversionPipeline.h"
#include "common/audiofile/AudioFileToolsSoxrResampler.h"
#include "common/audiofile/AudioFileToolsStereoWav24Writer.h"
#include "common/audiofile/AudioFileToolsVerifiedOutputFile.h"
#include "support/SyntheticAudioReader.h"
#include "support/ToneAnalysis.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <thread>
#include <unistd.h>

namespace
{
using namespace common::AudioFileTools;

constexpr double targetRate = 96000.0;

juce::File mixedFolder()
{
    return minuteofaudio::folder().getChildFile ("mixed");
}

bool runFfmpeg (const juce::StringArray& arguments, juce::String* output = nullptr)
{
    juce::StringArray command ("ffmpeg");
    command.addArray ({"-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
    command.addArray (arguments);
    juce::ChildProcess process;

    if (!process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return false;

    const auto text = process.readAllProcessOutput();
    process.waitForProcessToFinish (-1);

    if (output != nullptr)
        *output = text;

    return process.getExitCode() == 0;
}

bool ffmpegIsThere()
{
    static const bool there = runFfmpeg ({"-version"});
    return there;
}

juce::File writeWav (const juce::String& name, const testfixtures::PlanarPcm& pcm, int rate, int bits)
{
    juce::AudioBuffer<float> buffer ((int)pcm.size(), (int)pcm[0].size());
    const float scale = 1.0f / (float)(1 << (bits - 1));

    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (c, i, (float)pcm[(size_t)c][(size_t)i] * scale);

    const auto file = mixedFolder().getChildFile (name);
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::FileOutputStream (file), rate, 2, bits, {}, 0));
    writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples());
    return file;
}

// The set, made once per run: the two WAVs from the tests' signal, the compressed files by the
// tests' encoders (FLAC, MP3) and by ffmpeg (AAC, ALAC).
const juce::Array<juce::File>& mixedSet()
{
    static const auto files = []
    {
        juce::Array<juce::File> made;
        mixedFolder().createDirectory();
        constexpr int seconds = 60;
        const auto pcm16 = testfixtures::makeTestPcm (2, 44100 * seconds, 16);

        made.add (writeWav ("wav16-44100.wav", pcm16, 44100, 16));
        made.add (
            writeWav ("wav24-48000.wav", testfixtures::makeTestPcm (2, 48000 * seconds, 24, 2), 48000, 24));

        const auto flac = mixedFolder().getChildFile ("flac-44100.flac");
        const auto flacData = testfixtures::encodeFlac (pcm16, {44100, 16, 4096});
        flac.replaceWithData (flacData.getData(), flacData.getSize());
        made.add (flac);

        const auto mp3 = mixedFolder().getChildFile ("mp3-44100.mp3");
        const auto mp3Data = testfixtures::encodeMpegAudio ("libmp3lame", pcm16, 44100, 192000);
        mp3.replaceWithData (mp3Data.getData(), mp3Data.getSize());
        made.add (mp3);

        const auto source = made[0].getFullPathName();
        const auto aac = mixedFolder().getChildFile ("aac-44100.m4a");
        const auto alac = mixedFolder().getChildFile ("alac-44100.m4a");

        if (runFfmpeg ({"-i", source, "-c:a", "aac", "-b:a", "192k", aac.getFullPathName()}))
            made.add (aac);

        if (runFfmpeg ({"-i", source, "-c:a", "alac", alac.getFullPathName()}))
            made.add (alac);

        return made;
    }();

    return files;
}

double secondsSince (juce::int64 startTicks)
{
    return juce::Time::highResolutionTicksToSeconds (juce::Time::getHighResolutionTicks() - startTicks);
}

juce::File programOutput (const juce::File& source)
{
    return source.withFileExtension ("program.wav");
}

// What the user waits for after a drop: open, convert, and the WAV safely on disk.
bool convertWithProgram (const juce::File& source, double& audioSeconds)
{
    AudioFileInfo info;
    auto opened = openAudioFile (source, &info);

    if (opened == nullptr)
        return false;

    audioSeconds += (double)info.lengthInSamples / info.sampleRate;
    return convertToWav (opened.get(), programOutput (source), targetRate, nullptr).isEmpty();
}

bool fsyncFile (const juce::File& file)
{
    const int fd = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY);

    if (fd < 0)
        return false;

    const bool synced = ::fsync (fd) == 0;
    ::close (fd);
    return synced;
}

// ffmpeg's own transcoding time ("rtime" of -benchmark) plus the fsync of its output; the
// process start is left out, in ffmpeg's favour.
bool convertWithFfmpeg (const juce::File& source, double& seconds)
{
    const auto target = source.withFileExtension ("ffmpeg.wav");
    juce::String report;

    if (!runFfmpeg ({"-benchmark", "-loglevel", "info", "-i", source.getFullPathName(), "-ar", "96000", "-ac",
                     "2", "-c:a", "pcm_s24le", target.getFullPathName()},
                    &report))
        return false;

    const auto rtime =
        report.fromLastOccurrenceOf ("rtime=", false, false).upToFirstOccurrenceOf ("s", false, false);

    if (rtime.isEmpty())
        return false;

    const auto start = juce::Time::getHighResolutionTicks();
    const bool synced = fsyncFile (target);
    seconds += rtime.getDoubleValue() + secondsSince (start);
    return synced;
}

void programAgainstFfmpeg (benchmark::State& state)
{
    if (!ffmpegIsThere())
    {
        state.SkipWithError ("the ffmpeg program is missing (scripts/setup installs it)");
        return;
    }

    const auto& files = mixedSet();
    double audio = 0, program = 0, ffmpeg = 0;

    for (auto _ : state)
    {
        double audioThisRound = 0, ffmpegThisRound = 0;

        // ffmpeg empties its old output before its clock starts; the program's old output goes
        // before its clock starts too, rather than when the new file replaces it.
        for (const auto& file : files)
            programOutput (file).deleteFile();

        const auto start = juce::Time::getHighResolutionTicks();

        for (const auto& file : files)
            if (!convertWithProgram (file, audioThisRound))
            {
                state.SkipWithError (("the program did not convert " + file.getFileName()).toRawUTF8());
                return;
            }

        const auto programThisRound = secondsSince (start);
        state.SetIterationTime (programThisRound);

        for (const auto& file : files)
            if (!convertWithFfmpeg (file, ffmpegThisRound))
            {
                state.SkipWithError (("ffmpeg did not convert " + file.getFileName()).toRawUTF8());
                return;
            }

        audio += audioThisRound;
        program += programThisRound;
        ffmpeg += ffmpegThisRound;
    }

    state.counters["files"] = files.size();
    state.counters["audio_s"] = audio / (double)state.iterations();
    state.counters["program_s"] = program / (double)state.iterations();
    state.counters["ffmpeg_s"] = ffmpeg / (double)state.iterations();
    state.counters["program_audio_s_per_s"] = audio / program;
    state.counters["ffmpeg_audio_s_per_s"] = audio / ffmpeg;
    state.counters["ratio"] = program / ffmpeg;
}

BENCHMARK (programAgainstFfmpeg)->Unit (benchmark::kMillisecond)->UseManualTime()->Iterations (5);

//==============================================================================
// Where the time of one file goes: each stage of the conversion run alone on that file, one after
// the other, so that the figures add up to what the pipeline overlaps. Per stage the wall time and
// the CPU time of the whole process (its helper threads included: nothing else runs meanwhile),
// in ms, medians of the iterations. open = openAudioFile; decode = all frames read in blocks of
// 8192 as the conversion reads them (straight through, without the player's page buffer); close = the reader
// destroyed; resample = libsoxr over the decoded frames in memory (one thread per channel, as the conversion
// runs it); write = the 24-bit WAV written from memory through the verified file; sync = closing its stream
// (the fsync); replace = moving it into place; convert = open + convertToWav as the user waits for it; ffmpeg
// = ffmpeg's time for the same file, measured as above.
double processCpuSeconds()
{
    timespec now{};
    clock_gettime (CLOCK_PROCESS_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

class StageClock
{
public:
    void start()
    {
        wall = juce::Time::getHighResolutionTicks();
        cpu = processCpuSeconds();
    }

    void stop (const std::string& name)
    {
        walls[name].push_back (secondsSince (wall) * 1000.0);
        cpus[name].push_back ((processCpuSeconds() - cpu) * 1000.0);
    }

    // A wall time measured elsewhere (ffmpeg's own), in ms.
    void add (const std::string& name, double ms) { walls[name].push_back (ms); }

    void report (benchmark::State& state)
    {
        auto median = [] (std::vector<double> v)
        {
            std::sort (v.begin(), v.end());
            return v[v.size() / 2];
        };

        for (const auto& [name, values] : walls)
            state.counters[name + "_ms"] = median (values);

        for (const auto& [name, values] : cpus)
            state.counters[name + "_cpu_ms"] = median (values);
    }

private:
    juce::int64 wall = 0;
    double cpu = 0;
    std::map<std::string, std::vector<double>> walls, cpus;
};

void stagesOfOneFile (benchmark::State& state)
{
    const auto& files = mixedSet();

    if (state.range (0) >= files.size())
    {
        state.SkipWithError ("ffmpeg made no such file (scripts/setup installs it)");
        return;
    }

    using Impl = common::AudioFileToolsImpl::ConversionPipeline;
    const auto& source = files.getReference ((int)state.range (0));
    const auto target = source.withFileExtension ("stages.wav");
    state.SetLabel (source.getFileName().toStdString());
    StageClock clock;

    for (auto _ : state)
    {
        clock.start();
        auto opened = openAudioFile (source, nullptr);
        clock.stop ("open");

        if (opened == nullptr)
        {
            state.SkipWithError ("the program did not open the file");
            return;
        }

        auto& reader = opened->getReader();
        const auto length = reader.getLengthInSamples();
        const double rate = reader.getSampleRate();
        std::vector<float> decoded ((size_t)length * 2);

        clock.start();
        reader.prepareToReadThrough();
        for (int startFrame = 0; startFrame < length; startFrame += Impl::framesPerBlock)
            reader.read (startFrame,
                         reinterpret_cast<quelbix::StereoSample*> (decoded.data() + startFrame * 2),
                         juce::jmin (length - startFrame, Impl::framesPerBlock));
        clock.stop ("decode");

        clock.start();
        opened.reset();
        clock.stop ("close");

        // As the conversion does it: one resampler per channel, each on a thread of its own. The
        // output is touched beforehand, so that its first use costs nothing here.
        std::array<std::vector<float>, 2> resampled;

        for (auto& channel : resampled)
        {
            channel.assign ((size_t)((double)length * targetRate / rate) + 65536, 0.0f);
            channel.clear();
        }

        clock.start();
        {
            auto resampleChannel = [&] (size_t c)
            {
                common::AudioFileToolsImpl::SoxrResampler soxr (rate, targetRate, 1);
                std::vector<float> mono (Impl::framesPerBlock);

                for (size_t frame = 0; frame < (size_t)length; frame += Impl::framesPerBlock)
                {
                    const auto n = juce::jmin ((size_t)length - frame, (size_t)Impl::framesPerBlock);

                    for (size_t i = 0; i < n; ++i)
                        mono[i] = decoded[(frame + i) * 2 + c];

                    soxr.process (mono.data(), n, resampled[c]);
                }

                soxr.flush (resampled[c]);
            };

            std::thread right (resampleChannel, 1);
            resampleChannel (0);
            right.join();
        }
        clock.stop ("resample");

        clock.start();
        common::AudioFileToolsImpl::VerifiedOutputFile output (target, {});
        auto stream = output.openStream();
        {
            common::AudioFileToolsImpl::StereoWav24Writer writer (*stream, targetRate);

            const auto frames = juce::jmin (resampled[0].size(), resampled[1].size());

            for (size_t frame = 0; frame < frames; frame += Impl::framesPerBlock)
                writer.write (resampled[0].data() + frame, resampled[1].data() + frame, 1,
                              juce::jmin (frames - frame, (size_t)Impl::framesPerBlock));

            writer.finish();
        }
        clock.stop ("write");

        clock.start();
        stream.reset();
        clock.stop ("sync");

        target.deleteFile(); // as in the comparison above
        clock.start();
        const bool committed = output.commit();
        clock.stop ("replace");

        double audio = 0;
        programOutput (source).deleteFile(); // as in the comparison above
        clock.start();
        const bool converted = convertWithProgram (source, audio);
        clock.stop ("convert");

        double ffmpeg = 0;

        if (ffmpegIsThere() && convertWithFfmpeg (source, ffmpeg))
            clock.add ("ffmpeg", ffmpeg * 1000.0);

        if (!committed || !converted)
        {
            state.SkipWithError ("the program did not write the file");
            return;
        }
    }

    clock.report (state);
}

BENCHMARK (stagesOfOneFile)->DenseRange (0, 5)->Unit (benchmark::kMillisecond)->Iterations (5);

//==============================================================================
// The conversion as it was: JUCE's resampler behind the reader, in blocks of 8192 frames.
std::vector<float> resampleAsBefore (quelbix::AbstractReader& reader, double sourceRate, int outputFrames)
{
    struct ReaderSource : juce::AudioSource
    {
        explicit ReaderSource (quelbix::AbstractReader& r)
            : reader (r)
        {
        }

        void prepareToPlay (int, double) override {}
        void releaseResources() override {}

        void getNextAudioBlock (const juce::AudioSourceChannelInfo& info) override
        {
            std::vector<quelbix::StereoSample> frames ((size_t)info.numSamples);
            reader.read (position, frames.data(), info.numSamples);
            position += info.numSamples;

            for (int i = 0; i < info.numSamples; ++i)
            {
                info.buffer->setSample (0, info.startSample + i, frames[(size_t)i].left);
                info.buffer->setSample (1, info.startSample + i, frames[(size_t)i].right);
            }
        }

        quelbix::AbstractReader& reader;
        int position = 0;
    };

    ReaderSource source (reader);
    juce::ResamplingAudioSource resampler (&source, false, 2);
    resampler.setResamplingRatio (sourceRate / targetRate);
    resampler.prepareToPlay (8192 + 16, targetRate);
    juce::AudioBuffer<float> buffer (2, 8192);
    std::vector<float> left;

    for (int done = 0; done < outputFrames;)
    {
        const int n = juce::jmin (outputFrames - done, 8192);
        resampler.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, n));

        // Rounded to 24 bits as the WAV holds it, for a fair comparison.
        for (int i = 0; i < n; ++i)
            left.push_back (
                (float)common::AudioFileToolsImpl::StereoWav24Writer::toInt24 (buffer.getSample (0, i)) /
                8388608.0f);

        done += n;
    }

    return left;
}

// The conversion as it is, read back from the WAV it writes.
std::vector<float> resampleNow (std::unique_ptr<quelbix::AbstractReader> reader)
{
    OpenedAudioFile opened (std::move (reader), {});
    const auto target = minuteofaudio::folder().getChildFile ("quality.wav");
    minuteofaudio::folder().createDirectory();

    if (convertToWav (&opened, target, targetRate, nullptr).isNotEmpty())
        return {};

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> wav (
        format.createReaderFor (new juce::FileInputStream (target), true));
    juce::AudioBuffer<float> buffer (2, (int)wav->lengthInSamples);
    wav->read (&buffer, 0, buffer.getNumSamples(), 0, true, true);
    return std::vector<float> (buffer.getReadPointer (0), buffer.getReadPointer (0) + buffer.getNumSamples());
}

void resamplerQuality (benchmark::State& state, bool now)
{
    using namespace glorvak::test;
    constexpr double sourceRate = 44100.0;
    constexpr int seconds = 2;
    const int outputFrames = (int)targetRate * seconds;
    // Away from both ends, where a filter starts and stops.
    const int start = (int)targetRate / 10, count = outputFrames - 2 * start;

    auto run = [&] (const IdealSignal& ideal)
    {
        const auto generator = [ideal] (int frame)
        {
            const auto v = (float)ideal (frame / sourceRate);
            return quelbix::StereoSample{v, v};
        };

        auto reader =
            std::make_unique<SyntheticAudioReader> ((int)sourceRate, (int)sourceRate * seconds, generator);
        return now ? resampleNow (std::move (reader)) : resampleAsBefore (*reader, sourceRate, outputFrames);
    };

    std::map<std::string, double> figures;

    for (auto _ : state)
    {
        const auto sine = run (sineSignal (1000.0, 0.5));
        const auto noise = run (bandLimitedNoise (20000.0, 0.2));

        if ((int)sine.size() < outputFrames || (int)noise.size() < outputFrames)
        {
            state.SkipWithError ("the conversion failed");
            return;
        }

        figures["sine_1k_snr_db"] =
            signalToErrorDb (sine.data(), start, count, sineSignal (1000.0, 0.5), targetRate);
        figures["noise_snr_db"] =
            signalToErrorDb (noise.data(), start, count, bandLimitedNoise (20000.0, 0.2), targetRate);

        for (double frequency : {10000.0, 15000.0, 20000.0})
        {
            const auto tone = run (sineSignal (frequency, 0.5));
            const auto gain = amplitudeAt (tone.data(), start, count, frequency, targetRate) / 0.5;
            figures["response_" + std::to_string ((int)frequency / 1000) + "k_db"] = 20.0 * std::log10 (gain);
        }
    }

    for (const auto& [name, value] : figures)
        state.counters[name] = value;
}

BENCHMARK_CAPTURE (resamplerQuality, before, false)->Unit (benchmark::kMillisecond)->Iterations (1);
BENCHMARK_CAPTURE (resamplerQuality, now, true)->Unit (benchmark::kMillisecond)->Iterations (1);

// The program's conversions of the set alone, back to back, for a profiler or a count of context
// switches (/usr/bin/time -v) without ffmpeg's processes in the way.
void programAlone (benchmark::State& state)
{
    const auto& files = mixedSet();

    for (auto _ : state)
    {
        double audio = 0;

        for (const auto& file : files)
            if (!convertWithProgram (file, audio))
            {
                state.SkipWithError (("the program did not convert " + file.getFileName()).toRawUTF8());
                return;
            }
    }
}

BENCHMARK (programAlone)->Unit (benchmark::kMillisecond)->Iterations (20);
} // namespace

int main (int argc, char** argv)
{
    return minuteofaudio::runBenchmarks (argc, argv);
}
