#include "vantor/dataset/WyxBankImpl.h"
#include "vantor/dataset/WyxSlotImpl.h"

#include "support/SyntheticAudioReader.h"
#include "vantor/dataset/DataSetTestHelpers.h"

namespace
{
using namespace vantor::dataset;
using common::AudioFileTools::AudioFileInfo;
using common::AudioFileTools::OpenedAudioFile;
using glorvak::test::ScratchFolder;
using glorvak::test::SyntheticAudioReader;
using glorvak::test::wavNamesIn;
using glorvak::test::writeWav;

// An opened file over computed audio: the name of the source matters to the import, its bytes
// do not, so naming cases need no file of every format.
std::unique_ptr<OpenedAudioFile> openSynthetic (int rate, int length)
{
    return std::make_unique<OpenedAudioFile> (
        std::make_unique<SyntheticAudioReader> (rate, length, SyntheticAudioReader::ramp()), juce::File());
}

AudioFileInfo infoOf (int rate, int length)
{
    AudioFileInfo info;
    info.sampleRate = rate;
    info.numChannels = 2;
    info.lengthInSamples = length;
    return info;
}

bool importSynthetic (WyxSlot& slot, const juce::File& source, int rate = 48000, int length = 4800)
{
    auto opened = openSynthetic (rate, length);
    return slot.importFromReader (opened, source, infoOf (rate, length), false);
}

WyxSlot::Ptr slotIn (const juce::File& folder)
{
    auto slot = createSlot();
    slot->setFolder (folder);
    return slot;
}

struct NamingCase
{
    const char* sourceName;
    const char* expectedName;
    const char* expectedWav;
};

const NamingCase namingCases[] = {
    {"Kick.wav", "Kick", "Kick.wav"},
    {"Kick (12).mp3", "Kick", "Kick.wav"},
    {"README", "README", "README.wav"},
    {"Take(123456789012345).flac", "Take", "Take.wav"},
    {"Loop.final.aif", "Loop.final", "Loop.final.wav"},
    {".hidden.wav", ".hidden", "_.hidden.wav"},
    {"~home.wav", "~home", "_~home.wav"},
};

TEST (SlotImport, NamesTheSampleAfterTheSourceWithoutItsNumber)
{
    for (const auto& c : namingCases)
    {
        SCOPED_TRACE (c.sourceName);
        ScratchFolder folder;
        auto slot = slotIn (folder.get());

        ASSERT_TRUE (importSynthetic (*slot, folder.child ("in").getChildFile (c.sourceName)));
        EXPECT_EQ (slot->getName(), juce::String (c.expectedName));
        EXPECT_EQ (slot->getFile(), getSamplesFolder (folder.get()).getChildFile (c.expectedWav));
        EXPECT_TRUE (slot->getFile().existsAsFile());
        EXPECT_EQ (slot->getDisplayFileName(), juce::String (c.expectedName) + ".wav");
        EXPECT_EQ (slot->getOriginalFileName(), juce::String (c.sourceName));
    }
}

TEST (SlotImport, ConvertsTo96kStereoAndTakesTheWholeRange)
{
    ScratchFolder folder;
    auto slot = slotIn (folder.get());
    slot->setDubkickMode (true);
    slot->setBpm (12000);
    slot->setGainDb (3.0f);
    slot->setLoop (true);

    ASSERT_TRUE (importSynthetic (*slot, folder.child ("My Loop (3).aif"), 44100, 88200));
    EXPECT_EQ (slot->getFileInfo().sampleRate, 96000.0);
    EXPECT_EQ (slot->getFileInfo().channelCount, 2);
    EXPECT_EQ (slot->getFileInfo().sampleCount, 192000);
    EXPECT_EQ (slot->getFileInfo().fileSize, slot->getFile().getSize());
    EXPECT_EQ (slot->getRange(), juce::Range<juce::int64> (0, 192000));
    EXPECT_TRUE (slot->isDubkickMode());
    EXPECT_EQ (slot->getBpm(), 0);
    EXPECT_EQ (slot->getGainDb(), 0.0f);
    EXPECT_FALSE (slot->isLoop());

    WyxSlotFileInfo onDisk;
    ASSERT_TRUE (readWavFileInfo (slot->getFile(), onDisk));
    EXPECT_EQ (onDisk.sampleCount, 192000);
}

TEST (SlotImport, SameNameTwiceInOneFolderIsNumbered)
{
    ScratchFolder folder;
    auto first = slotIn (folder.get());
    auto second = slotIn (folder.get());

    ASSERT_TRUE (importSynthetic (*first, folder.child ("Kick.wav")));
    ASSERT_TRUE (importSynthetic (*second, folder.child ("Kick.wav")));

    EXPECT_EQ (first->getFile().getFileName(), "Kick.wav");
    EXPECT_EQ (second->getFile().getFileName(), "Kick(2).wav");
    EXPECT_EQ (second->getName(), "Kick");
    EXPECT_EQ (second->getDisplayFileName(), "Kick.wav");
}

TEST (SlotImport, ImportingAgainIntoTheSameSlotReusesTheFreedName)
{
    ScratchFolder folder;
    auto slot = slotIn (folder.get());

    ASSERT_TRUE (importSynthetic (*slot, folder.child ("Kick.wav")));
    ASSERT_TRUE (importSynthetic (*slot, folder.child ("Kick.wav"), 48000, 9600));

    EXPECT_EQ (wavNamesIn (getSamplesFolder (folder.get())), juce::StringArray{"Kick.wav"});
    EXPECT_EQ (slot->getFileInfo().sampleCount, 19200);
}

// The old sample stays until the new one is complete: a failed conversion changes nothing.
TEST (SlotImport, FailedConversionKeepsTheOldSample)
{
    ScratchFolder folder;
    auto slot = slotIn (folder.get());
    ASSERT_TRUE (importSynthetic (*slot, folder.child ("Old.wav")));
    slot->setName ("old");
    slot->setDubkickMode (true);
    slot->setRange ({10, 20});
    const auto oldWav = slot->getFile();
    const auto oldBytes = oldWav.loadFileAsString();

    for (const auto& [rate, length] : {std::pair{0, 4800}, std::pair{48000, 0}})
    {
        SCOPED_TRACE (juce::String (rate) + " Hz, " + juce::String (length) + " frames");
        EXPECT_FALSE (importSynthetic (*slot, folder.child ("New.wav"), rate, length));
        EXPECT_EQ (slot->getName(), "old");
        EXPECT_EQ (slot->getFile(), oldWav);
        EXPECT_EQ (slot->getRange(), juce::Range<juce::int64> (10, 20));
        EXPECT_TRUE (slot->isDubkickMode());
        EXPECT_EQ (oldWav.loadFileAsString(), oldBytes);
        EXPECT_EQ (wavNamesIn (getSamplesFolder (folder.get())), juce::StringArray{"Old.wav"});
        EXPECT_EQ (getSamplesFolder (folder.get()).getNumberOfChildFiles (juce::File::findFiles, "*"), 1);
    }

    std::unique_ptr<OpenedAudioFile> none;
    EXPECT_FALSE (slot->importFromReader (none, folder.child ("x.wav"), {}, false));
    EXPECT_EQ (slot->getFile(), oldWav);
}

TEST (SlotImport, UnreadableFileIsRefusedAndLeavesInfoAlone)
{
    ScratchFolder folder;
    auto slot = slotIn (folder.get());
    const auto junk = folder.child ("junk.wav");
    junk.replaceWithText ("this is no audio");

    AudioFileInfo info;
    info.sampleRate = 123.0;
    EXPECT_FALSE (slot->importAudioFile (junk, &info, false));
    EXPECT_EQ (info.sampleRate, 123.0);
    EXPECT_EQ (slot->getFile(), juce::File());
}

TEST (SlotImport, RealWavFileIsConvertedThroughTheReaders)
{
    ScratchFolder folder;
    const auto source = writeWav (folder.child ("in/Snare (4).wav"), 4800, 48000);
    auto slot = slotIn (folder.get());

    AudioFileInfo info;
    ASSERT_TRUE (slot->importAudioFile (source, &info, false));
    EXPECT_EQ (info.sampleRate, 48000.0);
    EXPECT_EQ (info.lengthInSamples, 4800);
    EXPECT_EQ (slot->getName(), "Snare");
    EXPECT_EQ (slot->getFileInfo().sampleCount, 9600);
    EXPECT_TRUE (source.existsAsFile());
}

TEST (SlotImport, CopyOnlyCopiesTheWavUnchangedAndReleasesTheReader)
{
    ScratchFolder folder;
    const auto source = writeWav (folder.child ("a/samples/Kick(2).wav"), 4800, 48000);
    auto slot = slotIn (folder.child ("b"));

    ASSERT_TRUE (slot->importAudioFile (source, nullptr, true));
    EXPECT_EQ (slot->getFile(), getSamplesFolder (folder.child ("b")).getChildFile ("Kick.wav"));
    EXPECT_EQ (slot->getFileInfo().sampleCount, 4800);
    EXPECT_EQ (slot->getFileInfo().sampleRate, 48000.0);
    EXPECT_TRUE (slot->getFile().hasIdenticalContentTo (source));
}

TEST (SlotImport, DecomposedNamesBecomeComposedAndStillCopy)
{
    ScratchFolder folder;
    const auto decomposed = juce::String::fromUTF8 ("Cafe\xcc\x81.wav");
    const auto composed = juce::String::fromUTF8 ("Caf\xc3\xa9");
    const auto source = writeWav (folder.child ("in").getChildFile (decomposed), 4800, 48000);

    auto converted = slotIn (folder.child ("c"));
    ASSERT_TRUE (converted->importAudioFile (source, nullptr, false));
    EXPECT_EQ (converted->getName(), composed);
    EXPECT_EQ (converted->getDisplayFileName(), composed + ".wav");
    EXPECT_EQ (converted->getOriginalFileName(), composed + ".wav");

    // A WAV of the program's whose name is decomposed on disk still copies.
    auto stored = createSlot();
    auto object = new juce::DynamicObject();
    object->setProperty ("file_name", decomposed);
    writeWav (getSamplesFolder (folder.child ("d")).getChildFile (decomposed), 100);
    stored->fromVar (juce::var (object), folder.child ("d"));
    ASSERT_TRUE (stored->getFile().existsAsFile());

    auto copy = stored->clone (folder.child ("e"));
    ASSERT_NE (copy, nullptr);
    EXPECT_TRUE (copy->getFile().existsAsFile());
}

TEST (SlotImport, SlotWithoutFolderRefusesAndChangesNothing)
{
    auto slot = createSlot();
    ScratchFolder folder;
    EXPECT_FALSE (importSynthetic (*slot, folder.child ("Kick.wav")));
    EXPECT_EQ (slot->getFile(), juce::File());
}
} // namespace
