#include "vantor/service/ServiceFixture.h"

#include "vantor/service/BpmMath.h"

#include <limits>

namespace
{
using namespace glorvak::test;
using vantor::service::BpmMath;
using vantor::service::ISendErrorMessage;

constexpr int error = ISendErrorMessage::error;
constexpr int notice = ISendErrorMessage::notice;

//==============================================================================
// A SLOT whose reader reports what a test asks for, so lengths of half an hour need no such file.
// Everything else is the model's own SLOT.
class ReaderStubSlot : public WyxSlot
{
public:
    ReaderStubSlot (WyxSlot::Ptr realSlot, double rate, juce::int64 frames, bool opens)
        : inner (std::move (realSlot))
        , reportedRate (rate)
        , reportedFrames (frames)
        , readerOpens (opens)
    {
    }

    std::unique_ptr<common::AudioFileTools::OpenedAudioFile>
    createReader (const juce::File&, common::AudioFileTools::AudioFileInfo* info) override
    {
        if (!readerOpens)
            return nullptr;

        *info = syntheticInfo (reportedRate, reportedFrames);
        return openSynthetic (juce::jmax (1, (int)reportedRate), 10);
    }

    // The import itself is the real one, over a short stand-in of the reported audio.
    bool importFromReader (std::unique_ptr<common::AudioFileTools::OpenedAudioFile>& reader,
                           const juce::File& source, const common::AudioFileTools::AudioFileInfo&,
                           bool copyOnly) override
    {
        ++imports;
        reader = openSynthetic (96000, 4800);
        return inner->importFromReader (reader, source, syntheticInfo (96000, 4800), copyOnly);
    }

    juce::String getName() const override { return inner->getName(); }
    void setName (const juce::String& name) override { inner->setName (name); }
    int getBpm() const override { return inner->getBpm(); }
    void setBpm (int bpm) override { inner->setBpm (bpm); }
    juce::Range<juce::int64> getRange() const override { return inner->getRange(); }
    void setRange (const juce::Range<juce::int64>& range) override { inner->setRange (range); }
    double getTimeLength() const override { return inner->getTimeLength(); }
    float getBeatLength() const override { return inner->getBeatLength(); }
    float getGainDb() const override { return inner->getGainDb(); }
    void setGainDb (float db) override { inner->setGainDb (db); }
    bool isLoop() const override { return inner->isLoop(); }
    void setLoop (bool loop) override { inner->setLoop (loop); }
    bool isDubkickMode() const override { return inner->isDubkickMode(); }
    void setDubkickMode (bool on) override { inner->setDubkickMode (on); }
    juce::File getFile() const override { return inner->getFile(); }
    juce::String getDisplayFileName() const override { return inner->getDisplayFileName(); }
    juce::String getOriginalFileName() const override { return inner->getOriginalFileName(); }
    const vantor::dataset::WyxSlotFileInfo& getFileInfo() const override { return inner->getFileInfo(); }
    bool importAudioFile (const juce::File& source, common::AudioFileTools::AudioFileInfo* info,
                          bool copyOnly) override
    {
        return inner->importAudioFile (source, info, copyOnly);
    }
    bool copyFrom (const WyxSlot* other) override { return inner->copyFrom (other); }
    Ptr clone (const juce::File& folder) const override { return inner->clone (folder); }
    Ptr cloneToTemp() const override { return inner->cloneToTemp(); }
    void reset() override { inner->reset(); }
    void clear() override { inner->clear(); }
    void setFolder (const juce::File& folder) override { inner->setFolder (folder); }
    juce::String fromVar (const juce::var& object, const juce::File& folder) override
    {
        return inner->fromVar (object, folder);
    }
    juce::var toVar (int slotNumber) const override { return inner->toVar (slotNumber); }

    WyxSlot::Ptr inner;
    double reportedRate;
    juce::int64 reportedFrames;
    bool readerOpens;
    int imports = 0;
};

// Puts a stub in place of a model SLOT for one test and the real SLOT back afterwards.
class ScopedReaderStub
{
public:
    ScopedReaderStub (WyxBank& bankToUse, int index, double rate, juce::int64 frames, bool opens = true)
        : bank (bankToUse)
        , slotIndex (index)
        , original (bank.getSlotList().slots[index])
    {
        stub = new ReaderStubSlot (original, rate, frames, opens);
        bank.getSlotList().slots.set (slotIndex, stub.get());
    }

    ~ScopedReaderStub() { bank.getSlotList().slots.set (slotIndex, original); }

    WyxBank& bank;
    int slotIndex;
    WyxSlot::Ptr original;
    juce::ReferenceCountedObjectPtr<ReaderStubSlot> stub;
};

using VantorServiceSlots = ServiceFixture;

//==============================================================================
TEST_F (VantorServiceSlots, AssignAudioKeepsTheLengthLimits)
{
    struct Case
    {
        const char* what;
        double rate;
        juce::int64 frames;
        bool opens;
        bool expected;
        int code; // 0: no message
    };

    const Case cases[] = {
        {"exactly 1800 s", 8000, 8000 * 1800, true, true, 0},
        {"1800.001 s", 8000, 8000 * 1800 + 8, true, false, MessageCode::audioTooLong},
        {"exactly 0.01 s", 48000, 480, true, true, 0},
        {"0.009 s", 48000, 432, true, false, MessageCode::audioTooShort},
        {"a reader without a sample rate", 0, 480, true, false, 0},
        {"no reader opens the file", 48000, 48000, false, false, 0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ScopedReaderStub stub (modelBank (0), 1, c.rate, c.frames, c.opens);

        EXPECT_EQ (service->assignAudio (1, sources.child ("drop.wav")), c.expected);
        EXPECT_EQ (stub.stub->imports, c.expected ? 1 : 0);

        if (c.code != 0)
            expectOneMessage (c.code, error);
        else
            expectNoMessage();
    }
}

TEST_F (VantorServiceSlots, AssignAudioFillsEveryViewAndCutsLongNames)
{
    const auto longName = juce::String::repeatedString ("n", 60);
    const auto exactName = juce::String::repeatedString ("e", 50);

    struct Case
    {
        juce::String fileName;
        int slotIndex;
        juce::String expectedName;
        bool notice;
    };

    const Case cases[] = {
        {longName, 0, juce::String::repeatedString ("n", 50), true},
        {exactName, 3, exactName, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.slotIndex);
        const auto file = writeWav (sources.child (c.fileName + ".wav"), 4800, 48000); // 0.1 s
        modelSlot (0, c.slotIndex).setLoop (true);

        ASSERT_TRUE (service->assignAudio (c.slotIndex, file));

        if (c.notice)
            expectOneMessage (MessageCode::textTruncated, notice);
        else
            expectNoMessage();

        const auto& slot = modelSlot (0, c.slotIndex);
        EXPECT_EQ (slot.getName(), c.expectedName);
        EXPECT_FALSE (slot.isLoop()); // the import starts one-shot
        EXPECT_TRUE (slot.getFile().existsAsFile());

        const auto& row = slots->getRow (c.slotIndex);
        EXPECT_TRUE (row.hasAudio);
        EXPECT_EQ (row.name, c.expectedName);
        EXPECT_NEAR (row.lengthSeconds, 0.1, 1.0e-9);
        EXPECT_EQ (pads->getPad (c.slotIndex).audioFile, slot.getFile());
        EXPECT_NEAR (pads->getPad (c.slotIndex).endSeconds, 0.1, 1.0e-9);
        EXPECT_EQ (slots->getSelectedSlot(), c.slotIndex);
        EXPECT_EQ (detail->getState().slotIndex, c.slotIndex);
        EXPECT_EQ (detail->getState().audioFile, slot.getFile());
        EXPECT_TRUE (detailRecorder.audioFileChanged);
    }

    EXPECT_NEAR (banks->getRow (0).totalSeconds, 0.2, 1.0e-9);
}

TEST_F (VantorServiceSlots, OnlyTheLastTwoSlotsMayLoop)
{
    for (int i = 0; i < 4; ++i)
        fillSlot (0, i, 0.5, "s" + juce::String (i));

    ASSERT_TRUE (service->selectSlot (3));

    EXPECT_FALSE (service->setSlotLoop (1, true));
    EXPECT_FALSE (modelSlot (0, 1).isLoop());
    EXPECT_FALSE (slots->getRow (1).loop);

    EXPECT_TRUE (service->setLoop (true));
    EXPECT_TRUE (modelSlot (0, 3).isLoop());
    EXPECT_TRUE (slots->getRow (3).loop);
    EXPECT_TRUE (pads->getPad (3).loop);
    EXPECT_TRUE (detail->getState().loop);

    // The looping SLOT arriving at 0 becomes one-shot; the one arriving at 3 keeps its setting.
    auto* looping = &modelSlot (0, 3);
    EXPECT_TRUE (service->swapSlots (0, 3));
    EXPECT_EQ (&modelSlot (0, 0), looping);
    EXPECT_FALSE (looping->isLoop());
    EXPECT_FALSE (slots->getRow (0).loop);
    EXPECT_EQ (slots->getRow (0).name, "s3");
    EXPECT_EQ (slots->getRow (3).name, "s0");
    EXPECT_EQ (pads->getPad (0).audioFile, looping->getFile());
    EXPECT_EQ (slots->getSelectedSlot(), 3);

    EXPECT_FALSE (service->swapSlots (0, 4));
    EXPECT_FALSE (service->swapSlots (-1, 2));
    expectNoMessage();
}

TEST_F (VantorServiceSlots, BpmIsKeptWithinItsLimits)
{
    fillAndSelect (0, 0, 2.0, "loop");

    struct Case
    {
        int typed;
        int stored;
        double beats; // over the 2 s range
    };

    const Case cases[] = {
        {3999, 4000, 1.33}, {100000, 99999, 33.33}, {4005, 4005, 1.34}, {12000, 12000, 4.0}, {-5, 4000, 1.33},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.typed);
        EXPECT_TRUE (service->setBpm (c.typed));
        EXPECT_EQ (modelSlot (0, 0).getBpm(), c.stored);
        EXPECT_DOUBLE_EQ (detail->getState().bpm, c.stored / 100.0);
        EXPECT_DOUBLE_EQ (detail->getState().beats, c.beats);
    }

    expectNoMessage();
}

TEST_F (VantorServiceSlots, BeatsMoveTheEndOfTheRange)
{
    fillAndSelect (0, 0, 3.0, "groove", 12000);

    // 4 beats at 120 BPM: 2 s from the start.
    EXPECT_TRUE (service->setBeats (400, false));
    EXPECT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (0, 192000));
    EXPECT_DOUBLE_EQ (detail->getState().endSeconds, 2.0);
    EXPECT_DOUBLE_EQ (detail->getState().beats, 4.0);
    EXPECT_DOUBLE_EQ (slots->getRow (0).lengthSeconds, 2.0);
    EXPECT_DOUBLE_EQ (pads->getPad (0).endSeconds, 2.0);
    EXPECT_DOUBLE_EQ (banks->getRow (0).totalSeconds, 2.0);

    // 8 beats need 4 s; the file has 3: the end stops at the file and the beats follow.
    EXPECT_TRUE (service->setBeats (800, false));
    EXPECT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (0, 288000));
    EXPECT_DOUBLE_EQ (detail->getState().beats, 6.0);

    // No beats: an error only when they are required.
    EXPECT_FALSE (service->setBeats (0, true));
    expectOneMessage (MessageCode::beatsRequired, error);
    EXPECT_FALSE (service->setBeats (0, false));
    expectNoMessage();
    EXPECT_DOUBLE_EQ (detail->getState().beats, 0.0);
}

TEST_F (VantorServiceSlots, BeatsWithoutBpmShrinkTheRangeToTheMinimum)
{
    fillAndSelect (0, 0, 1.0, "nobpm");

    EXPECT_TRUE (service->setBeats (400, false));
    EXPECT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (0, 960));
    EXPECT_DOUBLE_EQ (detail->getState().beats, 0.0);
    EXPECT_DOUBLE_EQ (detail->getState().endSeconds, 0.01);
}

TEST_F (VantorServiceSlots, BeatsNearTheEndOfTheFileKeepTheMinimumLength)
{
    fillAndSelect (0, 0, 1.0, "late", 12000);
    ASSERT_TRUE (service->setStartTime (0.9995));
    ASSERT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (95040, 96000));

    EXPECT_TRUE (service->setBeats (1, false)); // 0.01 beats: 5 ms, below the minimum
    const auto range = modelSlot (0, 0).getRange();
    EXPECT_LE (range.getEnd(), 96000);
    EXPECT_EQ (range.getLength(), 960);
    EXPECT_DOUBLE_EQ (detail->getState().startSeconds, range.getStart() / 96000.0);
    EXPECT_DOUBLE_EQ (pads->getPad (0).startSeconds, range.getStart() / 96000.0);
}

TEST_F (VantorServiceSlots, RangeEditsKeepTheMinimumInsideTheFile)
{
    fillAndSelect (0, 0, 1.0, "edges", 12000);
    auto& slot = modelSlot (0, 0);
    constexpr auto nan = std::numeric_limits<double>::quiet_NaN();
    constexpr auto inf = std::numeric_limits<double>::infinity();

    struct Case
    {
        const char* what;
        std::function<bool()> edit;
        bool expected;
        juce::int64 start, end;
    };

    const Case cases[] = {
        {"start and end", [&] { return service->setTimeRange (0.25, 0.75); }, true, 24000, 72000},
        {"start within 500 frames of the end", [&] { return service->setStartTime (0.745); }, true, 71040,
         72000},
        {"end moved near the start", [&] { return service->setEndTime (0.7404); }, true, 71040, 72000},
        {"negative start refused", [&] { return service->setStartTime (-0.1); }, false, 71040, 72000},
        {"end beyond the file refused", [&] { return service->setEndTime (1.5); }, false, 71040, 72000},
        {"range beyond the file refused", [&] { return service->setTimeRange (0.2, 1.01); }, false, 71040,
         72000},
        {"start moved to the file's end", [&] { return service->setTimeRange (0.1, 0.2); }, true, 9600,
         19200},
        {"end near the file's end", [&] { return service->setTimeRange (0.9999, 0.9999); }, true, 95030,
         95990},
        {"reversed at the file's end", [&] { return service->setTimeRange (0.9995, 0.3); }, true, 95040,
         96000},
        {"end at the beginning", [&] { return service->setTimeRange (0.0, 0.0); }, true, 0, 960},
        {"end not a number refused", [&] { return service->setEndTime (nan); }, false, 0, 960},
        {"end infinitely far refused", [&] { return service->setEndTime (inf); }, false, 0, 960},
        {"end beyond every frame count refused", [&] { return service->setEndTime (1.0e300); }, false, 0,
         960},
        {"start infinitely far refused", [&] { return service->setStartTime (inf); }, false, 0, 960},
        {"start not a number refused", [&] { return service->setStartTime (nan); }, false, 0, 960},
        {"range to infinity refused", [&] { return service->setTimeRange (0.25, inf); }, false, 0, 960},
        {"range ending at not a number refused", [&] { return service->setTimeRange (0.25, nan); }, false, 0,
         960},
        {"range from not a number refused", [&] { return service->setTimeRange (nan, 0.5); }, false, 0, 960},
        {"range from minus infinity refused", [&] { return service->setTimeRange (-inf, 0.5); }, false, 0,
         960},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_EQ (c.edit(), c.expected);
        EXPECT_EQ (slot.getRange(), juce::Range<juce::int64> (c.start, c.end));
        EXPECT_LE (detail->getState().endSeconds, 1.0);
        EXPECT_NEAR (slots->getRow (0).lengthSeconds, (c.end - c.start) / 96000.0, 1.0e-4);
        EXPECT_NEAR (pads->getPad (0).startSeconds, c.start / 96000.0, 1.0e-4);
        EXPECT_NEAR (pads->getPad (0).endSeconds, c.end / 96000.0, 1.0e-4);
        EXPECT_NEAR (banks->getRow (0).totalSeconds, slot.getTimeLength(), 1.0e-4);
    }

    expectNoMessage();
}

// 0.29 * 96000 is 27839.999999999996 in double: the typed time names frame 27840 all the same, and
// the editor's 0.01 s steps, each made from the time shown, do not lose a frame now and then.
TEST_F (VantorServiceSlots, TypedAndSteppedTimesLandOnTheirFrames)
{
    fillAndSelect (0, 0, 12.0, "steps", 12000);
    auto& slot = modelSlot (0, 0);

    ASSERT_TRUE (service->setTimeRange (0.29, 0.58));
    EXPECT_EQ (slot.getRange(), juce::Range<juce::int64> (27840, 55680));
    ASSERT_TRUE (service->setEndTime (4.35));
    ASSERT_TRUE (service->setStartTime (2.3));
    EXPECT_EQ (slot.getRange(), juce::Range<juce::int64> (220800, 417600));

    for (int step = 0; step < 500; ++step)
        ASSERT_TRUE (service->setEndTime (detail->getState().endSeconds + 0.01));

    EXPECT_EQ (slot.getRange().getEnd(), 417600 + 500 * 960);

    for (int step = 0; step < 200; ++step)
        ASSERT_TRUE (service->setStartTime (detail->getState().startSeconds - 0.01));

    EXPECT_EQ (slot.getRange().getStart(), 220800 - 200 * 960);
}

TEST_F (VantorServiceSlots, CalculationModeLimitsTheBeatsAndComputesTheBpm)
{
    fillAndSelect (0, 0, 2.0, "calc", 12000);
    ASSERT_TRUE (service->setCalcBpmMode (true));

    // 1 beat over 2 s is 30 BPM: the beats shown imply 40 BPM at least; the SLOT is unchanged.
    EXPECT_TRUE (service->setBeats (100, false));
    EXPECT_DOUBLE_EQ (detail->getState().beats, 1.34);
    EXPECT_GE (BpmMath::calcBpmFromBeats (detail->getState().beats, 2.0), 40.0);
    EXPECT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (0, 192000));
    EXPECT_EQ (modelSlot (0, 0).getBpm(), 12000);

    EXPECT_TRUE (service->calculateBpm (400));
    EXPECT_EQ (detailRecorder.calculated, std::vector<double>{120.0});
    EXPECT_TRUE (service->calculateBpm (1));
    EXPECT_DOUBLE_EQ (detailRecorder.calculated.back(), 40.0);
    EXPECT_TRUE (service->calculateBpm (10000000));
    EXPECT_DOUBLE_EQ (detailRecorder.calculated.back(), 999.99);
    EXPECT_EQ (modelSlot (0, 0).getBpm(), 12000);

    EXPECT_FALSE (service->calculateBpm (0));
    expectOneMessage (MessageCode::beatsRequired, error);

    // 4 beats: a range of 0.2 s would be 1200 BPM, so the end stays 0.240 s after the start.
    ASSERT_TRUE (service->setBeats (400, false));
    EXPECT_TRUE (service->setEndTime (0.2));
    EXPECT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (0, 23040));

    ASSERT_TRUE (service->setCalcBpmMode (false));
    EXPECT_FALSE (service->calculateBpm (400));
    expectNoMessage();
}

TEST_F (VantorServiceSlots, LeavingTheCalculationModeRestoresTheBpmAndRangeSetLast)
{
    fillAndSelect (0, 0, 3.0, "restore", 12000);
    ASSERT_TRUE (service->setTimeRange (0.0, 2.0));

    ASSERT_TRUE (service->setCalcBpmMode (true));
    ASSERT_TRUE (service->setTimeRange (0.5, 2.5));
    ASSERT_TRUE (service->setBpm (9000)); // saves 90 BPM with the range 0.5..2.5
    ASSERT_TRUE (service->setTimeRange (1.0, 2.0));
    ASSERT_TRUE (service->setCalcBpmMode (false));

    EXPECT_EQ (modelSlot (0, 0).getBpm(), 9000);
    EXPECT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (48000, 240000));
    EXPECT_DOUBLE_EQ (detail->getState().bpm, 90.0);
    EXPECT_DOUBLE_EQ (detail->getState().beats, 3.0);
    EXPECT_DOUBLE_EQ (detail->getState().startSeconds, 0.5);
    EXPECT_DOUBLE_EQ (detail->getState().endSeconds, 2.5);
    EXPECT_DOUBLE_EQ (slots->getRow (0).lengthSeconds, 2.0);
    EXPECT_DOUBLE_EQ (pads->getPad (0).startSeconds, 0.5);
    EXPECT_DOUBLE_EQ (banks->getRow (0).totalSeconds, 2.0);

    // Without a new BPM, leaving goes back to what the SLOT had when the mode began.
    ASSERT_TRUE (service->setCalcBpmMode (true));
    ASSERT_TRUE (service->setTimeRange (0.0, 1.0));
    ASSERT_TRUE (service->setCalcBpmMode (false));
    EXPECT_EQ (modelSlot (0, 0).getRange(), juce::Range<juce::int64> (48000, 240000));
}

TEST_F (VantorServiceSlots, NewContentInTheSelectedSlotDropsTheSavedBpmState)
{
    struct Case
    {
        const char* what;
        std::function<bool (vantor::service::VantorService&)> replace;
        bool slotEmptyAfter;
    };

    const Case cases[] = {
        {"paste", [] (auto& s) { return s.copySlot (1) && s.pasteSlot (0); }, false},
        {"cut", [] (auto& s) { return s.cutSlot (0); }, true},
        {"clear", [] (auto& s) { return s.clearSlot (0); }, true},
        {"BANK paste", [] (auto& s) { return s.copyBank (2) && s.pasteBank (0, {}); }, false},
        {"BANK clear", [] (auto& s) { return s.clearBank (0); }, true},
        {"load from the collection",
         [] (auto& s) { return s.saveBankToCollection (2, -1, {}) && s.assignCollectionBank (0, 0, {}); },
         false},
        {"full refresh",
         [] (auto& s)
         {
             s.refreshAll (true);
             return true;
         },
         false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        fillSlot (0, 1, 1.0, "other", 9000);
        fillSlot (2, 0, 1.5, "theirs", 10000);
        fillAndSelect (0, 0, 3.0, "mine", 12000);

        ASSERT_TRUE (service->setCalcBpmMode (true));
        ASSERT_TRUE (service->setBpm (6000));
        ASSERT_TRUE (c.replace (*service));

        const auto bpmBefore = modelSlot (0, 0).getBpm();
        const auto rangeBefore = modelSlot (0, 0).getRange();
        ASSERT_TRUE (service->setCalcBpmMode (false));

        // Nothing of the old content comes back onto the new one.
        EXPECT_EQ (modelSlot (0, 0).getBpm(), bpmBefore);
        EXPECT_EQ (modelSlot (0, 0).getRange(), rangeBefore);
        EXPECT_EQ (modelSlot (0, 0).getFile() == juce::File(), c.slotEmptyAfter);
        expectNoMessage();
    }
}

TEST_F (VantorServiceSlots, GainIsLimitedAndReachesThePadAndTheDetail)
{
    fillSlot (0, 2, 0.5, "g");
    fillAndSelect (0, 1, 0.5, "h");

    const std::pair<float, float> cases[] = {{3.5f, 3.5f}, {12.0f, 9.0f}, {-30.0f, -18.0f}};

    for (const auto& [typed, expected] : cases)
    {
        EXPECT_TRUE (service->setGainDb (typed));
        EXPECT_FLOAT_EQ (modelSlot (0, 1).getGainDb(), expected);
        EXPECT_FLOAT_EQ (pads->getPad (1).gainDb, expected);
        EXPECT_FLOAT_EQ (detail->getState().gainDb, expected);
    }

    // Another pad's gain leaves the detail of the selected SLOT alone.
    EXPECT_TRUE (service->setSlotGainDb (2, -6.0f));
    EXPECT_FLOAT_EQ (pads->getPad (2).gainDb, -6.0f);
    EXPECT_FLOAT_EQ (detail->getState().gainDb, -18.0f);
    EXPECT_FALSE (service->setSlotGainDb (2, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE (service->setSlotGainDb (4, 0.0f));
}

TEST_F (VantorServiceSlots, RenameCutsAtFiftyCharacters)
{
    fillAndSelect (0, 2, 0.5, "short");

    const auto fifty =
        juce::String::repeatedString (juce::CharPointer_UTF8 ("\xc3\xa9"), 50); // é: two bytes each
    const auto fiftyOne = fifty + "x";

    EXPECT_TRUE (service->renameSlot (2, fifty));
    expectNoMessage();
    EXPECT_EQ (modelSlot (0, 2).getName(), fifty);

    EXPECT_TRUE (service->renameSlot (2, fiftyOne));
    expectOneMessage (MessageCode::textTruncated, notice);
    EXPECT_EQ (modelSlot (0, 2).getName(), fifty);
    EXPECT_EQ (slots->getRow (2).name, fifty);

    EXPECT_TRUE (service->renameSlot (2, {}));
    EXPECT_EQ (slots->getRow (2).name, juce::String());
    EXPECT_FALSE (service->renameSlot (4, "x"));
}

TEST_F (VantorServiceSlots, MissingCollaboratorsFailSilently)
{
    vantor::service::VantorService bare (vantor::dataset::createDataSet());

    EXPECT_FALSE (bare.assignAudio (0, sources.child ("none.wav")));
    EXPECT_FALSE (bare.setBpm (12000));
    EXPECT_FALSE (bare.setBeats (0, true));
    EXPECT_FALSE (bare.calculateBpm (0));
    EXPECT_FALSE (bare.setStartTime (0.1));
    EXPECT_FALSE (bare.selectSlot (0));
    EXPECT_FALSE (bare.copySlot (0));
    EXPECT_FALSE (bare.renameSlot (0, "x"));
    EXPECT_FALSE (bare.showExportDialog());
    expectNoMessage();

    // A selection of a missing SLOT, or of none at all.
    EXPECT_FALSE (service->selectSlot (4));
    EXPECT_FALSE (service->selectSlot (-1));
    EXPECT_FALSE (service->setStartTime (0.1)); // the selected SLOT holds no audio
    expectNoMessage();
}

TEST_F (VantorServiceSlots, ShowExportDialogCallsTheInjectedDialog)
{
    vantor::service::IVantorDataMediator* shownFor = nullptr;
    service->setExportDriveDialog ([&] (vantor::service::IVantorDataMediator* s) { shownFor = s; });

    EXPECT_TRUE (service->showExportDialog());
    EXPECT_EQ (shownFor, service.get());
}
} // namespace
