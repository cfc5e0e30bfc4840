#include "vantor/dataset/WyxSlotImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/DataSetTestHelpers.h"
#include "vantor/dataset/SlotJsonKeys.h"

namespace
{
using namespace vantor::dataset;
using glorvak::test::ScratchFolder;
using glorvak::test::writeWav;

// A slot object naming a WAV of the given length in the folder's samples folder.
juce::var slotObjectWithWav (const juce::File& folder, const juce::String& fileName, int frames)
{
    writeWav (getBareChildFile (getSamplesFolder (folder), fileName), frames);
    auto* object = new juce::DynamicObject();
    object->setProperty (slotkeys::fileName, fileName);
    return juce::var (object);
}

//==============================================================================
// The same limits hold whether a value comes through a setter or from a file.
struct LimitCase
{
    const char* name;
    int bpm;
    double gain;
    juce::int64 start, end;
    int expectedBpm;
    float expectedGain;
    juce::int64 expectedStart, expectedEnd;
};

const LimitCase limitCases[] = {
    {"all within limits", 12000, -2.3, 10, 500, 12000, -2.3f, 10, 500},
    {"bpm zero means not set", 0, 0.0, 0, 1000, 0, 0.0f, 0, 1000},
    {"negative bpm means not set", -5, 0.0, 0, 0, 0, 0.0f, 0, 0},
    {"bpm 1 rises to 40.00", 1, 0.0, 0, 0, 4000, 0.0f, 0, 0},
    {"bpm 150 rises to 40.00", 150, 0.0, 0, 0, 4000, 0.0f, 0, 0},
    {"bpm above 999.99", 100000, 0.0, 0, 0, 99999, 0.0f, 0, 0},
    {"gain above +9", 0, 12.0, 0, 0, 0, 9.0f, 0, 0},
    {"gain 20", 0, 20.0, 0, 0, 0, 9.0f, 0, 0},
    {"gain below -18", 0, -30.0, 0, 0, 0, -18.0f, 0, 0},
    {"negative start", 0, 0.0, -10, 500, 0, 0.0f, 0, 500},
    {"end before start", 0, 0.0, 800, 200, 0, 0.0f, 800, 800},
    {"end beyond the file", 0, 0.0, 10, 5000, 0, 0.0f, 10, 1000},
    {"start beyond the file", 0, 0.0, 2000, 3000, 0, 0.0f, 2000, 2000},
};

TEST (WyxSlotLimits, SettersAndFileReadingApplyTheSameLimits)
{
    ScratchFolder folder;
    const auto withWav = slotObjectWithWav (folder.get(), "Take.wav", 1000);

    for (const auto& c : limitCases)
    {
        SCOPED_TRACE (c.name);

        auto written = createSlot();
        written->fromVar (withWav, folder.get());
        written->setBpm (c.bpm);
        written->setGainDb ((float)c.gain);
        written->setRange ({c.start, std::max (c.start, c.end)});

        auto object = withWav.getDynamicObject()->clone();
        object->setProperty (slotkeys::bpm, c.bpm);
        object->setProperty (slotkeys::gain, c.gain);
        object->setProperty (slotkeys::startSample, c.start);
        object->setProperty (slotkeys::endSample, c.end);
        auto read = createSlot();
        read->fromVar (juce::var (object.get()), folder.get());

        for (auto* slot : {written.get(), read.get()})
        {
            EXPECT_EQ (slot->getBpm(), c.expectedBpm);
            EXPECT_FLOAT_EQ (slot->getGainDb(), c.expectedGain);
            EXPECT_EQ (slot->getRange().getStart(), c.expectedStart);
            EXPECT_EQ (slot->getRange().getEnd(), c.expectedEnd);
        }
    }
}

TEST (WyxSlotLimits, AnEmptySlotKeepsItsRangeAtItsStart)
{
    auto slot = createSlot();
    slot->setRange ({100, 200});
    EXPECT_EQ (slot->getRange(), juce::Range<juce::int64> (100, 100));
    EXPECT_EQ (slot->getTimeLength(), 0.0);
    EXPECT_EQ (slot->getBeatLength(), 0.0f);
}

TEST (WyxSlotLimits, NamesAreStoredWhole)
{
    auto slot = createSlot();
    const auto longName = juce::String::repeatedString ("x", 200) + "  ";
    slot->setName (longName);
    EXPECT_EQ (slot->getName(), longName);
}

TEST (WyxSlotLengths, BeatLengthFollowsRangeRateAndBpm)
{
    ScratchFolder folder;
    auto slot = createSlot();
    slot->fromVar (slotObjectWithWav (folder.get(), "Beat.wav", 192000), folder.get());
    slot->setRange ({0, 192000});
    slot->setBpm (12000);

    EXPECT_DOUBLE_EQ (slot->getTimeLength(), 2.0);
    EXPECT_FLOAT_EQ (slot->getBeatLength(), 4.0f);
}

//==============================================================================
TEST (WyxSlotJson, EmptySlotWritesSixteenKeysInOrder)
{
    auto slot = createSlot();
    const auto object = slot->toVar (2);

    const juce::StringArray expected{
        "file_size",       "bpm",         "sample_num", "start_sample",      "end_sample",
        "time_length",     "beat_length", "gain",       "channel_num",       "is_loop",
        "is_dubkick_mode", "slot_number", "file_name",  "display_file_name", "original_file_name",
        "slot_name"};
    EXPECT_EQ (glorvak::test::keysOf (object), expected);
    EXPECT_EQ ((int)object[slotkeys::slotNumber], 2);
    EXPECT_EQ ((int)object[slotkeys::fileSize], 0);
    EXPECT_EQ (object[slotkeys::fileName].toString(), "");

    ScratchFolder folder;
    auto read = createSlot();
    read->fromVar (juce::JSON::parse (juce::JSON::toString (object)), folder.get());
    EXPECT_EQ (read->getFile(), juce::File());
    EXPECT_EQ (read->toVar (2).getDynamicObject()->getProperties().size(), 16);
}

TEST (WyxSlotJson, FullSlotSurvivesTheTextRoundTrip)
{
    ScratchFolder folder;
    auto slot = createSlot();
    slot->fromVar (slotObjectWithWav (folder.get(), "Loop.wav", 48000), folder.get());
    slot->setName (juce::String::fromUTF8 ("Caf\xc3\xa9 loop"));
    slot->setBpm (12345);
    slot->setRange ({100, 40000});
    slot->setGainDb (-2.3f);
    slot->setLoop (true);
    slot->setDubkickMode (true);

    const auto text = juce::JSON::toString (slot->toVar (1), false, 15);
    auto read = createSlot();
    read->fromVar (juce::JSON::parse (text), folder.get());

    EXPECT_EQ (read->getName(), slot->getName());
    EXPECT_EQ (read->getBpm(), 12345);
    EXPECT_EQ (read->getRange(), juce::Range<juce::int64> (100, 40000));
    EXPECT_EQ (read->getGainDb(), -2.3f); // the float survives its widening to double exactly
    EXPECT_TRUE (read->isLoop());
    EXPECT_TRUE (read->isDubkickMode());
    EXPECT_EQ (read->getFile(), slot->getFile());
    EXPECT_EQ (read->getDisplayFileName(), "Loop.wav");
    EXPECT_EQ (read->getFileInfo().sampleCount, 48000);
    EXPECT_EQ (read->getFileInfo().channelCount, 2);
    EXPECT_EQ (read->getFileInfo().sampleRate, 96000.0);
    EXPECT_EQ (read->getFileInfo().fileSize, slot->getFile().getSize());
}

TEST (WyxSlotJson, ReadsValuesOfOtherTypesAsJuceConvertsThem)
{
    ScratchFolder folder;
    const auto object = juce::JSON::parse (R"({"bpm": "12000", "is_loop": true, "is_dubkick_mode": "0",
                                              "file_name": "Gone.wav", "slot_name": 5})");
    auto slot = createSlot();
    slot->fromVar (object, folder.get());

    EXPECT_EQ (slot->getBpm(), 12000);
    EXPECT_TRUE (slot->isLoop());
    EXPECT_FALSE (slot->isDubkickMode());
    EXPECT_EQ (slot->getName(), "5");
    EXPECT_EQ (slot->getDisplayFileName(), "Gone.wav");
    EXPECT_EQ (slot->getOriginalFileName(), "Gone.wav");
}

TEST (WyxSlotJson, MissingWavKeepsItsNameWithZeroInformation)
{
    ScratchFolder folder;
    auto slot = createSlot();
    slot->fromVar (juce::JSON::parse (R"({"file_name": "Gone.wav", "sample_num": 500, "file_size": 9})"),
                   folder.get());

    EXPECT_EQ (slot->getFile(), getSamplesFolder (folder.get()).getChildFile ("Gone.wav"));
    const auto written = slot->toVar (0);
    EXPECT_EQ (written[slotkeys::fileName].toString(), "Gone.wav");
    EXPECT_EQ ((int)written[slotkeys::fileSize], 0);
    EXPECT_EQ ((int)written[slotkeys::sampleNum], 0);
    EXPECT_EQ ((int)written[slotkeys::channelNum], 0);
}

// Data written on a case-insensitive system may name its WAV in another case than the disk holds:
// the SLOT finds it, and the next save stores the disk's name.
TEST (WyxSlotJson, NameInAnotherLetterCaseFindsTheWavOnDisk)
{
    ScratchFolder folder;
    const auto samples = getSamplesFolder (folder.get());
    writeWav (samples.getChildFile ("Kick.wav"), 300);
    writeWav (samples.getChildFile ("snare.wav"), 200);
    writeWav (samples.getChildFile ("SNARE.wav"), 100);

    struct Case
    {
        const char* stored;
        const char* found; // empty: missing
        int frames;
    };

    for (const auto& c :
         {Case{"kick.WAV", "Kick.wav", 300}, Case{"Kick.wav", "Kick.wav", 300},
          Case{"snare.wav", "snare.wav", 200}, Case{"Snare.wav", "SNARE.wav", 100}, Case{"kick2.wav", "", 0}})
    {
        SCOPED_TRACE (c.stored);
        auto slot = createSlot();
        auto* object = new juce::DynamicObject();
        object->setProperty (slotkeys::fileName, juce::String (c.stored));
        slot->fromVar (juce::var (object), folder.get());

        const juce::String expectedName (*c.found != 0 ? c.found : c.stored);
        EXPECT_EQ (slot->getFile(), samples.getChildFile (expectedName));
        EXPECT_EQ (slot->getFileInfo().sampleCount, c.frames);
        EXPECT_EQ (slot->toVar (0)[slotkeys::fileName].toString(), expectedName);
    }
}

TEST (WyxSlotJson, ObjectsOfTheWrongTypeGiveAnEmptySlotWithItsFolder)
{
    ScratchFolder folder;

    for (const auto& value :
         {juce::var(), juce::var (3), juce::var ("text"), juce::var (juce::Array<juce::var>())})
    {
        auto slot = createSlot();
        slot->setName ("before");
        EXPECT_EQ (slot->fromVar (value, folder.get()), juce::String());
        EXPECT_EQ (slot->getName(), "");
        EXPECT_EQ (slot->getFile(), juce::File());
    }
}

//==============================================================================
// A stored name is used only as a bare name inside the samples folder; nothing elsewhere is ever
// deleted or copied because a file said so.
TEST (WyxSlotJson, NamesThatLeaveTheSamplesFolderAreRefused)
{
    ScratchFolder folder;
    const auto victim = writeWav (folder.child ("victim.wav"), 100);
    const auto homeVictim = writeWav (
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("victim.wav"), 100);

    const char* hostile[] = {
        "../victim.wav",  "..",           ".", "/etc/passwd", "samples/../../victim.wav", "sub/victim.wav",
        "..\\victim.wav", "~/victim.wav", ""};

    for (const auto* name : hostile)
    {
        SCOPED_TRACE (name);
        auto object = new juce::DynamicObject();
        object->setProperty (slotkeys::fileName, juce::String (name));
        object->setProperty (slotkeys::slotName, "kept");

        auto slot = createSlot();
        slot->fromVar (juce::var (object), folder.get());
        EXPECT_EQ (slot->getFile(), juce::File());
        EXPECT_EQ (slot->getName(), "kept");

        auto copy = slot->clone (folder.child ("elsewhere"));
        ASSERT_NE (copy, nullptr);
        EXPECT_EQ (copy->getFile(), juce::File());

        slot->clear();
        EXPECT_TRUE (victim.existsAsFile());
        EXPECT_TRUE (homeVictim.existsAsFile());
    }

    homeVictim.deleteFile();
}

TEST (WyxSlotJson, UnusualButBareNamesAreAccepted)
{
    ScratchFolder folder;

    for (const auto* name : {"~tilde.wav", "~root", "~", "..dots.wav", "a b (2).wav"})
    {
        SCOPED_TRACE (name);
        auto slot = createSlot();
        slot->fromVar (slotObjectWithWav (folder.get(), name, 64), folder.get());
        EXPECT_EQ (slot->getFile().getParentDirectory(), getSamplesFolder (folder.get()));
        EXPECT_EQ (slot->getFile().getFileName(), juce::String (name));
        EXPECT_EQ (slot->getFileInfo().sampleCount, 64);
    }
}

//==============================================================================
TEST (WyxSlotCopy, SlotWithoutFileDeletesTheTargetsWavAndTakesTheValues)
{
    ScratchFolder folder;
    auto target = createSlot();
    target->fromVar (slotObjectWithWav (folder.get(), "Old.wav", 100), folder.get());
    const auto oldWav = target->getFile();

    auto source = createSlot();
    source->setName ("No file");
    source->setBpm (9000);
    source->setGainDb (3.0f);
    source->setLoop (true);
    source->setDubkickMode (true);

    ASSERT_TRUE (target->copyFrom (source.get()));
    EXPECT_FALSE (oldWav.exists());
    EXPECT_EQ (target->getFile(), juce::File());
    EXPECT_EQ (target->getName(), "No file");
    EXPECT_EQ (target->getBpm(), 9000);
    EXPECT_EQ (target->getGainDb(), 3.0f);
    EXPECT_TRUE (target->isLoop());
    EXPECT_TRUE (target->isDubkickMode());
}

TEST (WyxSlotCopy, CopiesTheWavUnderAUniqueNameAndDerivesTheDisplayName)
{
    ScratchFolder folder;
    auto source = createSlot();
    source->fromVar (slotObjectWithWav (folder.child ("a"), "Kick(2).wav", 300), folder.child ("a"));
    source->setRange ({10, 200});

    auto copy = source->clone (folder.child ("b"));
    ASSERT_NE (copy, nullptr);
    EXPECT_EQ (copy->getFile(), getSamplesFolder (folder.child ("b")).getChildFile ("Kick.wav"));
    EXPECT_EQ (copy->getDisplayFileName(), "Kick.wav");
    EXPECT_EQ (copy->getOriginalFileName(), "Kick(2).wav");
    EXPECT_EQ (copy->getRange(), juce::Range<juce::int64> (10, 200));
    EXPECT_EQ (copy->getFileInfo().sampleCount, 300);
    EXPECT_TRUE (source->getFile().existsAsFile());

    auto second = source->clone (folder.child ("b"));
    ASSERT_NE (second, nullptr);
    EXPECT_EQ (second->getFile().getFileName(), "Kick(2).wav");
}

TEST (WyxSlotCopy, FailedCopyLeavesTheTargetAsItWas)
{
    ScratchFolder folder;
    auto target = createSlot();
    target->fromVar (slotObjectWithWav (folder.get(), "Mine.wav", 100), folder.get());
    target->setName ("mine");

    auto source = createSlot();
    source->fromVar (slotObjectWithWav (folder.child ("other"), "Lost.wav", 100), folder.child ("other"));
    source->getFile().deleteFile();

    EXPECT_FALSE (target->copyFrom (source.get()));
    EXPECT_FALSE (target->copyFrom (nullptr));
    EXPECT_EQ (target->getName(), "mine");
    EXPECT_TRUE (target->getFile().existsAsFile());
    EXPECT_EQ (glorvak::test::wavNamesIn (getSamplesFolder (folder.get())), juce::StringArray{"Mine.wav"});
}

TEST (WyxSlotCopy, CopyOfItselfKeepsOneWav)
{
    ScratchFolder folder;
    auto slot = createSlot();
    slot->fromVar (slotObjectWithWav (folder.get(), "Self.wav", 100), folder.get());

    ASSERT_TRUE (slot->copyFrom (slot.get()));
    EXPECT_TRUE (slot->getFile().existsAsFile());
    EXPECT_EQ (glorvak::test::wavNamesIn (getSamplesFolder (folder.get())).size(), 1);
}

TEST (WyxSlotCopy, TemporaryCopyTakesItsWavWithItAndModelSlotsDoNot)
{
    ScratchFolder folder;
    auto slot = createSlot();
    slot->fromVar (slotObjectWithWav (folder.get(), "Clip.wav", 100), folder.get());

    auto temporary = slot->cloneToTemp();
    ASSERT_NE (temporary, nullptr);
    const auto temporaryWav = temporary->getFile();
    EXPECT_TRUE (temporaryWav.isAChildOf (common::AppInfo::getTempFolder()));
    EXPECT_TRUE (temporaryWav.existsAsFile());

    temporary = nullptr;
    EXPECT_FALSE (temporaryWav.exists());

    const auto modelWav = slot->getFile();
    slot = nullptr;
    EXPECT_TRUE (modelWav.existsAsFile());
}

TEST (WyxSlotFiles, ClearDeletesTheWavAndKeepsTheFolderResetKeepsTheWav)
{
    ScratchFolder folder;
    auto slot = createSlot();
    slot->fromVar (slotObjectWithWav (folder.get(), "A.wav", 100), folder.get());
    const auto wav = slot->getFile();

    slot->reset();
    EXPECT_TRUE (wav.existsAsFile());
    EXPECT_EQ (slot->getFile(), juce::File());

    slot->fromVar (slotObjectWithWav (folder.get(), "A.wav", 100), folder.get());
    slot->clear();
    EXPECT_FALSE (wav.exists());

    // The folder survived clear: a copy lands in it.
    auto source = createSlot();
    source->fromVar (slotObjectWithWav (folder.child ("x"), "B.wav", 100), folder.child ("x"));
    ASSERT_TRUE (slot->copyFrom (source.get()));
    EXPECT_EQ (slot->getFile().getParentDirectory(), getSamplesFolder (folder.get()));
}

TEST (WyxSlotFiles, EverySetterBroadcasts)
{
    auto slot = createSlot();
    int changes = 0;
    struct Counter : juce::ChangeListener
    {
        int& count;
        explicit Counter (int& c)
            : count (c)
        {
        }
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    } counter (changes);
    slot->addChangeListener (&counter);

    const std::function<void()> setters[] = {
        [&] { slot->setName (""); },    [&] { slot->setBpm (0); },
        [&] { slot->setRange ({}); },   [&] { slot->setGainDb (0.0f); },
        [&] { slot->setLoop (false); }, [&] { slot->setDubkickMode (false); }};

    for (const auto& set : setters)
    {
        const auto before = changes;
        set();
        EXPECT_TRUE (glorvak::test::pumpMessagesUntil ([&] { return changes > before; }));
    }

    slot->removeChangeListener (&counter);
}

//==============================================================================
struct SplitCase
{
    const char* input;
    const char* base;
    const char* extension;
};

const SplitCase splitCases[] = {
    {"Kick (2).wav", "Kick", ".wav"},
    {"Kick(2)(3).aif", "Kick(2)", ".aif"},
    {"Loop.final.flac", "Loop.final", ".flac"},
    {"Take (live).mp3", "Take (live)", ".mp3"},
    {"README", "README", ""},
    {"(3).wav", "(3)", ".wav"},
    {"Kick (12).mp3", "Kick", ".mp3"},
    {"Take(123456789012345).wav", "Take", ".wav"},
    {"Odd.", "Odd", ""},
    {"  Pad  (7).wav", "Pad", ".wav"},
    {"  Pad  .wav", "  Pad  ", ".wav"},
};

TEST (SplitFileName, SplitsExtensionAndDropsATrailingNumber)
{
    for (const auto& c : splitCases)
    {
        SCOPED_TRACE (c.input);
        const auto split = splitFileName (c.input);
        EXPECT_EQ (split.base, juce::String (c.base));
        EXPECT_EQ (split.extension, juce::String (c.extension));
    }
}
} // namespace
