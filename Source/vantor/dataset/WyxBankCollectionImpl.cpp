#include "vantor/dataset/WyxBankCollectionImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/SlotJsonKeys.h"

namespace vantor::dataset
{
juce::File getBankCollectionFile()
{
    return common::AppInfo::getUserDataFolder()
        .getChildFile (collectionkeys::folderName)
        .getChildFile (collectionkeys::fileName);
}

int countCollectionBanks (const juce::File& file)
{
    const auto stored = JsonFileStore::read (file, collectionkeys::bankCollection);

    if (stored.status != JsonFileStore::ReadStatus::ok)
        return 0;

    return stored.root.getProperty (collectionkeys::bankCollection, {}).size();
}

int countCollectionBanks()
{
    return countCollectionBanks (getBankCollectionFile());
}

std::unique_ptr<WyxBankCollection> createBankCollection()
{
    return std::make_unique<WyxBankCollectionImpl>();
}

WyxBankCollectionImpl::WyxBankCollectionImpl() = default;

WyxBankCollectionImpl::~WyxBankCollectionImpl()
{
    save();
    releaseAll();
}

void WyxBankCollectionImpl::releaseAll()
{
    for (auto* bank : banks)
        bank->removeChangeListener (this);

    banks.clear();
}

WyxBank::Ptr WyxBankCollectionImpl::getBank (int index) const
{
    return juce::isPositiveAndBelow (index, banks.size()) ? banks[index] : nullptr;
}

int WyxBankCollectionImpl::indexOf (const WyxBank* bank) const
{
    return banks.indexOf (const_cast<WyxBank*> (bank));
}

void WyxBankCollectionImpl::changed()
{
    autosave.markDirty();
    sendChangeMessage();
}

void WyxBankCollectionImpl::changeListenerCallback (juce::ChangeBroadcaster*)
{
    changed();
}

void WyxBankCollectionImpl::swap (int a, int b)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (juce::isPositiveAndBelow (a, banks.size()) && juce::isPositiveAndBelow (b, banks.size()))
        banks.swap (a, b);

    changed();
}

void WyxBankCollectionImpl::move (int from, int to)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (from != to && juce::isPositiveAndBelow (from, banks.size()))
    {
        if (!juce::isPositiveAndBelow (to, banks.size()))
            to = banks.size() - 1;

        banks.move (from, to);
    }

    changed();
}

void WyxBankCollectionImpl::remove (int index)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (juce::isPositiveAndBelow (index, banks.size()))
    {
        WyxBank::Ptr bank = banks[index];
        banks.remove (index);
        bank->removeChangeListener (this);
        bank->clear();
    }

    changed();
}

WyxBank::Ptr WyxBankCollectionImpl::add (const WyxBank* bank)
{
    return insert (-1, bank);
}

WyxBank::Ptr WyxBankCollectionImpl::insert (int index, const WyxBank* bank)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bank == nullptr || banks.size() >= maxBanks)
        return nullptr;

    auto copy = bank->clone (getFolder());

    if (copy == nullptr)
        return nullptr;

    if (juce::isPositiveAndBelow (index, banks.size()))
        banks.insert (index, copy);
    else
        banks.add (copy);

    copy->addChangeListener (this);
    changed();
    return copy;
}

void WyxBankCollectionImpl::clear()
{
    JUCE_ASSERT_MESSAGE_THREAD

    for (auto* bank : banks)
    {
        bank->removeChangeListener (this);
        bank->clear();
    }

    banks.clear();
    changed();
}

juce::String WyxBankCollectionImpl::load (const juce::File& newCollectionFile)
{
    JUCE_ASSERT_MESSAGE_THREAD
    autosave.close();
    releaseAll();
    sendChangeMessage();

    // A damaged file has gone aside and the collection starts empty.
    const auto stored = autosave.open (newCollectionFile, collectionkeys::bankCollection);
    const auto folder = getFolder();

    if (stored.status == JsonFileStore::ReadStatus::ok)
    {
        const auto* bankObjects = stored.root[collectionkeys::bankCollection].getArray();

        for (const auto& bankObject : *bankObjects)
        {
            if (banks.size() >= maxBanks)
                break;

            // Nobody listens while the new BANK fills, so loading leaves the collection clean.
            auto bank = createBank();
            bank->fromVar (bankObject, folder);
            banks.add (bank);
            bank->addChangeListener (this);
        }

        // Once the surplus is kept, the file is written with the hundred so that the next start
        // does not keep it again; a surplus that could not be kept blocks writing instead.
        if (bankObjects->size() > maxBanks)
        {
            if (keepOverflowAside (*bankObjects))
                autosave.markDirty();
            else
                autosave.blockWriting();
        }
    }

    sendChangeMessage();
    return {};
}

bool WyxBankCollectionImpl::keepOverflowAside (const juce::Array<juce::var>& bankObjects)
{
    // The collection holds 100 BANKs; entries beyond them (a file written by hand or by another
    // program) would vanish with the next save, and their samples with the clean-up. A copy of
    // the whole file and of the samples only those entries name stays in a folder of its own.
    const auto aside = JsonFileStore::createAsideFolder (getFolder(), "overflow");

    if (aside == juce::File())
        return false;

    const auto& collectionFile = autosave.getFile();
    const auto samplesFolder = getSamplesFolder (getFolder());
    const auto asideSamples = getSamplesFolder (aside);

    if (!collectionFile.copyFileTo (aside.getChildFile (collectionFile.getFileName())) ||
        !asideSamples.createDirectory())
        return false;

    for (int i = maxBanks; i < bankObjects.size(); ++i)
    {
        const auto* slotObjects = bankObjects.getReference (i)[bankkeys::slot].getArray();

        if (slotObjects == nullptr)
            continue;

        for (const auto& slotObject : *slotObjects)
        {
            const auto name = slotObject.getProperty (slotkeys::fileName, {}).toString();
            const auto source = findSampleFile (samplesFolder, name);

            if (source.existsAsFile() &&
                !source.copyFileTo (getBareChildFile (asideSamples, source.getFileName())))
                return false;
        }
    }

    autosave.setKeptAsideFolder (aside);
    return true;
}

juce::var WyxBankCollectionImpl::toVar() const
{
    juce::Array<juce::var> bankObjects;

    for (int i = 0; i < std::min (banks.size(), maxBanks); ++i)
        bankObjects.add (banks[i]->toVar (i));

    auto* object = new juce::DynamicObject();
    object->setProperty (collectionkeys::bankCollection, bankObjects);
    return juce::var (object);
}

void WyxBankCollectionImpl::save()
{
    autosave.save();
}
} // namespace vantor::dataset
