#include "common/reader/AudioReaderFactory.h"
#include "support/PcmFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
// A reader that opens only when told to, recording which factory made it.
class ScriptedReader : public quelbix::AbstractReader
{
public:
    ScriptedReader (bool opensToUse, std::vector<std::string>& logToUse, std::string nameToUse)
        : opens (opensToUse)
        , log (logToUse)
        , name (std::move (nameToUse))
    {
    }

    ~ScriptedReader() override { log.push_back (name + " deleted"); }

    bool open (const juce::String&) override
    {
        log.push_back (name + " open");
        return opens;
    }

    void close() override {}
    void read (int, quelbix::StereoSample*, int) override {}
    int getBufferedPercent() override { return -1; }
    int getLengthInSamples() override { return 0; }
    int getSampleRate() override { return 0; }
    int getFileSampleRate() override { return 0; }
    juce::uint16 getBitsPerSample() override { return 0; }
    int getBitRate() override { return 0; }
    juce::uint16 getNumChannels() override { return 0; }
    void setUserValue (juce::uint64) override {}

    const std::string& getName() const { return name; }

private:
    bool opens;
    std::vector<std::string>& log;
    std::string name;
};

class ScriptedFactory : public quelbix::IIndividualReaderFactory
{
public:
    ScriptedFactory (const char* extensionToUse, bool opensToUse, std::vector<std::string>& logToUse,
                     std::string nameToUse)
        : extension (extensionToUse)
        , opens (opensToUse)
        , log (logToUse)
        , name (std::move (nameToUse))
    {
    }

    std::unique_ptr<quelbix::AbstractReader> createReader (const juce::String& path) override
    {
        if (!hasExtension (path, {extension}))
            return nullptr;

        return std::make_unique<ScriptedReader> (opens, log, name);
    }

private:
    const char* extension;
    bool opens;
    std::vector<std::string>& log;
    std::string name;
};

TEST (AudioReaderFactory, TriesFactoriesInOrderAndKeepsTheFirstReaderThatOpens)
{
    std::vector<std::string> log;
    quelbix::AudioReaderFactory factory;
    factory.addFactory (new ScriptedFactory (".M4A", false, log, "aac"));
    factory.addFactory (new ScriptedFactory (".WAV", true, log, "wav"));
    factory.addFactory (new ScriptedFactory (".M4A", true, log, "alac"));
    factory.addFactory (new ScriptedFactory (".M4A", true, log, "wrapper"));

    auto reader = factory.createReader ("/music/Song.m4a");
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (static_cast<ScriptedReader&> (*reader).getName(), "alac");
    EXPECT_EQ (log, (std::vector<std::string>{"aac open", "aac deleted", "alac open"}));

    log.clear();
    EXPECT_EQ (factory.createReader ("/music/Song.ogg"), nullptr);
    EXPECT_TRUE (log.empty());
}

TEST (AudioReaderFactory, IgnoresNullAndRepeatedFactories)
{
    std::vector<std::string> log;
    quelbix::AudioReaderFactory factory;
    auto* wav = new ScriptedFactory (".WAV", false, log, "wav");
    factory.addFactory (nullptr);
    factory.addFactory (wav);
    factory.addFactory (wav);
    EXPECT_EQ (factory.getNumFactories(), 1);

    EXPECT_EQ (factory.createReader ("a.wav"), nullptr);
    EXPECT_EQ (log, (std::vector<std::string>{"wav open", "wav deleted"}));
}

TEST (AudioReaderFactory, DefaultsOpenWavAndAiffWhateverTheCaseOfTheExtension)
{
    using namespace glorvak::test;
    FixtureFolder temp;
    const auto samples = makeTestPattern (10, 2, 16);
    const auto wav = temp.folder.getChildFile ("Loop.WaV");
    const auto aif = temp.folder.getChildFile ("Loop.AIF");
    const auto aiff = temp.folder.getChildFile ("Loop.aiff");
    ASSERT_TRUE (writeBytes (wav, PcmFileBuilder::wav ({44100, 2, 16}, samples)));
    ASSERT_TRUE (writeBytes (aif, PcmFileBuilder::aiff ({48000, 2, 16}, samples)));
    ASSERT_TRUE (writeBytes (aiff, PcmFileBuilder::aiff ({48000, 1, 24}, makeTestPattern (10, 1, 24))));

    quelbix::AudioReaderFactory factory;
    factory.addDefaultFactories();

    for (const auto& file : {wav, aif, aiff})
    {
        SCOPED_TRACE (file.getFileName());
        auto reader = factory.createReader (file.getFullPathName());
        ASSERT_NE (reader, nullptr);
        EXPECT_EQ (reader->getLengthInSamples(), 10);
    }
}

TEST (AudioReaderFactory, MissingFilePrintsOneOpenLinePerReaderThatAcceptsItsExtension)
{
    quelbix::AudioReaderFactory factory;
    factory.addDefaultFactories();

    for (const auto* path : {"/nonexistent/glorvak/a.wav", "/nonexistent/glorvak/b.AIFF"})
    {
        SCOPED_TRACE (path);
        testing::internal::CaptureStdout();
        EXPECT_EQ (factory.createReader (path), nullptr);
        const auto output = testing::internal::GetCapturedStdout();
        EXPECT_EQ (std::count (output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_EQ (output.rfind ("ERROR : file open ", 0), 0u) << output;
        EXPECT_TRUE (juce::String (output).endsWith ("common/reader/FileReader/FileReader.cpp:91 " +
                                                     juce::String (path) + "\n"))
            << output;
    }

    testing::internal::CaptureStdout();
    EXPECT_EQ (factory.createReader ("/nonexistent/glorvak/c.xyz"), nullptr);
    EXPECT_EQ (testing::internal::GetCapturedStdout(), "");
}
} // namespace
