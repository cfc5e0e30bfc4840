#include "vantor/dataset/WyxBankImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/DataSetTestHelpers.h"
#include "vantor/dataset/SlotJsonKeys.h"

namespace
{
using namespace vantor::dataset;
using glorvak::test::ScratchFolder;
using glorvak::test::wavNamesIn;
using glorvak::test::writeWav;

// A BANK in the folder whose four SLOTs each hold a WAV named prefix0.wav .. prefix3.wav.
WyxBank::Ptr bankWithSamples (const juce::File& folder, const juce::String& prefix, const juce::String& name)
{
    juce::Array<juce::var> slots;

    for (int i = 0; i < 4; ++i)
    {
        const auto fileName = prefix + juce::String (i) + ".wav";
        writeWav (getSamplesFolder (folder).getChildFile (fileName), 100 * (i + 1));
        auto* slot = new juce::DynamicObject();
        slot->setProperty (slotkeys::fileName, fileName);
        slot->setProperty (slotkeys::slotName, prefix + juce::String (i));
        slot->setProperty (slotkeys::endSample, 100 * (i + 1));
        slots.add (juce::var (slot));
    }

    auto* object = new juce::DynamicObject();
    object->setProperty (bankkeys::bankName, name);
    object->setProperty (bankkeys::slot, slots);

    auto bank = createBank();
    bank->fromVar (juce::var (object), folder);
    return bank;
}

TEST (WyxBankJson, NewBankWritesItsNumberNameAndFourNumberedSlots)
{
    auto bank = createBank();
    const auto object = bank->toVar (0);

    EXPECT_EQ (glorvak::test::keysOf (object), (juce::StringArray{"bank_number", "bank_name", "slot"}));
    EXPECT_EQ ((int)object[bankkeys::bankNumber], 0);
    EXPECT_EQ (object[bankkeys::bankName].toString(), "");
    ASSERT_EQ (object[bankkeys::slot].size(), 4);

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ ((int)object[bankkeys::slot][i][slotkeys::slotNumber], i);
}

TEST (WyxBankJson, ReadsAsManySlotsAsThereAreUpToFour)
{
    ScratchFolder folder;

    for (const auto& [count, expectedNamed] : {std::pair{-1, 0}, std::pair{2, 2}, std::pair{6, 4}})
    {
        SCOPED_TRACE (count);
        auto* object = new juce::DynamicObject();
        object->setProperty (bankkeys::bankNumber, 9);
        object->setProperty (bankkeys::bankName, "B");

        if (count >= 0)
        {
            juce::Array<juce::var> slots;

            for (int i = 0; i < count; ++i)
                slots.add (juce::JSON::parse ("{\"slot_name\": \"s" + juce::String (i) + "\"}"));

            object->setProperty (bankkeys::slot, slots);
        }

        auto bank = createBank();
        bank->getSlotList().slots[3]->setName ("stale");
        bank->fromVar (juce::var (object), folder.get());

        EXPECT_EQ (bank->getName(), "B");
        EXPECT_EQ ((int)bank->toVar (0)[bankkeys::bankNumber], 0);

        for (int i = 0; i < 4; ++i)
            EXPECT_EQ (bank->getSlotList().slots[i]->getName().isNotEmpty(), i < expectedNamed);
    }
}

TEST (WyxBankJson, SwappedSlotsAreWrittenInTheirNewOrder)
{
    ScratchFolder folder;
    auto bank = bankWithSamples (folder.get(), "s", "B");
    bank->getSlotList().slots.swap (0, 3);
    bank->getSlotList().sendChangeMessage();

    const auto first = bank->toVar (0)[bankkeys::slot][0];
    EXPECT_EQ (first[slotkeys::slotName].toString(), "s3");
    EXPECT_EQ ((int)first[slotkeys::slotNumber], 0);
}

TEST (WyxBankFiles, ClearDeletesTheWavsResetKeepsThem)
{
    ScratchFolder folder;
    auto bank = bankWithSamples (folder.get(), "s", "B");
    const auto samples = getSamplesFolder (folder.get());

    bank->reset();
    EXPECT_EQ (wavNamesIn (samples).size(), 4);
    EXPECT_EQ (bank->getName(), "");

    bank = bankWithSamples (folder.get(), "s", "B");
    bank->setFolder (folder.get());
    EXPECT_EQ (wavNamesIn (samples).size(), 4);

    bank = bankWithSamples (folder.get(), "s", "B");
    bank->clear();
    EXPECT_EQ (wavNamesIn (samples).size(), 0);
    EXPECT_EQ (bank->getName(), "");
}

TEST (WyxBankCopy, CopiesNameAndAllFourSamplesIntoItsOwnFolder)
{
    ScratchFolder folder;
    auto source = bankWithSamples (folder.child ("collection"), "s", "Source");
    auto target = bankWithSamples (folder.child ("model"), "t", "Target");

    ASSERT_TRUE (target->copyFrom (source.get()));
    EXPECT_EQ (target->getName(), "Source");
    EXPECT_EQ (wavNamesIn (getSamplesFolder (folder.child ("model"))),
               (juce::StringArray{"s0.wav", "s1.wav", "s2.wav", "s3.wav"}));
    EXPECT_EQ (wavNamesIn (getSamplesFolder (folder.child ("collection"))).size(), 4);

    for (int i = 0; i < 4; ++i)
    {
        const auto* slot = target->getSlotList().slots[i].get();
        EXPECT_EQ (slot->getName(), "s" + juce::String (i));
        EXPECT_EQ (slot->getFileInfo().sampleCount, 100 * (i + 1));
        EXPECT_TRUE (slot->getFile().isAChildOf (folder.child ("model")));
    }
}

// The copy is staged: a SLOT whose WAV is gone stops it before the target changes at all.
TEST (WyxBankCopy, FailedCopyLeavesTheTargetAsItWas)
{
    ScratchFolder folder;
    auto source = bankWithSamples (folder.child ("collection"), "s", "Source");
    source->getSlotList().slots[2]->getFile().deleteFile();
    auto target = bankWithSamples (folder.child ("model"), "t", "Target");
    const auto before = juce::JSON::toString (target->toVar (0));

    EXPECT_FALSE (target->copyFrom (source.get()));
    EXPECT_FALSE (target->copyFrom (nullptr));
    EXPECT_EQ (juce::JSON::toString (target->toVar (0)), before);

    const auto samples = getSamplesFolder (folder.child ("model"));
    EXPECT_EQ (wavNamesIn (samples), (juce::StringArray{"t0.wav", "t1.wav", "t2.wav", "t3.wav"}));
    EXPECT_EQ (samples.getNumberOfChildFiles (juce::File::findFiles, "*"), 4);
}

TEST (WyxBankCopy, CopyWithinOneFolderGetsNewFilesBesideTheOld)
{
    ScratchFolder folder;
    auto first = bankWithSamples (folder.get(), "s", "First");
    auto second = createBank();
    second->setFolder (folder.get());

    ASSERT_TRUE (second->copyFrom (first.get()));
    EXPECT_EQ (wavNamesIn (getSamplesFolder (folder.get())).size(), 8);
    EXPECT_EQ (second->getSlotList().slots[0]->getFile().getFileName(), "s0(2).wav");
    EXPECT_TRUE (first->getSlotList().slots[0]->getFile().existsAsFile());
}

TEST (WyxBankCopy, TemporaryCopyHoldsFourWavsUntilReleased)
{
    ScratchFolder folder;
    auto bank = bankWithSamples (folder.get(), "s", "B");

    auto temporary = bank->cloneToTemp();
    ASSERT_NE (temporary, nullptr);
    const auto temporarySamples = getSamplesFolder (common::AppInfo::getTempFolder());
    juce::Array<juce::File> copies;

    for (auto* slot : temporary->getSlotList().slots)
    {
        EXPECT_EQ (slot->getFile().getParentDirectory(), temporarySamples);
        copies.add (slot->getFile());
    }

    temporary = nullptr;

    for (const auto& copy : copies)
        EXPECT_FALSE (copy.exists());

    EXPECT_EQ (wavNamesIn (getSamplesFolder (folder.get())).size(), 4);
}
} // namespace
