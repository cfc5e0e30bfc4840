#include "vantor/dataset/WyxBankCollectionImpl.h"

#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/DataSetTestHelpers.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/SlotJsonKeys.h"

namespace
{
using namespace vantor::dataset;
using glorvak::test::deliverPendingMessages;
using glorvak::test::ScratchFolder;
using glorvak::test::wavNamesIn;
using glorvak::test::writeWav;

struct CollectionFolder : glorvak::test::DataFileFolder
{
    CollectionFolder()
        : DataFileFolder (collectionkeys::folderName, collectionkeys::fileName)
    {
    }
};

// A bank object named after its index; with a WAV of its own in samples when withWav is set.
juce::var bankObject (const juce::String& name, const juce::File& samples, bool withWav)
{
    juce::Array<juce::var> slots;

    if (withWav)
    {
        writeWav (samples.getChildFile (name + ".wav"), 32);
        auto* slot = new juce::DynamicObject();
        slot->setProperty (slotkeys::fileName, name + ".wav");
        slots.add (juce::var (slot));
    }

    auto* object = new juce::DynamicObject();
    object->setProperty (bankkeys::bankNumber, 42);
    object->setProperty (bankkeys::bankName, name);
    object->setProperty (bankkeys::slot, slots);
    return juce::var (object);
}

void writeCollectionFile (const juce::File& file, const juce::StringArray& names, bool withWavs = false)
{
    juce::Array<juce::var> banks;

    for (const auto& name : names)
        banks.add (bankObject (name, file.getSiblingFile ("samples"), withWavs));

    auto* root = new juce::DynamicObject();
    root->setProperty (collectionkeys::bankCollection, banks);
    file.getParentDirectory().createDirectory();
    file.replaceWithText (juce::JSON::toString (juce::var (root)));
}

juce::StringArray numberedNames (int count)
{
    juce::StringArray names;

    for (int i = 0; i < count; ++i)
        names.add ("bank" + juce::String (i));

    return names;
}

juce::String namesOf (const WyxBankCollection& collection)
{
    juce::StringArray names;

    for (auto* bank : collection)
        names.add (bank->getName());

    return names.joinIntoString (",");
}

// A loaded collection holding A, B, C without samples, and nothing to save yet.
struct AbcCollection
{
    CollectionFolder folder;
    WyxBankCollectionImpl collection;

    AbcCollection()
    {
        writeCollectionFile (folder.file, {"A", "B", "C"});
        collection.load (folder.file);
        EXPECT_FALSE (collection.isDirty());
    }
};

//==============================================================================
struct EditCase
{
    const char* name;
    std::function<void (WyxBankCollection&, const WyxBank&)> edit;
    const char* expected;
};

TEST (WyxBankCollectionEdits, EveryEditMarksTheCollectionChangedEvenWhenItChangesNothing)
{
    const EditCase cases[] = {
        {"move first to a place beyond the end", [] (auto& c, auto&) { c.move (0, 99); }, "B,C,A"},
        {"move last to the front", [] (auto& c, auto&) { c.move (2, 0); }, "C,A,B"},
        {"move to a negative place", [] (auto& c, auto&) { c.move (0, -1); }, "B,C,A"},
        {"move from a missing index", [] (auto& c, auto&) { c.move (5, 0); }, "A,B,C"},
        {"move onto itself", [] (auto& c, auto&) { c.move (1, 1); }, "A,B,C"},
        {"swap first and last", [] (auto& c, auto&) { c.swap (0, 2); }, "C,B,A"},
        {"swap with a missing index", [] (auto& c, auto&) { c.swap (0, 7); }, "A,B,C"},
        {"swap with a negative index", [] (auto& c, auto&) { c.swap (-1, 0); }, "A,B,C"},
        {"remove the middle", [] (auto& c, auto&) { c.remove (1); }, "A,C"},
        {"remove a missing index", [] (auto& c, auto&) { c.remove (5); }, "A,B,C"},
        {"insert beyond the end appends", [] (auto& c, auto& n) { c.insert (150, &n); }, "A,B,C,N"},
        {"insert at -1 appends", [] (auto& c, auto& n) { c.insert (-1, &n); }, "A,B,C,N"},
        {"insert at 0 goes first", [] (auto& c, auto& n) { c.insert (0, &n); }, "N,A,B,C"},
        {"insert at the last index", [] (auto& c, auto& n) { c.insert (2, &n); }, "A,B,N,C"},
        {"add appends", [] (auto& c, auto& n) { c.add (&n); }, "A,B,C,N"},
        {"clear empties", [] (auto& c, auto&) { c.clear(); }, ""},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        AbcCollection abc;
        auto newBank = createBank();
        newBank->setName ("N");

        c.edit (abc.collection, *newBank);
        EXPECT_EQ (namesOf (abc.collection), juce::String (c.expected));
        EXPECT_TRUE (abc.collection.isDirty());
    }
}

TEST (WyxBankCollectionEdits, RefusedAddsChangeNothing)
{
    AbcCollection abc;
    EXPECT_EQ (abc.collection.add (nullptr), nullptr);
    EXPECT_EQ (abc.collection.insert (0, nullptr), nullptr);
    EXPECT_FALSE (abc.collection.isDirty());
}

TEST (WyxBankCollectionEdits, LookupsOutsideTheArrayGiveNothing)
{
    AbcCollection abc;
    EXPECT_EQ (abc.collection.getBank (-1), nullptr);
    EXPECT_EQ (abc.collection.getBank (3), nullptr);
    EXPECT_EQ (abc.collection.getBank (1)->getName(), "B");
    EXPECT_EQ (abc.collection.indexOf (abc.collection.getBank (2).get()), 2);

    auto elsewhere = createBank();
    EXPECT_EQ (abc.collection.indexOf (elsewhere.get()), -1);
    EXPECT_EQ (abc.collection.indexOf (nullptr), -1);
}

TEST (WyxBankCollectionEdits, StoredCopiesOwnTheirSamplesAndRemovingDeletesThem)
{
    CollectionFolder folder;
    WyxBankCollectionImpl collection;
    collection.load (folder.file);

    ScratchFolder model;
    auto modelBank = createBank();
    modelBank->fromVar (bankObject ("Kick", getSamplesFolder (model.get()), true), model.get());

    auto stored = collection.add (modelBank.get());
    ASSERT_NE (stored, nullptr);
    const auto storedWav = stored->getSlotList().slots[0]->getFile();
    EXPECT_EQ (storedWav, folder.samples.getChildFile ("Kick.wav"));
    EXPECT_TRUE (storedWav.existsAsFile());
    EXPECT_TRUE (modelBank->getSlotList().slots[0]->getFile().existsAsFile());

    // The saved file names the stored copy until the next save has landed.
    collection.save();
    collection.remove (0);
    EXPECT_TRUE (storedWav.exists());
    collection.save();
    EXPECT_FALSE (storedWav.exists());
    EXPECT_TRUE (modelBank->getSlotList().slots[0]->getFile().existsAsFile());
}

TEST (WyxBankCollectionEdits, RenamingAStoredBankMarksTheCollectionChanged)
{
    AbcCollection abc;
    int broadcasts = 0;
    struct Counter : juce::ChangeListener
    {
        int& count;
        explicit Counter (int& c)
            : count (c)
        {
        }
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    } counter (broadcasts);
    abc.collection.addChangeListener (&counter);

    abc.collection.getBank (1)->setName ("Renamed");
    EXPECT_TRUE (glorvak::test::pumpMessagesUntil ([&] { return broadcasts > 0; }));
    EXPECT_TRUE (abc.collection.isDirty());

    abc.collection.save();
    EXPECT_EQ (
        glorvak::test::readJson (abc.folder.file)[collectionkeys::bankCollection][1][bankkeys::bankName]
            .toString(),
        "Renamed");
    abc.collection.removeChangeListener (&counter);
}

//==============================================================================
TEST (WyxBankCollectionLimit, HoldsAtMostOneHundredBanks)
{
    CollectionFolder folder;
    writeCollectionFile (folder.file, numberedNames (99));
    WyxBankCollectionImpl collection;
    collection.load (folder.file);
    ASSERT_EQ (collection.size(), 99);

    auto bank = createBank();
    bank->setName ("hundredth");
    EXPECT_NE (collection.add (bank.get()), nullptr);
    EXPECT_EQ (collection.size(), 100);

    EXPECT_EQ (collection.add (bank.get()), nullptr);
    EXPECT_EQ (collection.insert (0, bank.get()), nullptr);
    EXPECT_EQ (collection.size(), 100);
    EXPECT_EQ (collection.getBank (0)->getName(), "bank0");
}

// Entries beyond the hundredth are not loaded; the file as it was, with the samples only they
// name, is kept in a folder of its own before the next save shortens the file.
TEST (WyxBankCollectionLimit, FileWithOneHundredTwentyEntriesLoadsOneHundredAndKeepsTheRest)
{
    CollectionFolder folder;
    writeCollectionFile (folder.file, numberedNames (120), true);
    EXPECT_EQ (countCollectionBanks (folder.file), 120);

    WyxBankCollectionImpl collection;
    collection.load (folder.file);
    EXPECT_EQ (collection.size(), 100);
    EXPECT_EQ (collection.getBank (99)->getName(), "bank99");
    EXPECT_TRUE (collection.isDirty()) << "the hundred are written so the surplus is kept only once";
    collection.save();

    const auto saved = glorvak::test::readJson (folder.file)[collectionkeys::bankCollection];
    ASSERT_EQ (saved.size(), 100);
    EXPECT_EQ (countCollectionBanks (folder.file), 100);
    EXPECT_EQ (wavNamesIn (folder.samples).size(), 100);
    EXPECT_FALSE (folder.samples.getChildFile ("bank100.wav").exists());

    const auto aside = collection.getKeptAsideFolder();
    ASSERT_TRUE (aside.isDirectory());
    EXPECT_EQ (countCollectionBanks (aside.getChildFile ("bankcollection.json")), 120);
    const auto keptSamples = wavNamesIn (getSamplesFolder (aside));
    EXPECT_EQ (keptSamples.size(), 20);
    EXPECT_TRUE (keptSamples.contains ("bank119.wav"));
}

TEST (WyxBankCollectionFile, CountIsZeroForAnythingButAnObjectWithTheArray)
{
    CollectionFolder folder;
    folder.file.getParentDirectory().createDirectory();
    EXPECT_EQ (countCollectionBanks (folder.file), 0);
    EXPECT_EQ (countCollectionBanks (juce::File()), 0);

    for (const auto* text :
         {"", "[1, 2, 3]", "{\"other\": []}", "{\"bankcollection\": 3}", "{\"bankcollection\": ["})
    {
        SCOPED_TRACE (text);
        folder.file.create();
        folder.file.replaceWithText (text);
        EXPECT_EQ (countCollectionBanks (folder.file), 0);
    }
}

TEST (WyxBankCollectionFile, RoundTripWritesNumbersInArrayOrderAndKeysInOrder)
{
    CollectionFolder folder;
    writeCollectionFile (folder.file, {"A", "B", "C"}, true);
    WyxBankCollectionImpl collection;
    collection.load (folder.file);
    collection.getBank (2)->getSlotList().slots[1]->setGainDb (-4.5f);
    collection.move (2, 0);
    collection.save();

    const auto json = glorvak::test::readJson (folder.file);
    EXPECT_EQ (glorvak::test::keysOf (json), juce::StringArray{"bankcollection"});
    const auto banks = json[collectionkeys::bankCollection];
    ASSERT_EQ (banks.size(), 3);

    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (glorvak::test::keysOf (banks[i]), (juce::StringArray{"bank_number", "bank_name", "slot"}));
        EXPECT_EQ ((int)banks[i][bankkeys::bankNumber], i);
    }

    WyxBankCollectionImpl second;
    second.load (folder.file);
    EXPECT_EQ (namesOf (second), "C,A,B");
    EXPECT_EQ (second.getBank (0)->getSlotList().slots[1]->getGainDb(), -4.5f);
    EXPECT_EQ (second.getBank (0)->getSlotList().slots[0]->getFileInfo().sampleCount, 32);
    EXPECT_EQ (juce::JSON::toString (second.getBank (0)->toVar (0)),
               juce::JSON::toString (collection.getBank (0)->toVar (0)));
}

TEST (WyxBankCollectionFile, MissingFileIsWrittenLaterAndNewBanksAreNewObjectsAfterALoad)
{
    CollectionFolder folder;
    WyxBankCollectionImpl collection;
    collection.load (folder.file);
    EXPECT_TRUE (folder.file.getParentDirectory().isDirectory());
    EXPECT_TRUE (collection.isDirty());

    collection.save();
    EXPECT_EQ (countCollectionBanks (folder.file), 0);
    EXPECT_TRUE (folder.file.existsAsFile());

    writeCollectionFile (folder.file, {"A"});
    collection.load (folder.file);
    auto before = collection.getBank (0);
    collection.load (folder.file);
    EXPECT_NE (collection.getBank (0), before);
}

//==============================================================================
TEST (WyxBankCollectionDamaged, UnreadableFileAndItsSamplesSurviveStartUp)
{
    for (const auto* text : {"{\"bankcollection\": [", "{\"banks\": []}", "[]"})
    {
        SCOPED_TRACE (text);
        CollectionFolder folder;
        writeWav (folder.samples.getChildFile ("Stored.wav"), 10);
        folder.file.replaceWithText (text);

        {
            WyxBankCollectionImpl collection;
            collection.load (folder.file);
            EXPECT_EQ (collection.size(), 0);
            auto bank = createBank();
            collection.add (bank.get());
            collection.save();

            const auto aside = collection.getKeptAsideFolder();
            ASSERT_TRUE (aside.isDirectory());
            EXPECT_EQ (aside.getChildFile ("bankcollection.json").loadFileAsString(), juce::String (text));
            EXPECT_EQ (wavNamesIn (getSamplesFolder (aside)), juce::StringArray{"Stored.wav"});
        }

        EXPECT_EQ (countCollectionBanks (folder.file), 1);
    }
}

TEST (WyxBankCollectionSave, FailedWriteKeepsThePreviousFileAndDeletesNoSample)
{
    CollectionFolder folder;
    writeCollectionFile (folder.file, {"A", "B"}, true);
    const auto before = folder.file.loadFileAsString();
    WyxBankCollectionImpl collection;
    collection.load (folder.file);

    // Forgetting a stored SLOT's sample would let the clean-up delete it after the next save.
    // The collection hears of changes through its BANKs only.
    collection.getBank (1)->getSlotList().slots[0]->reset();
    collection.getBank (1)->setName ("B2");
    deliverPendingMessages();

    {
        JsonFileStore::ScopedWriteFailure failure;
        collection.save();
    }

    EXPECT_TRUE (collection.isDirty());
    EXPECT_EQ (folder.file.loadFileAsString(), before);
    EXPECT_TRUE (folder.samples.getChildFile ("B.wav").existsAsFile());
    EXPECT_EQ (folder.file.getParentDirectory().getNumberOfChildFiles (juce::File::findFiles, "*"), 1);

    collection.save();
    EXPECT_FALSE (folder.samples.getChildFile ("B.wav").exists());
    EXPECT_TRUE (folder.samples.getChildFile ("A.wav").existsAsFile());
}
} // namespace
