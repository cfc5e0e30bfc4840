#include "vantor/service/ServiceFixture.h"

#include "common/AppInfo.h"

namespace
{
using namespace glorvak::test;
using vantor::service::ISendErrorMessage;

constexpr int error = ISendErrorMessage::error;
constexpr int notice = ISendErrorMessage::notice;

using VantorServiceBanks = ServiceFixture;

vantor::dataset::WyxBankCollection& collectionOf (vantor::service::VantorService& service)
{
    return *service.getDataSet().getBankCollection();
}

juce::StringArray itemNames (const vantor::browse::BrowseViewModel& browse)
{
    juce::StringArray names;

    for (const auto& item : browse.getItems())
        names.add (item.name);

    return names;
}

juce::StringArray storedNames (vantor::dataset::WyxBankCollection& collection)
{
    juce::StringArray names;

    for (int i = 0; i < collection.size(); ++i)
        names.add (collection.getBank (i)->getName());

    return names;
}

//==============================================================================
TEST_F (VantorServiceBanks, StoringKeepsTheSixteenSecondBudget)
{
    fillSlot (0, 0, 8.0, "a");
    fillSlot (0, 3, 8.0, "b");
    modelBank (0).setName ("exact");
    fillSlot (1, 2, 16.001, "c");
    modelBank (1).setName ("over");

    EXPECT_TRUE (service->saveBankToCollection (0, -1, {}));
    expectNoMessage();
    EXPECT_EQ (itemNames (*browse), juce::StringArray ("exact"));
    EXPECT_NEAR (browse->getItems()[0].seconds, 16.0, 1.0e-9);
    EXPECT_EQ (browseRecorder.selected, std::vector<int>{0});

    // Too long, whether appended or replacing a stored BANK.
    EXPECT_FALSE (service->saveBankToCollection (1, -1, {}));
    expectOneMessage (MessageCode::bankTooLong, error);
    EXPECT_FALSE (service->saveBankToCollection (1, 0, {}));
    expectOneMessage (MessageCode::bankTooLong, error);
    EXPECT_EQ (storedNames (collectionOf (*service)), juce::StringArray ("exact"));

    // Exactly 16 s of frames in four SLOTs, whose seconds add up to a hair above 16.0 in double.
    const double quarters[] = {4.889, 3.580, 4.844, 2.687};

    for (int i = 0; i < 4; ++i)
        fillSlot (2, i, quarters[i], "q" + juce::String (i));

    modelBank (2).setName ("exact in four");
    EXPECT_TRUE (service->saveBankToCollection (2, -1, {}));
    expectNoMessage();
    EXPECT_EQ (storedNames (collectionOf (*service)), juce::StringArray ("exact", "exact in four"));

    // One frame more is too long.
    fillSlot (2, 3, 2.687 + 1.0 / rate, "q3");
    EXPECT_FALSE (service->saveBankToCollection (2, -1, {}));
    expectOneMessage (MessageCode::bankTooLong, error);
    ASSERT_TRUE (service->deleteCollectionBank (1));

    // Replacing with a BANK within the budget.
    fillSlot (1, 2, 2.0, "c");
    EXPECT_TRUE (service->saveBankToCollection (1, 0, {}));
    expectNoMessage();
    EXPECT_EQ (storedNames (collectionOf (*service)), juce::StringArray ("over"));
    EXPECT_EQ (itemNames (*browse), juce::StringArray ("over"));
    EXPECT_NEAR (browse->getItems()[0].seconds, 2.0, 1.0e-9);
}

TEST_F (VantorServiceBanks, AHundredStoredBanksRefuseAnotherButAcceptAReplacement)
{
    auto& collection = collectionOf (*service);

    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE (service->saveBankToCollection (3, -1, "stored " + juce::String (i)));

    expectNoMessage();
    ASSERT_EQ (collection.size(), 100);
    EXPECT_EQ (browse->getItems().size(), 100u);
    EXPECT_EQ (browse->getItems()[99].name, "stored 99");

    EXPECT_FALSE (service->saveBankToCollection (3, -1, "one more"));
    expectOneMessage (MessageCode::collectionFull, error);
    EXPECT_EQ (collection.size(), 100);

    fillSlot (0, 1, 1.0, "kick");
    modelBank (0).setName ("replacement");
    EXPECT_TRUE (service->saveBankToCollection (0, 42, {}));
    expectNoMessage();
    EXPECT_EQ (collection.size(), 100);
    EXPECT_EQ (collection.getBank (42)->getName(), "replacement");
    EXPECT_EQ (collection.getBank (41)->getName(), "stored 41");
    EXPECT_EQ (collection.getBank (43)->getName(), "stored 43");
    EXPECT_EQ (browse->getItems()[42].name, "replacement");
    EXPECT_TRUE (collection.getBank (42)->getSlotList()[1]->getFile().existsAsFile());
    EXPECT_EQ (browseRecorder.selected.back(), 42);
}

TEST_F (VantorServiceBanks, StoringNeedsEverySlotFile)
{
    fillSlot (0, 0, 0.5, "a");
    fillSlot (0, 1, 0.5, "b");
    fillSlot (0, 3, 0.5, "d"); // SLOT 2 stays empty

    EXPECT_TRUE (service->saveBankToCollection (0, -1, "three of four"));
    expectNoMessage();

    ASSERT_TRUE (modelSlot (0, 1).getFile().deleteFile());
    EXPECT_FALSE (service->saveBankToCollection (0, -1, "broken"));
    expectOneMessage (MessageCode::fileMissing, error);
    EXPECT_EQ (storedNames (collectionOf (*service)), juce::StringArray ("three of four"));
}

TEST_F (VantorServiceBanks, AFailedReplacementKeepsTheStoredBank)
{
    fillSlot (0, 0, 0.5, "keep me");
    modelBank (0).setName ("original");
    ASSERT_TRUE (service->saveBankToCollection (0, -1, {}));

    auto stored = collectionOf (*service).getBank (0);
    const auto storedFile = stored->getSlotList()[0]->getFile();
    ASSERT_TRUE (storedFile.existsAsFile());

    // The new copy cannot be made: its SLOT file is gone.
    fillSlot (1, 0, 0.5, "vanishing");
    modelBank (1).setName ("newer");
    ASSERT_TRUE (modelSlot (1, 0).getFile().deleteFile());

    EXPECT_FALSE (service->saveBankToCollection (1, 0, {}));
    expectOneMessage (MessageCode::fileMissing, error);

    ASSERT_EQ (collectionOf (*service).size(), 1);
    EXPECT_EQ (collectionOf (*service).getBank (0)->getName(), "original");
    EXPECT_TRUE (storedFile.existsAsFile());
    EXPECT_EQ (itemNames (*browse), juce::StringArray ("original"));
}

TEST_F (VantorServiceBanks, AppendingStoresTheGivenNameUncut)
{
    modelBank (5).setName ("own");
    const auto longName = juce::String::repeatedString ("L", 60);

    EXPECT_TRUE (service->saveBankToCollection (5, -1, {}));
    EXPECT_TRUE (service->saveBankToCollection (5, -1, longName));
    expectNoMessage();
    EXPECT_EQ (storedNames (collectionOf (*service)), juce::StringArray ("own", longName));
    EXPECT_EQ (modelBank (5).getName(), "own");

    EXPECT_FALSE (service->saveBankToCollection (15, -1, {}));
    EXPECT_FALSE (service->saveBankToCollection (-1, -1, {}));
}

TEST_F (VantorServiceBanks, MovingStoredBanks)
{
    struct Case
    {
        int from, to;
        bool expected;
        const char* order;
        int selected;
    };

    const Case cases[] = {
        {3, 3, false, "0 1 2 3 4 5", -1}, {3, 4, false, "0 1 2 3 4 5", -1},  {3, 0, true, "3 0 1 2 4 5", 0},
        {0, 5, true, "1 2 3 4 0 5", 4},   {0, 6, true, "1 2 3 4 5 0", 5},    {6, 0, false, "0 1 2 3 4 5", -1},
        {0, 7, false, "0 1 2 3 4 5", -1}, {-1, 0, false, "0 1 2 3 4 5", -1},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.from) + " to " + juce::String (c.to));
        auto& collection = collectionOf (*service);

        while (collection.size() > 0)
            ASSERT_TRUE (service->deleteCollectionBank (0));

        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE (service->saveBankToCollection (3, -1, juce::String (i)));

        browseRecorder.selected.clear();
        EXPECT_EQ (service->moveCollectionBank (c.from, c.to), c.expected);

        const auto order = juce::StringArray::fromTokens (c.order, false);
        EXPECT_EQ (storedNames (collection), order);
        EXPECT_EQ (itemNames (*browse), order);
        EXPECT_EQ (browseRecorder.selected,
                   c.selected < 0 ? std::vector<int>() : std::vector<int>{c.selected});
    }
}

TEST_F (VantorServiceBanks, DeletingAndRenamingStoredBanks)
{
    for (const auto* name : {"a", "b", "c"})
        ASSERT_TRUE (service->saveBankToCollection (2, -1, name));

    EXPECT_TRUE (service->deleteCollectionBank (1));
    EXPECT_FALSE (service->deleteCollectionBank (2));
    EXPECT_EQ (itemNames (*browse), juce::StringArray ("a", "c"));

    const auto fifty = juce::String::repeatedString ("r", 50);
    EXPECT_TRUE (service->renameCollectionBank (1, fifty));
    expectNoMessage();
    EXPECT_TRUE (service->renameCollectionBank (1, fifty + "s"));
    expectOneMessage (MessageCode::textTruncated, notice);
    EXPECT_EQ (collectionOf (*service).getBank (1)->getName(), fifty);
    EXPECT_EQ (browse->getItems()[1].name, fifty);
    EXPECT_FALSE (service->renameCollectionBank (2, "x"));
}

TEST_F (VantorServiceBanks, LoadingAStoredBankFillsTheModelAndTheViews)
{
    fillSlot (6, 2, 1.5, "stored kick", 12000);
    modelBank (6).setName ("drums");
    ASSERT_TRUE (service->saveBankToCollection (6, -1, {}));
    ASSERT_TRUE (service->selectSlot (2));
    detailRecorder.changes = 0;

    EXPECT_TRUE (service->assignCollectionBank (0, 4, "drums(2)"));
    expectNoMessage();

    EXPECT_EQ (modelBank (4).getName(), "drums(2)");
    EXPECT_EQ (banks->getRow (4).name, "drums(2)");
    EXPECT_NEAR (banks->getRow (4).totalSeconds, 1.5, 1.0e-9);
    EXPECT_EQ (banks->getCurrentBank(), 4);
    EXPECT_EQ (slots->getRow (2).name, "stored kick");
    EXPECT_TRUE (pads->getPad (2).audioFile.existsAsFile());
    EXPECT_NE (pads->getPad (2).audioFile, modelSlot (6, 2).getFile());
    EXPECT_EQ (detail->getState().slotIndex, 2);
    EXPECT_DOUBLE_EQ (detail->getState().bpm, 120.0);
    EXPECT_EQ (detailRecorder.changes, 1);
    EXPECT_TRUE (detailRecorder.audioFileChanged);

    // A stored BANK whose file went missing is not loaded.
    ASSERT_TRUE (collectionOf (*service).getBank (0)->getSlotList()[2]->getFile().deleteFile());
    EXPECT_FALSE (service->assignCollectionBank (0, 7, {}));
    expectOneMessage (MessageCode::fileMissing, error);
    EXPECT_EQ (modelBank (7).getSlotList()[2]->getFile(), juce::File());
    EXPECT_EQ (banks->getCurrentBank(), 4);

    EXPECT_FALSE (service->assignCollectionBank (1, 7, {}));
    EXPECT_FALSE (service->assignCollectionBank (0, 15, {}));
    expectNoMessage();
}

TEST_F (VantorServiceBanks, FavouriteSelectionAndSwap)
{
    fillSlot (4, 2, 0.5, "four-two");
    fillSlot (5, 0, 0.75, "five");
    ASSERT_TRUE (service->selectSlot (2));

    EXPECT_TRUE (service->setFavoriteBank (0));
    EXPECT_EQ (service->getDataSet().getModel()->getFavoriteBank(), 0);
    EXPECT_FALSE (service->setFavoriteBank (15));

    // The favourite stays with its row; the BANK now at 5 becomes current.
    EXPECT_TRUE (service->swapBanks (0, 5));
    EXPECT_EQ (banks->getFavoriteBank(), 0);
    EXPECT_EQ (service->getDataSet().getModel()->getFavoriteBank(), 0);
    EXPECT_EQ (banks->getCurrentBank(), 5);
    EXPECT_EQ (modelSlot (0, 0).getName(), "five");
    EXPECT_NEAR (banks->getRow (0).totalSeconds, 0.75, 1.0e-9);
    EXPECT_NEAR (banks->getRow (5).totalSeconds, 0.0, 1.0e-9);

    // Selecting BANK 4 keeps SLOT 2 selected and shows BANK 4's SLOT 2.
    EXPECT_TRUE (service->selectBank (4));
    EXPECT_EQ (banks->getCurrentBank(), 4);
    EXPECT_EQ (slots->getSelectedSlot(), 2);
    EXPECT_EQ (slots->getRow (2).name, "four-two");
    EXPECT_EQ (detail->getState().audioFile, modelSlot (4, 2).getFile());

    // Swapping two other BANKs makes one of them current: the SLOT views follow it.
    EXPECT_TRUE (service->swapBanks (4, 0));
    EXPECT_EQ (banks->getCurrentBank(), 0);
    EXPECT_EQ (slots->getRow (2).name, "four-two");
    EXPECT_TRUE (service->swapBanks (5, 1));
    EXPECT_EQ (banks->getCurrentBank(), 1);
    EXPECT_EQ (slots->getRow (2).name, juce::String());
    EXPECT_EQ (detail->getState().audioFile, juce::File());

    EXPECT_FALSE (service->selectBank (15));
    EXPECT_FALSE (service->swapBanks (0, 15));
    expectNoMessage();
}

TEST_F (VantorServiceBanks, ClearingABankEmptiesItsRowsAndFiles)
{
    fillSlot (0, 1, 0.5, "current");
    fillSlot (3, 1, 0.5, "other");
    const auto otherFile = modelSlot (3, 1).getFile();
    ASSERT_TRUE (service->selectBank (0));
    ASSERT_TRUE (service->selectSlot (1));

    // Another BANK: its row empties, the SLOT views keep showing the current BANK.
    EXPECT_TRUE (service->clearBank (3));
    EXPECT_TRUE (otherFile.existsAsFile()) << "the saved model still names it";
    saveModel();
    EXPECT_FALSE (otherFile.existsAsFile());
    EXPECT_NEAR (banks->getRow (3).totalSeconds, 0.0, 1.0e-9);
    EXPECT_EQ (slots->getRow (1).name, "current");
    EXPECT_EQ (detail->getState().audioFile, modelSlot (0, 1).getFile());

    EXPECT_TRUE (service->clearBank (0));
    EXPECT_FALSE (slots->getRow (1).hasAudio);
    EXPECT_EQ (pads->getPad (1).audioFile, juce::File());
    EXPECT_EQ (detail->getState().audioFile, juce::File());
    EXPECT_FALSE (service->clearBank (-3));
}

TEST_F (VantorServiceBanks, RenamingABankCutsAtFiftyCharacters)
{
    const auto fifty = juce::String::repeatedString ("b", 50);

    EXPECT_TRUE (service->renameBank (9, fifty));
    expectNoMessage();
    EXPECT_TRUE (service->renameBank (9, fifty + "!"));
    expectOneMessage (MessageCode::textTruncated, notice);
    EXPECT_EQ (modelBank (9).getName(), fifty);
    EXPECT_EQ (banks->getRow (9).name, fifty);
    EXPECT_FALSE (service->renameBank (15, "x"));
}

//==============================================================================
TEST_F (VantorServiceBanks, ClipboardObserversHearOfEveryNewClip)
{
    ClipboardRecorder first, second;
    service->addClipboardObserver (&first);
    service->addClipboardObserver (&first);
    service->addClipboardObserver (nullptr);

    ASSERT_EQ (first.seen.size(), 2u);
    EXPECT_EQ (first.seen[0], (ClipboardInfo{ClipboardInfo::empty, {}}));

    fillSlot (0, 0, 0.5, "snare");
    modelBank (1).setName ("grooves");

    EXPECT_TRUE (service->copySlot (0));
    service->addClipboardObserver (&second);
    EXPECT_EQ (second.seen.back(), (ClipboardInfo{ClipboardInfo::slot, "snare"}));

    EXPECT_TRUE (service->copyBank (1));
    modelBank (1).setName ("renamed later");

    const ClipboardInfo bankClip{ClipboardInfo::bank, "grooves"};
    EXPECT_EQ (first.seen.back(), bankClip);
    EXPECT_EQ (second.seen.back(), bankClip);
    EXPECT_EQ (first.seen.size(), 4u); // registered twice, told once each time
    EXPECT_EQ (service->getClipboardInfo(), bankClip);

    service->removeClipboardObserver (&first);
    service->removeClipboardObserver (&second);
    expectNoMessage();
}

TEST_F (VantorServiceBanks, CopiedSlotsPasteAsIndependentCopies)
{
    fillAndSelect (0, 3, 0.5, "clap", 11000);
    modelSlot (0, 3).setLoop (true);

    ASSERT_TRUE (service->copySlot (3));
    auto* clip = dynamic_cast<WyxSlot*> (service->getDataSet().getClipboard()->content.get());
    ASSERT_NE (clip, nullptr);
    EXPECT_TRUE (clip->getFile().isAChildOf (common::AppInfo::getTempFolder()));
    EXPECT_TRUE (clip->getFile().existsAsFile());

    EXPECT_TRUE (service->pasteSlot (0));
    EXPECT_TRUE (service->pasteSlot (2));
    expectNoMessage();

    const auto first = modelSlot (0, 0).getFile();
    const auto second = modelSlot (0, 2).getFile();
    EXPECT_TRUE (first.existsAsFile());
    EXPECT_TRUE (second.existsAsFile());
    EXPECT_NE (first, second);
    EXPECT_NE (first, modelSlot (0, 3).getFile());
    EXPECT_EQ (modelSlot (0, 0).getName(), "clap");
    EXPECT_FALSE (modelSlot (0, 0).isLoop()); // SLOTs 0 and 1 play one-shot
    EXPECT_TRUE (modelSlot (0, 2).isLoop());
    EXPECT_EQ (slots->getRow (0).name, "clap");
    EXPECT_EQ (pads->getPad (2).audioFile, second);
    EXPECT_NEAR (banks->getRow (0).totalSeconds, 1.5, 1.0e-9);

    // One copy changes alone.
    ASSERT_TRUE (service->clearSlot (0));
    saveModel();
    EXPECT_FALSE (first.existsAsFile());
    EXPECT_TRUE (second.existsAsFile());
    EXPECT_TRUE (clip->getFile().existsAsFile());

    // A SLOT clip is not a BANK clip.
    EXPECT_FALSE (service->pasteBank (5, {}));
    expectNoMessage();
}

TEST_F (VantorServiceBanks, CutMovesASlotThroughTheClipboard)
{
    fillAndSelect (0, 1, 0.5, "ride", 13000);
    const auto original = modelSlot (0, 1).getFile();
    ClipboardRecorder observer;
    service->addClipboardObserver (&observer);

    EXPECT_TRUE (service->cutSlot (1));
    EXPECT_EQ (observer.seen.back(), (ClipboardInfo{ClipboardInfo::slot, "ride"}));
    EXPECT_EQ (modelSlot (0, 1).getFile(), juce::File());
    saveModel();
    EXPECT_FALSE (original.existsAsFile());
    EXPECT_FALSE (slots->getRow (1).hasAudio);
    EXPECT_EQ (detail->getState().audioFile, juce::File());
    EXPECT_NEAR (banks->getRow (0).totalSeconds, 0.0, 1.0e-9);

    EXPECT_TRUE (service->pasteSlot (3));
    EXPECT_EQ (modelSlot (0, 3).getName(), "ride");
    EXPECT_EQ (modelSlot (0, 3).getBpm(), 13000);
    EXPECT_TRUE (modelSlot (0, 3).getFile().existsAsFile());
    EXPECT_NEAR (banks->getRow (0).totalSeconds, 0.5, 1.0e-9);

    service->removeClipboardObserver (&observer);
    expectNoMessage();
}

TEST_F (VantorServiceBanks, AFailedSlotCopyKeepsTheClipboard)
{
    modelBank (2).setName ("kept");
    ASSERT_TRUE (service->copyBank (2));
    ClipboardRecorder observer;
    service->addClipboardObserver (&observer);

    fillSlot (0, 0, 0.5, "gone");
    ASSERT_TRUE (modelSlot (0, 0).getFile().deleteFile());

    EXPECT_FALSE (service->copySlot (0));
    expectOneMessage (MessageCode::fileMissing, error);
    EXPECT_FALSE (service->cutSlot (0));
    expectOneMessage (MessageCode::fileMissing, error);

    EXPECT_EQ (service->getClipboardInfo(), (ClipboardInfo{ClipboardInfo::bank, "kept"}));
    EXPECT_EQ (observer.seen.size(), 1u);
    EXPECT_NE (dynamic_cast<WyxBank*> (service->getDataSet().getClipboard()->content.get()), nullptr);
    EXPECT_EQ (modelSlot (0, 0).getName(), "gone"); // the failed cut left the SLOT alone

    // A BANK clip is not a SLOT clip.
    EXPECT_FALSE (service->pasteSlot (1));
    expectNoMessage();
    service->removeClipboardObserver (&observer);
}

TEST_F (VantorServiceBanks, CopiedBanksPasteAsIndependentCopies)
{
    fillSlot (0, 0, 0.5, "one");
    fillSlot (0, 2, 0.25, "three");
    modelBank (0).setName ("kit");
    ASSERT_TRUE (service->selectSlot (2));

    ASSERT_TRUE (service->copyBank (0));
    EXPECT_TRUE (service->pasteBank (2, {}));
    EXPECT_TRUE (service->pasteBank (7, "kit(2)"));
    expectNoMessage();

    EXPECT_EQ (modelBank (2).getName(), "kit");
    EXPECT_EQ (modelBank (7).getName(), "kit(2)");
    EXPECT_EQ (banks->getRow (7).name, "kit(2)");
    EXPECT_NEAR (banks->getRow (7).totalSeconds, 0.75, 1.0e-9);

    const auto a = modelBank (2).getSlotList()[0]->getFile();
    const auto b = modelBank (7).getSlotList()[0]->getFile();
    EXPECT_TRUE (a.existsAsFile());
    EXPECT_TRUE (b.existsAsFile());
    EXPECT_NE (a, b);
    EXPECT_NE (a, modelSlot (0, 0).getFile());

    ASSERT_TRUE (service->clearBank (2));
    EXPECT_TRUE (b.existsAsFile());

    // Pasting onto the current BANK refreshes the SLOT views.
    EXPECT_TRUE (service->clearBank (0));
    EXPECT_TRUE (service->pasteBank (0, {}));
    EXPECT_EQ (slots->getRow (2).name, "three");
    EXPECT_EQ (detail->getState().audioFile, modelSlot (0, 2).getFile());
    EXPECT_FALSE (service->pasteBank (15, {}));
}

TEST_F (VantorServiceBanks, RefreshReloadsEveryViewModel)
{
    fillSlot (0, 0, 0.5, "x");
    ASSERT_TRUE (service->saveBankToCollection (0, -1, "kept"));
    modelBank (0).setName ("quiet change");
    const auto listChanges = browseRecorder.listChanges;

    service->refreshAll (false);
    EXPECT_EQ (banks->getRow (0).name, "quiet change");
    EXPECT_EQ (browseRecorder.listChanges, listChanges);
    EXPECT_EQ (detailRecorder.reloads, 1);

    service->refreshAll (true);
    EXPECT_EQ (browseRecorder.listChanges, listChanges + 1);
    EXPECT_EQ (detailRecorder.reloads, 2);
}
} // namespace

namespace
{
TEST (VantorServiceWholeSet, ResultKindsBecomeMessageCodes)
{
    const std::pair<const char*, int> cases[] = {
        {"unspecified", MessageCode::generalError},  {"copy", MessageCode::copyFailed},
        {"notfound", MessageCode::fileMissing},      {"invalidformat", MessageCode::unsupportedFormat},
        {"disk on fire", MessageCode::generalError},
    };

    for (const auto& [kind, code] : cases)
        EXPECT_EQ (vantor::service::VantorService::toMessageCode (kind), code) << kind;
}
} // namespace

namespace
{
// Any object with the message manager's post: the service posts through it.
struct FakeMessageManager
{
    void post (const juce::String& text, int kind) { posted.push_back ({text, kind}); }
    std::vector<PostedMessage> posted;
};

TEST_F (VantorServiceBanks, MessagesNeedBothThePosterAndTheResolver)
{
    FakeMessageManager manager;
    service->setMessageManager (&manager);
    const auto longName = juce::String::repeatedString ("m", 51);

    EXPECT_TRUE (service->renameBank (0, longName));
    ASSERT_EQ (manager.posted.size(), 1u);
    EXPECT_EQ (manager.posted[0].text, "Maximum character count exceeded. Text has been truncated.");
    EXPECT_EQ (manager.posted[0].kind, 1);

    service->setMessageResolver (nullptr);
    EXPECT_TRUE (service->renameBank (1, longName));
    EXPECT_EQ (manager.posted.size(), 1u);

    service->setMessageResolver (&resolver);
    service->setMessageManager<FakeMessageManager> (nullptr);
    EXPECT_TRUE (service->renameBank (2, longName));
    EXPECT_EQ (modelBank (2).getName().length(), 50);
    EXPECT_EQ (manager.posted.size(), 1u);
    expectNoMessage();
}
} // namespace
