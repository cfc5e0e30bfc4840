#include "vantor/dataset/WyxDataSetImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/DataSetTestHelpers.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"

namespace
{
using namespace vantor::dataset;
using glorvak::test::pumpMessagesUntil;
using glorvak::test::wavNamesIn;
using glorvak::test::writeWav;

class WyxDataSetTest : public ::testing::Test
{
protected:
    void SetUp() override { dataFolder.deleteRecursively(); }
    void TearDown() override { dataFolder.deleteRecursively(); }

    const juce::File dataFolder = common::AppInfo::getUserDataFolder();
    const juce::File modelFile = getModelFile();
    const juce::File collectionFile = getBankCollectionFile();
};

TEST_F (WyxDataSetTest, FirstStartCreatesTheFoldersAtOnceAndBothFilesLater)
{
    EXPECT_EQ (modelFile, dataFolder.getChildFile ("model/model.json"));
    EXPECT_EQ (collectionFile, dataFolder.getChildFile ("bankcollection/bankcollection.json"));

    WyxDataSetImpl dataSet;
    EXPECT_TRUE (dataFolder.isDirectory());
    EXPECT_TRUE (modelFile.getParentDirectory().isDirectory());
    EXPECT_TRUE (collectionFile.getParentDirectory().isDirectory());
    EXPECT_FALSE (modelFile.exists());

    ASSERT_TRUE (
        pumpMessagesUntil ([&] { return modelFile.existsAsFile() && collectionFile.existsAsFile(); }, 15000));
    EXPECT_EQ (glorvak::test::readJson (modelFile)[modelkeys::bank].size(), 15);
    EXPECT_EQ (countCollectionBanks(), 0);
}

// Through the real start-up and its autosave: damaged files are kept with every WAV they name.
TEST_F (WyxDataSetTest, DamagedFilesSurviveStartUpWithAllTheirWavs)
{
    const auto modelSamples = getSamplesFolder (modelFile.getParentDirectory());
    const auto collectionSamples = getSamplesFolder (collectionFile.getParentDirectory());
    writeWav (modelSamples.getChildFile ("ModelKick.wav"), 10);
    writeWav (modelSamples.getChildFile ("ModelSnare.wav"), 10);
    writeWav (collectionSamples.getChildFile ("StoredPad.wav"), 10);
    modelFile.replaceWithText (R"({"favorite": 2})");
    collectionFile.replaceWithText (R"({"bankcollection": [{"bank_name": "cut off)");

    {
        WyxDataSetImpl dataSet;
        auto* model = dynamic_cast<WyxModelImpl*> (dataSet.getModel());
        ASSERT_NE (model, nullptr);
        model->getBankList().banks[0]->setName ("fresh");
        auto bank = createBank();
        dataSet.getBankCollection()->add (bank.get());

        ASSERT_TRUE (pumpMessagesUntil (
            [&]
            {
                return !model->isDirty() &&
                       !dynamic_cast<WyxBankCollectionImpl*> (dataSet.getBankCollection())->isDirty();
            },
            8000));
    }

    const auto findKept = [] (const juce::File& folder)
    { return folder.findChildFiles (juce::File::findDirectories, false, "damaged-*"); };

    const auto keptModel = findKept (modelFile.getParentDirectory());
    ASSERT_EQ (keptModel.size(), 1);
    EXPECT_EQ (keptModel[0].getChildFile ("model.json").loadFileAsString(), R"({"favorite": 2})");
    EXPECT_EQ (wavNamesIn (getSamplesFolder (keptModel[0])),
               (juce::StringArray{"ModelKick.wav", "ModelSnare.wav"}));

    const auto keptCollection = findKept (collectionFile.getParentDirectory());
    ASSERT_EQ (keptCollection.size(), 1);
    EXPECT_EQ (wavNamesIn (getSamplesFolder (keptCollection[0])), juce::StringArray{"StoredPad.wav"});

    EXPECT_EQ (glorvak::test::readJson (modelFile)[modelkeys::bank][0][bankkeys::bankName].toString(),
               "fresh");
    EXPECT_EQ (countCollectionBanks(), 1);
}

TEST_F (WyxDataSetTest, ObjectsStayTheSameAcrossAReload)
{
    WyxDataSetImpl dataSet;
    auto* model = dataSet.getModel();
    auto* collection = dataSet.getBankCollection();
    auto* clipboard = dataSet.getClipboard();
    auto* firstBank = model->getBankList().banks[0].get();

    dataSet.load();
    EXPECT_EQ (dataSet.getModel(), model);
    EXPECT_EQ (dataSet.getBankCollection(), collection);
    EXPECT_EQ (dataSet.getClipboard(), clipboard);
    EXPECT_EQ (model->getBankList().banks[0].get(), firstBank);
}

TEST_F (WyxDataSetTest, PostedReloadReadsTheFilesAgainAndIsDroppedWithTheDataSet)
{
    auto dataSet = std::make_unique<WyxDataSetImpl>();
    modelFile.replaceWithText (R"({"favorite": 9, "bank": [{"bank_name": "from disk"}]})");

    dataSet->postReload();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return dataSet->getModel()->getFavoriteBank() == 9; }));
    EXPECT_EQ (dataSet->getModel()->getBankList().banks[0]->getName(), "from disk");

    // A reload still in the queue when the data set goes must find nothing to call.
    dataSet->postReload();
    dataSet.reset();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
}

TEST_F (WyxDataSetTest, DestructionSavesAndReleasesTheClipboardCopy)
{
    juce::File clipboardWav;

    {
        WyxDataSetImpl dataSet;
        auto* slot = dataSet.getModel()->getBankList().banks[0]->getSlotList().slots[0].get();
        writeWav (getSamplesFolder (modelFile.getParentDirectory()).getChildFile ("Clip.wav"), 10);
        slot->fromVar (juce::JSON::parse (R"({"file_name": "Clip.wav", "slot_name": "clip"})"),
                       modelFile.getParentDirectory());

        dataSet.getClipboard()->content = slot->cloneToTemp().get();
        auto* copy = dynamic_cast<WyxSlot*> (dataSet.getClipboard()->content.get());
        ASSERT_NE (copy, nullptr);
        clipboardWav = copy->getFile();
        EXPECT_TRUE (clipboardWav.isAChildOf (common::AppInfo::getTempFolder()));
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    }

    EXPECT_FALSE (clipboardWav.exists());
    EXPECT_EQ (
        glorvak::test::readJson (modelFile)[modelkeys::bank][0][bankkeys::slot][0]["slot_name"].toString(),
        "clip");
    EXPECT_TRUE (getSamplesFolder (modelFile.getParentDirectory()).getChildFile ("Clip.wav").existsAsFile());
}

TEST (ErrorKinds, AreTheFiveTextsComparedByValue)
{
    EXPECT_EQ (errorkind::unspecified, "unspecified");
    EXPECT_EQ (errorkind::copy, "copy");
    EXPECT_EQ (errorkind::notFound, "notfound");
    EXPECT_EQ (errorkind::invalidFormat, "invalidformat");
    EXPECT_EQ (errorkind::cancelled, ErrorKind ("cancelled"));
    EXPECT_TRUE (ErrorKind().isEmpty());
}
} // namespace
