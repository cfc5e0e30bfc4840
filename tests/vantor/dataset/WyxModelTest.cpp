#include "vantor/dataset/WyxModelImpl.h"

#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/DataSetTestHelpers.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SlotJsonKeys.h"

namespace
{
using namespace vantor::dataset;
using glorvak::test::deliverPendingMessages;
using glorvak::test::pumpMessagesUntil;
using glorvak::test::ScratchFolder;
using glorvak::test::wavNamesIn;
using glorvak::test::writeWav;

struct ModelFolder : glorvak::test::DataFileFolder
{
    ModelFolder()
        : DataFileFolder (modelkeys::folderName, modelkeys::fileName)
    {
    }
};

// Gives SLOT s of BANK b a WAV of its own and some values.
void fillSlot (WyxModel& model, const juce::File& samples, int b, int s)
{
    auto* slot = model.getBankList().banks[b]->getSlotList().slots[s].get();
    const auto name = "b" + juce::String (b) + "s" + juce::String (s) + ".wav";
    writeWav (samples.getChildFile (name), 64 + b * 4 + s);

    auto* object = new juce::DynamicObject();
    object->setProperty (slotkeys::fileName, name);
    object->setProperty (slotkeys::originalFileName, "orig " + name);
    slot->fromVar (juce::var (object), samples.getParentDirectory());
    slot->setName (juce::String::fromUTF8 ("Slot \xc3\xa9 ") + juce::String (b * 4 + s));
    slot->setBpm (8000 + b * 100 + s);
    slot->setRange ({s, 60});
    slot->setGainDb (-1.5f * (float)s);
    slot->setLoop (s >= 2);
    slot->setDubkickMode (b % 2 == 0);
}

void fillModel (WyxModel& model, const juce::File& samples)
{
    for (int b = 0; b < WyxModel::bankCount; ++b)
    {
        model.getBankList().banks[b]->setName ("Bank " + juce::String (b));

        for (int s = 0; s < 4; ++s)
            fillSlot (model, samples, b, s);
    }

    model.setFavoriteBank (7);
}

// A model with every SLOT holding a sample, saved.
struct SavedFullModel
{
    ModelFolder folder;
    WyxModelImpl model;

    SavedFullModel()
    {
        model.load (folder.file);
        fillModel (model, folder.samples);
        model.save();
    }
};

TEST (WyxModelFile, FullModelRoundTripsWithKeysInOrder)
{
    SavedFullModel saved;
    auto& [folder, model] = saved;
    ASSERT_TRUE (folder.file.existsAsFile());

    const auto json = glorvak::test::readJson (folder.file);
    EXPECT_EQ (glorvak::test::keysOf (json), (juce::StringArray{"favorite", "bank"}));
    EXPECT_EQ ((int)json[modelkeys::favorite], 7);
    ASSERT_EQ (json[modelkeys::bank].size(), 15);

    for (int b = 0; b < 15; ++b)
    {
        const auto& bank = json[modelkeys::bank][b];
        EXPECT_EQ (glorvak::test::keysOf (bank), (juce::StringArray{"bank_number", "bank_name", "slot"}));
        EXPECT_EQ ((int)bank[bankkeys::bankNumber], b);
        EXPECT_EQ (glorvak::test::keysOf (bank[bankkeys::slot][3]),
                   (juce::StringArray{"file_size", "bpm", "sample_num", "start_sample", "end_sample",
                                      "time_length", "beat_length", "gain", "channel_num", "is_loop",
                                      "is_dubkick_mode", "slot_number", "file_name", "display_file_name",
                                      "original_file_name", "slot_name"}));
    }

    WyxModelImpl second;
    second.load (folder.file);
    EXPECT_EQ (juce::JSON::toString (second.toVar()), juce::JSON::toString (model.toVar()));
    EXPECT_EQ (second.getBankList().banks[14]->getSlotList().slots[3]->getFileInfo().sampleCount,
               64 + 14 * 4 + 3);
}

TEST (WyxModelFile, FavoriteIsLimitedWhenSetAndWhenRead)
{
    const std::pair<int, int> cases[] = {{20, 14}, {-3, 0}, {14, 14}, {0, 0}, {6, 6}};
    ModelFolder folder;
    folder.file.getParentDirectory().createDirectory();

    for (const auto& [given, expected] : cases)
    {
        SCOPED_TRACE (given);
        WyxModelImpl model;
        model.setFavoriteBank (given);
        EXPECT_EQ (model.getFavoriteBank(), expected);

        folder.file.replaceWithText (R"({"favorite": )" + juce::String (given) + R"(, "bank": []})");
        model.load (folder.file);
        EXPECT_EQ (model.getFavoriteBank(), expected);
    }
}

TEST (WyxModelFile, FewerBanksFillTheFirstAndLeaveTheRestEmpty)
{
    ModelFolder folder;
    folder.file.getParentDirectory().createDirectory();
    folder.file.replaceWithText (R"({"bank": [{"bank_number": 9, "bank_name": "A"}, {"bank_name": "B"},
                                              {"bank_name": "C"}]})");
    WyxModelImpl model;
    model.load (folder.file);

    EXPECT_EQ (model.getBankList().banks[0]->getName(), "A");
    EXPECT_EQ (model.getBankList().banks[2]->getName(), "C");
    EXPECT_EQ (model.getBankList().banks[3]->getName(), "");
    EXPECT_EQ (model.getBankList().size(), 15);
}

TEST (WyxModelFile, ObjectsSurviveAReload)
{
    ModelFolder folder;
    WyxModelImpl model;
    model.load (folder.file);
    auto* bank = model.getBankList().banks[4].get();
    auto* slot = bank->getSlotList().slots[1].get();

    model.load (folder.file);
    EXPECT_EQ (model.getBankList().banks[4].get(), bank);
    EXPECT_EQ (bank->getSlotList().slots[1].get(), slot);
}

//==============================================================================
// The model saves itself: 3000 ms after the last change, and after every load.
TEST (WyxModelAutosave, FirstStartCreatesTheFolderAtOnceAndTheFileAfterThreeSeconds)
{
    ModelFolder folder;
    WyxModelImpl model;
    const auto started = juce::Time::getMillisecondCounter();
    model.load (folder.file);

    EXPECT_TRUE (folder.file.getParentDirectory().isDirectory());
    EXPECT_FALSE (folder.file.exists());

    ASSERT_TRUE (pumpMessagesUntil ([&] { return folder.file.existsAsFile(); }, 15000));
    EXPECT_GE (juce::Time::getMillisecondCounter() - started, 2900u);

    const auto json = glorvak::test::readJson (folder.file);
    EXPECT_EQ ((int)json[modelkeys::favorite], 0);
    ASSERT_EQ (json[modelkeys::bank].size(), 15);
    EXPECT_EQ ((int)json[modelkeys::bank][14][bankkeys::bankNumber], 14);
    EXPECT_EQ (json[modelkeys::bank][14][bankkeys::slot].size(), 4);
}

TEST (WyxModelAutosave, TwoChangesTwoSecondsApartGiveOneSave)
{
    ModelFolder folder;
    WyxModelImpl model;
    model.load (folder.file);
    deliverPendingMessages();
    model.save(); // settle the save that follows the load
    ASSERT_FALSE (model.isDirty());

    // Every save renames a new file over the old one, so each save shows as a new inode.
    juce::Array<juce::int64> seenFiles{folder.file.getFileIdentifier()};
    const auto watch = [&]
    {
        seenFiles.addIfNotAlreadyThere (folder.file.getFileIdentifier());
        return false;
    };

    model.getBankList().banks[0]->setName ("first");
    pumpMessagesUntil (watch, 2000);
    EXPECT_EQ (seenFiles.size(), 1);

    model.getBankList().banks[0]->getSlotList().slots[0]->setName ("second");
    const auto secondChange = juce::Time::getMillisecondCounter();
    ASSERT_TRUE (pumpMessagesUntil (
        [&]
        {
            watch();
            return !model.isDirty();
        },
        15000));
    EXPECT_GE (juce::Time::getMillisecondCounter() - secondChange, 2900u);

    pumpMessagesUntil (watch, 500);
    EXPECT_EQ (seenFiles.size(), 2);
    EXPECT_EQ (
        glorvak::test::readJson (folder.file)[modelkeys::bank][0][bankkeys::slot][0][slotkeys::slotName]
            .toString(),
        "second");
}

//==============================================================================
struct DamagedCase
{
    const char* name;
    const char* text;
};

const DamagedCase damagedCases[] = {
    {"not JSON", "{\"favorite\": 1, \"bank\": ["},
    {"top level is an array", "[{\"bank\": []}]"},
    {"no bank array", "{\"favorite\": 3}"},
    {"bank is not an array", "{\"favorite\": 3, \"bank\": {\"0\": 1}}"},
    {"empty file", ""},
    {"binary", "\x01\xff\xfe\x80"},
};

// A model file that cannot be understood is never overwritten and its samples never cleaned up:
// both move aside together, and the model starts afresh beside them.
TEST (WyxModelDamaged, UnreadableFileAndItsSamplesSurviveStartUp)
{
    for (const auto& c : damagedCases)
    {
        SCOPED_TRACE (c.name);
        ModelFolder folder;
        writeWav (folder.samples.getChildFile ("Kick.wav"), 100);
        writeWav (folder.samples.getChildFile ("Snare.wav"), 100);
        folder.samples.createDirectory();
        // replaceWithData deletes the file when given no bytes.
        ASSERT_TRUE (strlen (c.text) == 0 ? folder.file.create().wasOk()
                                          : folder.file.replaceWithData (c.text, strlen (c.text)));
        const auto damagedBytes = folder.file.loadFileAsString();

        {
            WyxModelImpl model;
            model.load (folder.file);
            deliverPendingMessages();
            model.getBankList().banks[0]->setName ("new work");
            deliverPendingMessages();
            model.save();

            const auto aside = model.getKeptAsideFolder();
            ASSERT_TRUE (aside.isDirectory());
            EXPECT_TRUE (aside.isAChildOf (folder.file.getParentDirectory()));
            EXPECT_EQ (aside.getChildFile ("model.json").loadFileAsString(), damagedBytes);
            EXPECT_EQ (wavNamesIn (getSamplesFolder (aside)), (juce::StringArray{"Kick.wav", "Snare.wav"}));
        }

        EXPECT_EQ (glorvak::test::readJson (folder.file)[modelkeys::bank][0][bankkeys::bankName].toString(),
                   "new work");

        // A second start finds a good file and leaves the kept folder alone.
        WyxModelImpl again;
        again.load (folder.file);
        deliverPendingMessages();
        again.save();
        EXPECT_EQ (folder.file.getParentDirectory()
                       .findChildFiles (juce::File::findDirectories, false, "damaged-*")
                       .size(),
                   1);
    }
}

//==============================================================================
TEST (WyxModelSave, FailedWriteKeepsThePreviousFileAndDeletesNoSample)
{
    SavedFullModel saved;
    auto& [folder, model] = saved;
    const auto savedText = folder.file.loadFileAsString();

    // Dropping a SLOT's sample would let the clean-up delete it after the next save.
    const auto dropped = model.getBankList().banks[3]->getSlotList().slots[2]->getFile();
    model.getBankList().banks[3]->getSlotList().slots[2]->reset();
    deliverPendingMessages();

    {
        JsonFileStore::ScopedWriteFailure failure;
        model.save();
    }

    EXPECT_TRUE (model.isDirty());
    EXPECT_EQ (folder.file.loadFileAsString(), savedText);
    EXPECT_TRUE (dropped.existsAsFile());
    EXPECT_EQ (folder.file.getParentDirectory().getNumberOfChildFiles (juce::File::findFiles, "*"), 1)
        << "no temporary file is left behind";

    model.save();
    EXPECT_FALSE (model.isDirty());
    EXPECT_NE (folder.file.loadFileAsString(), savedText);
    EXPECT_FALSE (dropped.exists());
}

//==============================================================================
TEST (WyxModelCleanup, DeletesOnlyUnreferencedVisibleWavsDirectlyInSamples)
{
    ModelFolder folder;
    WyxModelImpl model;
    model.load (folder.file);
    fillSlot (model, folder.samples, 0, 0);

    // Written on a case-insensitive system, a file may name its WAV in another case than the
    // disk holds: the look-alike is kept rather than risk deleting a sample still meant.
    auto* otherCase = model.getBankList().banks[1]->getSlotList().slots[0].get();
    otherCase->fromVar (juce::JSON::parse (R"({"file_name": "kick.wav"})"),
                        folder.samples.getParentDirectory());

    const juce::StringArray kept{"b0s0.wav", "Kick.wav"};
    writeWav (folder.samples.getChildFile ("Kick.wav"), 10);
    writeWav (folder.samples.getChildFile ("Orphan.wav"), 10);
    writeWav (folder.samples.getChildFile (".Hidden.wav"), 10);
    writeWav (folder.samples.getChildFile ("Upper.WAV"), 10);
    folder.samples.getChildFile ("notes.txt").replaceWithText ("x");
    writeWav (folder.samples.getChildFile ("sub/Deep.wav"), 10);

    deliverPendingMessages();
    model.save();

    EXPECT_EQ (wavNamesIn (folder.samples).joinIntoString (","), kept.joinIntoString (","));
    EXPECT_TRUE (folder.samples.getChildFile (".Hidden.wav").existsAsFile());
    EXPECT_FALSE (folder.samples.getChildFile ("Upper.WAV").exists());
    EXPECT_TRUE (folder.samples.getChildFile ("notes.txt").existsAsFile());
    EXPECT_TRUE (folder.samples.getChildFile ("sub/Deep.wav").existsAsFile());
}

// An import that died half-way leaves its hidden staged WAVs behind; nothing else would ever
// remove them. Only the program's own names go, and only directly in samples.
TEST (WyxModelCleanup, DeletesStagedWavsLeftByACrashedImport)
{
    ModelFolder folder;
    WyxModelImpl model;
    model.load (folder.file);
    fillSlot (model, folder.samples, 0, 0);

    juce::Array<juce::File> leftovers;

    for (const auto kind : {StagedWav::incoming, StagedWav::incoming, StagedWav::replaced})
        leftovers.add (writeWav (makeStagedWavFile (folder.samples, kind), 10));

    leftovers.add (writeWav (folder.samples.getChildFile (".replaced12.wav"), 10));

    const juce::StringArray keptHidden{".important.wav", ".import(2).wav", ".import.WAV", ".imported2.wav",
                                       ".replaced.wav.bak"};

    for (const auto& name : keptHidden)
        writeWav (folder.samples.getChildFile (name), 10);

    writeWav (folder.samples.getChildFile ("sub/.import.wav"), 10);

    deliverPendingMessages();
    model.save();

    for (const auto& file : leftovers)
        EXPECT_FALSE (file.exists()) << file.getFileName();

    for (const auto& name : keptHidden)
        EXPECT_TRUE (folder.samples.getChildFile (name).existsAsFile()) << name;

    EXPECT_TRUE (folder.samples.getChildFile ("sub/.import.wav").existsAsFile());
    EXPECT_TRUE (folder.samples.getChildFile ("b0s0.wav").existsAsFile());
}

// A WAV outlives every saved "model.json" that names it: cleared SLOTs let go of their WAVs, and
// the clean-up after the save that no longer names them deletes them.
TEST (WyxModelCleanup, ResetKeepsWavsClearAllDeletesThemWithTheNextSave)
{
    ModelFolder folder;
    WyxModelImpl model;
    model.load (folder.file);
    fillModel (model, folder.samples);

    model.reset();
    EXPECT_EQ (wavNamesIn (folder.samples).size(), 60);
    EXPECT_FALSE (model.isDirty());

    model.load (folder.file);
    fillModel (model, folder.samples);
    model.save();
    model.clearAll();
    EXPECT_EQ (wavNamesIn (folder.samples).size(), 60) << "the saved file still names them";
    EXPECT_TRUE (model.isDirty());
    EXPECT_EQ (model.getFavoriteBank(), 0);

    model.save();
    EXPECT_EQ (wavNamesIn (folder.samples).size(), 0);
}

// A new WAV never takes a name the saved file names, even when that WAV has gone missing: after a
// crash before the next save, the saved SLOT would play the newcomer.
TEST (WyxModelCleanup, ANewSampleNeverTakesANameTheSavedFileStillNames)
{
    ModelFolder folder;
    const auto source = writeWav (folder.root.child ("source/Kick.wav"), 77);
    {
        WyxModelImpl model;
        model.load (folder.file);
        fillSlot (model, folder.samples, 0, 0);
        ASSERT_TRUE (
            model.getBankList().banks[0]->getSlotList().slots[0]->importAudioFile (source, nullptr, true));
        model.getBankList().banks[0]->getSlotList().slots[1]->clear();
        model.save();
    }
    ASSERT_TRUE (folder.samples.getChildFile ("Kick.wav").deleteFile()); // lost behind our back

    WyxModelImpl model;
    model.load (folder.file);
    auto& slots = model.getBankList().banks[0]->getSlotList().slots;
    const auto savedWav = slots[0]->getFile();

    ASSERT_TRUE (slots[2]->importAudioFile (source, nullptr, true));
    EXPECT_EQ (slots[2]->getFile().getFileName(), "Kick(2).wav");

    // Cleared and imported again before any save: the old WAV stays, the new one takes another name.
    ASSERT_TRUE (slots[2]->importAudioFile (source, nullptr, true));
    EXPECT_EQ (slots[2]->getFile().getFileName(), "Kick(3).wav");
    EXPECT_TRUE (folder.samples.getChildFile ("Kick(2).wav").existsAsFile());

    deliverPendingMessages();
    model.save();
    EXPECT_EQ (wavNamesIn (folder.samples), juce::StringArray ({"Kick(3).wav"}));
    EXPECT_EQ (slots[0]->getFile(), savedWav) << "the SLOT still names its lost WAV";
}
} // namespace
