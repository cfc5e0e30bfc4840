#include "vantor/dataset/UnitExport.h"
#include "vantor/dataset/UnitFolder.h"
#include "vantor/dataset/UnitImport.h"

#include "support/WholeSetFixtures.h"
#include "vantor/dataset/Leftovers.h"
#include "vantor/dataset/WyxModelImpl.h"

#include <sys/stat.h>

#include <functional>

namespace
{
using namespace vantor::dataset;
using namespace glorvak::test;

constexpr int longFrames = 300000;

// A model with a whole file, a trimmed one whose name carries a counter, and a third one of the
// same base name in another BANK.
const std::vector<SlotFixture> modelSlots = {
    {0, 0, "Kick.wav", 4000, 0, -1, "Kick", 12000, -3.5, false, true},
    {0, 2, "Kick(2).wav", longFrames, 96000, 192000, "Long", 9000, 2.0, true},
    {2, 3, "Kick(3).wav", 1000, 0, -1, "Other", 0, 0.0, true},
};

juce::var modelJsonOf (const juce::File& dataFolder)
{
    WyxModelImpl model;
    model.load (dataFolder.getChildFile ("model/model.json"));
    return model.toVar();
}

ErrorKind exportFrom (const juce::File& dataFolder, const juce::File& volume, JobProgress* progress = nullptr,
                      FileSwap::Mover mover = {})
{
    return UnitExport::write (modelJsonOf (dataFolder), dataFolder.getChildFile ("model/samples"), volume,
                              progress, std::move (mover));
}

// What an earlier export and the user left on the volume.
void fillOldUnit (const juce::File& volume)
{
    const auto unit = UnitFolder::getUnitFolder (volume);
    unit.getChildFile ("01/.keep").create();
    writeSeededWav (unit.getChildFile ("01/old.wav"), 100, 99);
    unit.getChildFile ("notes.txt").replaceWithText ("old notes");
    writeSeededWav (unit.getChildFile ("16/stray.wav"), 100, 98);
    unit.getChildFile (".hidden-folder/inside.txt").create();
    unit.getChildFile ("GLORVAKSETTINGS.json").replaceWithText (R"({"favorite": 0, "bank": []})");
}

struct Fixture
{
    Fixture()
    {
        writeModelFolder (data, modelSlots, 6);
        fillOldUnit (volume);
    }

    ScratchFolder scratch;
    juce::File data = scratch.child ("data");
    juce::File volume = scratch.child ("volume");
    juce::File unit = UnitFolder::getUnitFolder (volume);
};

//==============================================================================
TEST (UnitExport, WritesTheUnitLayoutTrimmedCopiesAndTheSettingsWithoutEditorKeys)
{
    Fixture f;
    ASSERT_EQ (exportFrom (f.data, f.volume), "");

    juce::StringArray expected{".hidden-folder",
                               ".hidden-folder/inside.txt",
                               "01",
                               "01/.keep",
                               "01/Kick(2).wav",
                               "01/Kick.wav",
                               "03/Kick.wav",
                               "16",
                               "GLORVAKSETTINGS.json"};
    for (int i = 2; i <= 15; ++i)
        expected.add (juce::String::formatted ("%02d", i));
    expected.sort (false);
    EXPECT_EQ (pathsOf (snapshotOf (f.unit)), expected);
    EXPECT_EQ (f.volume.getChildFile ("Quorvane").getNumberOfChildFiles (juce::File::findFilesAndDirectories),
               1);

    const auto samples = f.data.getChildFile ("model/samples");
    juce::MemoryBlock source, copied;
    samples.getChildFile ("Kick.wav").loadFileAsData (source);
    f.unit.getChildFile ("01/Kick.wav").loadFileAsData (copied);
    EXPECT_EQ (copied, source);

    const auto trimmed = readFrames (f.unit.getChildFile ("01/Kick(2).wav"));
    EXPECT_EQ (trimmed.getNumSamples(), 96000);
    EXPECT_TRUE (sameFrames (trimmed, readFrames (samples.getChildFile ("Kick(2).wav"), 96000, 96000)));

    const auto json = juce::JSON::parse (f.unit.getChildFile ("GLORVAKSETTINGS.json").loadFileAsString());
    EXPECT_EQ (keysOf (json), juce::StringArray ({"favorite", "bank"}));
    EXPECT_EQ ((int)json["favorite"], 6);
    ASSERT_EQ (json["bank"].size(), 15);

    const juce::StringArray slotKeys{"file_size",       "bpm",         "sample_num",  "time_length",
                                     "beat_length",     "gain",        "channel_num", "is_loop",
                                     "is_dubkick_mode", "slot_number", "file_name",   "slot_name"};
    for (int b = 0; b < 15; ++b)
    {
        const auto bank = json["bank"][b];
        EXPECT_EQ (keysOf (bank), juce::StringArray ({"bank_number", "bank_name", "slot"}));
        EXPECT_EQ ((int)bank["bank_number"], b);

        for (int s = 0; s < 4; ++s)
        {
            EXPECT_EQ (keysOf (bank["slot"][s]), slotKeys);
            EXPECT_EQ ((int)bank["slot"][s]["slot_number"], s);
        }
    }

    const auto long_ = json["bank"][0]["slot"][2];
    EXPECT_EQ (long_["file_name"].toString(), "Kick(2).wav");
    EXPECT_EQ ((juce::int64)long_["sample_num"], longFrames);
    EXPECT_EQ ((juce::int64)long_["file_size"], samples.getChildFile ("Kick(2).wav").getSize());
    EXPECT_EQ (json["bank"][0]["slot"][0]["file_name"].toString(), "Kick.wav");
    EXPECT_EQ (json["bank"][2]["slot"][3]["file_name"].toString(), "Kick.wav");
    EXPECT_EQ (json["bank"][1]["slot"][0]["file_name"].toString(), "");
}

// A name beginning with "~" reads as a home folder to the toolkit's path building; a sample of
// such a name (restored from another system) and a leftover file such as "~lock.txt" on the drive
// stay where they are meant to be.
TEST (UnitExport, NamesBeginningWithATildeStayInsideTheUnitFolder)
{
    ScratchFolder scratch;
    const auto data = scratch.child ("data");
    const auto volume = scratch.child ("volume");
    const auto unit = UnitFolder::getUnitFolder (volume);
    writeModelFolder (data, {{0, 0, "~Loop.wav", 1000}, {1, 0, "~Trim.wav", 1000, 100, 600}});
    fillOldUnit (volume);
    const auto lockFile = getBareChildFile (unit, "~lock.txt"); // getChildFile would read "~" as home
    lockFile.replaceWithText ("left by an editor");

    const auto elsewhere = scratch.child ("cwd");
    elsewhere.createDirectory();
    const auto previousCwd = juce::File::getCurrentWorkingDirectory();
    elsewhere.setAsCurrentWorkingDirectory();
    const auto result = exportFrom (data, volume);
    previousCwd.setAsCurrentWorkingDirectory();

    ASSERT_EQ (result, "");
    EXPECT_EQ (pathsOf (snapshotOf (elsewhere)), juce::StringArray()) << "nothing lands outside the unit";
    EXPECT_FALSE (lockFile.exists());
    EXPECT_EQ (unit.getChildFile ("01/~Loop.wav").getSize(),
               getBareChildFile (getSamplesFolder (data.getChildFile ("model")), "~Loop.wav").getSize());
    EXPECT_EQ (readFrames (unit.getChildFile ("02/~Trim.wav")).getNumSamples(), 500);

    const auto json = juce::JSON::parse (unit.getChildFile ("GLORVAKSETTINGS.json").loadFileAsString());
    EXPECT_EQ (json["bank"][0]["slot"][0]["file_name"].toString(), "~Loop.wav");
    EXPECT_EQ (json["bank"][1]["slot"][0]["file_name"].toString(), "~Trim.wav");
}

TEST (UnitExport, AMissingSampleOrAFailedSwapLeavesTheUnitUntouched)
{
    Fixture f;
    const auto before = snapshotOf (f.volume);
    f.data.getChildFile ("model/samples/Kick(3).wav").deleteFile();
    EXPECT_EQ (exportFrom (f.data, f.volume), "notfound");
    EXPECT_EQ (snapshotOf (f.volume), before);

    writeModelFolder (f.data, modelSlots, 6);

    // Set aside: notes.txt, 01/old.wav, 16/stray.wav and the old settings; then three WAVs and the
    // new settings go in.
    for (int failingMove = 1; failingMove <= 8; ++failingMove)
    {
        SCOPED_TRACE (failingMove);
        int moves = 0;
        const auto mover = [&] (const juce::File& from, const juce::File& to)
        { return ++moves != failingMove && FileSwap::moveWithoutOverwriting (from, to); };

        EXPECT_EQ (exportFrom (f.data, f.volume, nullptr, mover), "copy");
        EXPECT_EQ (filesOnly (snapshotOf (f.volume)), filesOnly (before));
        EXPECT_EQ (
            f.volume.getChildFile ("Quorvane").getNumberOfChildFiles (juce::File::findFilesAndDirectories),
            1);
    }
}

TEST (UnitExport, CancelAtEveryPollLeavesTheUnitUntouched)
{
    Fixture f;
    const auto before = snapshotOf (f.volume);

    CountingProgress dryRun;
    {
        ScratchFolder other;
        ASSERT_EQ (exportFrom (f.data, other.get(), &dryRun), "");
        EXPECT_EQ (dryRun.last(), 1.0);
        EXPECT_FALSE (dryRun.wentBackwards);
    }
    EXPECT_EQ (dryRun.pollCount(), 62);

    for (int poll = 1; poll <= dryRun.pollCount(); ++poll)
    {
        SCOPED_TRACE (poll);
        CountingProgress cancelling (poll);
        EXPECT_EQ (exportFrom (f.data, f.volume, &cancelling), "cancelled");
        EXPECT_EQ (snapshotOf (f.volume), before);
    }
}

TEST (UnitExport, TheFavoriteIsLimitedBothWays)
{
    for (const auto& [stored, expected] : {std::pair{99, 14}, std::pair{-3, 0}, std::pair{7, 7}})
    {
        SCOPED_TRACE (stored);
        Fixture f;
        auto json = modelJsonOf (f.data);
        json.getDynamicObject()->setProperty ("favorite", stored);
        ASSERT_EQ (UnitExport::write (json, f.data.getChildFile ("model/samples"), f.volume, nullptr), "");
        EXPECT_EQ ((int)juce::JSON::parse (
                       f.unit.getChildFile ("GLORVAKSETTINGS.json").loadFileAsString())["favorite"],
                   expected);

        f.unit.getChildFile ("GLORVAKSETTINGS.json")
            .replaceWithText (R"({"favorite": )" + juce::String (stored) + R"(, "bank": []})");
        ASSERT_EQ (UnitImport::read (f.volume, f.data, nullptr), "");
        EXPECT_EQ (
            (int)juce::JSON::parse (f.data.getChildFile ("model/model.json").loadFileAsString())["favorite"],
            expected);
    }
}

//==============================================================================
TEST (UnitImport, AnExportReadBackGivesTheModelWithTrimmedRangesAsWholeFiles)
{
    Fixture f;
    ASSERT_EQ (exportFrom (f.data, f.volume), "");

    // Another model is in place when the unit is read.
    ScratchFolder otherScratch;
    const auto target = otherScratch.child ("data");
    writeModelFolder (target, {{5, 1, "Else.wav", 500}});

    CountingProgress progress;
    ASSERT_EQ (UnitImport::read (f.volume, target, &progress), "");
    EXPECT_EQ (progress.last(), 1.0);
    EXPECT_EQ (target.getNumberOfChildFiles (juce::File::findFilesAndDirectories),
               1); // no temporary folder left

    WyxModelImpl original, imported;
    original.load (f.data.getChildFile ("model/model.json"));
    imported.load (target.getChildFile ("model/model.json"));
    EXPECT_EQ (imported.getFavoriteBank(), 6);
    EXPECT_EQ (wavNames (target.getChildFile ("model/samples")),
               juce::StringArray ({"Kick(2).wav", "Kick(3).wav", "Kick.wav"}));

    for (int b = 0; b < 15; ++b)
    {
        const auto& a = *original.getBankList()[b];
        const auto& c = *imported.getBankList()[b];
        EXPECT_EQ (c.getName(), a.getName());

        for (int s = 0; s < 4; ++s)
        {
            SCOPED_TRACE (juce::String (b) + "/" + juce::String (s));
            const auto* x = a.getSlotList()[s];
            const auto* y = c.getSlotList()[s];
            EXPECT_EQ (y->getName(), x->getName());
            EXPECT_EQ (y->getBpm(), x->getBpm());
            EXPECT_EQ (y->getGainDb(), x->getGainDb());
            EXPECT_EQ (y->isLoop(), x->isLoop());
            EXPECT_EQ (y->isDubkickMode(), x->isDubkickMode());
            EXPECT_EQ (y->getFile() == juce::File(), x->getFile() == juce::File());

            if (x->getFile() == juce::File())
                continue;

            // Whole file plays; its frames are the old range.
            EXPECT_EQ (y->getRange(), juce::Range<juce::int64> (0, x->getRange().getLength()));
            EXPECT_TRUE (
                sameFrames (readFrames (y->getFile()),
                            readFrames (x->getFile(), x->getRange().getStart(), x->getRange().getLength())));
            EXPECT_EQ (y->getOriginalFileName(), y->getFile().getFileName());
            EXPECT_EQ (y->getDisplayFileName(), "Kick.wav");
        }
    }
}

struct ImportFault
{
    const char* what;
    const char* settings; // null: no settings file
    const char* expected;
    // Makes the unit folder hostile; outside holds "secret.wav", a valid WAV off the volume.
    std::function<void (const juce::File& unit, const juce::File& outside)> prepare = nullptr;
};

void linkTo (const juce::File& target, const juce::File& link)
{
    link.getParentDirectory().createDirectory();
    link.deleteRecursively();
    ASSERT_TRUE (target.createSymbolicLink (link, true));
}

void makeFifo (const juce::File& file)
{
    file.deleteFile();
    ASSERT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0);
}

const char* const namesSecret = R"({"bank": [{"slot": [{"file_name": "secret.wav"}]}]})";

const ImportFault importFaults[] = {
    {"no settings file", nullptr, "notfound"},
    {"settings are no JSON", "{ not json", "invalidformat"},
    {"no BANK array", R"({"favorite": 2})", "invalidformat"},
    {"a BANK is no object", R"({"bank": [3]})", "invalidformat"},
    {"a SLOT is no object", R"({"bank": [{"slot": ["x"]}]})", "invalidformat"},
    {"a name climbs out of its folder", R"({"bank": [{"slot": [{"file_name": "../02/a.wav"}]}]})",
     "invalidformat"},
    {"an absolute name", R"({"bank": [{"slot": [{"file_name": "/etc/passwd"}]}]})", "invalidformat"},
    {"a missing WAV", R"({"bank": [{"slot": [{"file_name": "a.wav"}, {"file_name": "gone.wav"}]}]})",
     "notfound"},
    // The unit's folder hands over plain files only, and never blocks the worker.
    {"a WAV that links to a file elsewhere", namesSecret, "notfound",
     [] (const juce::File& unit, const juce::File& outside)
     { linkTo (outside.getChildFile ("secret.wav"), unit.getChildFile ("01/secret.wav")); }},
    {"a BANK folder that links elsewhere", namesSecret, "notfound",
     [] (const juce::File& unit, const juce::File& outside) { linkTo (outside, unit.getChildFile ("01")); }},
    {"a WAV that is a FIFO", namesSecret, "notfound",
     [] (const juce::File& unit, const juce::File&) { makeFifo (unit.getChildFile ("01/secret.wav")); }},
    {"a settings file that is a FIFO", namesSecret, "notfound",
     [] (const juce::File& unit, const juce::File&)
     { makeFifo (unit.getChildFile ("GLORVAKSETTINGS.json")); }},
    {"a settings file that links elsewhere", namesSecret, "notfound",
     [] (const juce::File& unit, const juce::File& outside)
     {
         outside.getChildFile ("settings.json").replaceWithText (namesSecret);
         linkTo (outside.getChildFile ("settings.json"), unit.getChildFile ("GLORVAKSETTINGS.json"));
     }},
    {"a WAV that links to a device", R"({"bank": [{"slot": [{"file_name": "zero.wav"}]}]})", "notfound",
     [] (const juce::File& unit, const juce::File&)
     { linkTo (juce::File ("/dev/zero"), unit.getChildFile ("01/zero.wav")); }},
    {"a text file named as a WAV",
     R"({"bank": [{"slot": [{"file_name": "a.wav"}, {"file_name": "text.wav"}]}]})", "invalidformat",
     [] (const juce::File& unit, const juce::File&)
     { unit.getChildFile ("01/text.wav").replaceWithText ("RIFF? no, only words"); }},
};

TEST (UnitImport, FaultsLeaveTheModelFolderAsItWas)
{
    for (const auto& fault : importFaults)
    {
        SCOPED_TRACE (fault.what);
        Fixture f;
        writeSeededWav (f.unit.getChildFile ("01/a.wav"), 100, 1);
        writeSeededWav (f.unit.getChildFile ("02/a.wav"), 100, 2);
        const auto outside = f.scratch.child ("outside");
        writeSeededWav (outside.getChildFile ("secret.wav"), 100, 3);
        const auto settings = f.unit.getChildFile ("GLORVAKSETTINGS.json");
        settings.deleteFile();

        if (fault.settings != nullptr)
            settings.replaceWithText (fault.settings);

        if (fault.prepare != nullptr)
            fault.prepare (f.unit, outside);

        const auto before = snapshotOf (f.data);
        const auto outsideBefore = snapshotOf (outside);
        EXPECT_EQ (UnitImport::read (f.volume, f.data, nullptr), fault.expected);
        EXPECT_EQ (snapshotOf (f.data), before);
        EXPECT_EQ (snapshotOf (outside), outsideBefore);
    }
}

TEST (UnitImport, ReadsNoMoreThanFifteenBanksOfFourSlots)
{
    Fixture f;
    writeSeededWav (f.unit.getChildFile ("01/a.wav"), 100, 1);
    juce::String banks;
    for (int b = 0; b < 20; ++b)
        banks << (b > 0 ? "," : "")
              << R"({"bank_name": "B", "slot": [{}, {}, {}, {}, {"file_name": "a.wav"}]})";
    f.unit.getChildFile ("GLORVAKSETTINGS.json").replaceWithText (R"({"bank": [)" + banks + "]}");

    ASSERT_EQ (UnitImport::read (f.volume, f.data, nullptr), "");
    const auto json = juce::JSON::parse (f.data.getChildFile ("model/model.json").loadFileAsString());
    EXPECT_EQ (json["bank"].size(), 15);
    EXPECT_EQ (json["bank"][0]["slot"].size(), 4);
    EXPECT_EQ (wavNames (f.data.getChildFile ("model/samples")), juce::StringArray());
}

// The unit reads a FAT drive, where letter case does not matter: a settings file naming a WAV in
// another case than a copy of the folder holds still imports, as the model's own files do.
TEST (UnitImport, ANameInAnotherLetterCaseFindsTheWavInItsBankFolder)
{
    Fixture f;
    writeSeededWav (f.unit.getChildFile ("01/Kick.wav"), 100, 1);
    f.unit.getChildFile ("GLORVAKSETTINGS.json")
        .replaceWithText (R"({"bank": [{"slot": [{"file_name": "KICK.WAV"}]}]})");

    ASSERT_EQ (UnitImport::read (f.volume, f.data, nullptr), "");
    const auto json = juce::JSON::parse (f.data.getChildFile ("model/model.json").loadFileAsString());
    EXPECT_EQ (json["bank"][0]["slot"][0]["file_name"].toString(), "Kick.wav");
    EXPECT_EQ (json["bank"][0]["slot"][0]["end_sample"].toString(), "100");
    EXPECT_EQ (wavNames (f.data.getChildFile ("model/samples")), juce::StringArray ({"Kick.wav"}));
}

TEST (UnitImport, CancelAtEveryPollOrAFailedSwapKeepsTheModelFolder)
{
    Fixture f;
    ASSERT_EQ (exportFrom (f.data, f.volume), "");
    writeModelFolder (f.data, {{5, 1, "Else.wav", 500}});
    const auto before = snapshotOf (f.data);

    CountingProgress dryRun;
    {
        ScratchFolder other;
        ASSERT_EQ (UnitImport::read (f.volume, other.get(), &dryRun), "");
    }
    EXPECT_EQ (dryRun.pollCount(), 61);

    for (int poll = 1; poll <= dryRun.pollCount(); ++poll)
    {
        SCOPED_TRACE (poll);
        CountingProgress cancelling (poll);
        EXPECT_EQ (UnitImport::read (f.volume, f.data, &cancelling), "cancelled");
        EXPECT_EQ (snapshotOf (f.data), before);
    }

    for (int failingMove = 1; failingMove <= 2; ++failingMove)
    {
        int moves = 0;
        const auto mover = [&] (const juce::File& from, const juce::File& to)
        { return ++moves != failingMove && FileSwap::moveWithoutOverwriting (from, to); };
        EXPECT_EQ (UnitImport::read (f.volume, f.data, nullptr, mover), "copy");
        EXPECT_EQ (snapshotOf (f.data), before);
    }
}
// Names and values of the unit's file reach the model held to the editor's own limits.
TEST (UnitImport, NamesAndValuesAreHeldToTheLimitsOfTheModel)
{
    Fixture f;
    writeSeededWav (f.unit.getChildFile ("01/a.wav"), 100, 1);
    const auto longName = juce::String::repeatedString ("n", 5000);
    auto* slot0 = new juce::DynamicObject();
    slot0->setProperty ("file_name", "a.wav");
    slot0->setProperty ("slot_name", longName);
    slot0->setProperty ("bpm", 1000000000);
    slot0->setProperty ("gain", 99.0);
    slot0->setProperty ("is_loop", 7);
    slot0->setProperty ("is_dubkick_mode", "yes");
    auto* slot2 = new juce::DynamicObject();
    slot2->setProperty ("is_loop", 1);
    slot2->setProperty ("gain", -1000.0);
    auto* bank = new juce::DynamicObject();
    bank->setProperty ("bank_name", longName);
    bank->setProperty (
        "slot",
        juce::Array<juce::var>{juce::var (slot0), juce::var (new juce::DynamicObject()), juce::var (slot2)});
    auto* root = new juce::DynamicObject();
    root->setProperty ("bank", juce::Array<juce::var>{juce::var (bank)});
    f.unit.getChildFile ("GLORVAKSETTINGS.json").replaceWithText (juce::JSON::toString (juce::var (root)));

    ASSERT_EQ (UnitImport::read (f.volume, f.data, nullptr), "");
    const auto json = juce::JSON::parse (f.data.getChildFile ("model/model.json").loadFileAsString());
    const auto stored = json["bank"][0];
    EXPECT_EQ (stored["bank_name"].toString(), longName.substring (0, 50));
    EXPECT_EQ (stored["slot"][0]["slot_name"].toString(), longName.substring (0, 50));
    EXPECT_EQ ((int)stored["slot"][0]["bpm"], 99999);
    EXPECT_EQ ((double)stored["slot"][0]["gain"], 9.0);
    EXPECT_EQ ((int)stored["slot"][0]["is_loop"], 0) << "the first two SLOTs play once";
    EXPECT_EQ ((int)stored["slot"][0]["is_dubkick_mode"], 1);
    EXPECT_EQ ((int)stored["slot"][2]["is_loop"], 1);
    EXPECT_EQ ((double)stored["slot"][2]["gain"], -18.0);
}

// A link in the unit's folder is replaced as a file; what it points to stays as it was.
TEST (UnitExport, LinksInTheUnitFolderAreReplacedAndNeverFollowed)
{
    Fixture f;
    const auto outside = f.scratch.child ("outside");
    writeSeededWav (outside.getChildFile ("keep/secret.wav"), 100, 3);
    outside.getChildFile ("notes.txt").replaceWithText ("mine");
    linkTo (outside.getChildFile ("keep"), f.unit.getChildFile ("01"));
    linkTo (outside.getChildFile ("notes.txt"), f.unit.getChildFile ("03/notes.txt"));
    const auto outsideBefore = snapshotOf (outside);

    ASSERT_EQ (exportFrom (f.data, f.volume), "");
    EXPECT_EQ (snapshotOf (outside), outsideBefore);
    EXPECT_FALSE (f.unit.getChildFile ("01").isSymbolicLink());
    EXPECT_TRUE (f.unit.getChildFile ("01/Kick.wav").existsAsFile());
    EXPECT_FALSE (f.unit.getChildFile ("03/notes.txt").exists());

    // A linked unit folder would put the whole export somewhere else.
    linkTo (outside, f.volume.getChildFile ("Quorvane/GLORVAK"));
    EXPECT_EQ (exportFrom (f.data, f.volume), "copy");
    EXPECT_EQ (snapshotOf (outside), outsideBefore);
}

// What a killed export or import leaves under "Quorvane" goes before the next one; other names stay.
TEST (UnitFolderLeftovers, TemporaryFoldersOfOursGoBeforeTheNextExportAndNothingElse)
{
    Fixture f;
    const auto maker = UnitFolder::getMakerFolder (f.volume);
    for (const auto* name : {".glorvak-tmp", ".glorvak-tmp3"})
        writeSeededWav (maker.getChildFile (name).getChildFile ("01/x.wav"), 10, 1);
    for (const auto* name : {"tmp", ".glorvak-tmpx", "glorvak-tmp", "user.txt"})
        maker.getChildFile (name).replaceWithText ("the user's");
    f.unit.getChildFile (".GLORVAKSETTINGS_temp1a2b3c.json").replaceWithText ("{");
    f.unit.getChildFile (".GLORVAKSETTINGS_tempX.json").replaceWithText ("the user's");

    ASSERT_EQ (exportFrom (f.data, f.volume), "");
    juce::StringArray left;
    for (const auto& child : maker.findChildFiles (juce::File::findFilesAndDirectories, false, "*"))
        left.add (child.getFileName());
    left.sort (false);
    EXPECT_EQ (left, juce::StringArray ({".glorvak-tmpx", "GLORVAK", "glorvak-tmp", "tmp", "user.txt"}));
    EXPECT_FALSE (f.unit.getChildFile (".GLORVAKSETTINGS_temp1a2b3c.json").exists());
    EXPECT_TRUE (f.unit.getChildFile (".GLORVAKSETTINGS_tempX.json").exists());
}
} // namespace
