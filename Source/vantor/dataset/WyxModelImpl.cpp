#include "vantor/dataset/WyxModelImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/ModelJsonKeys.h"

namespace vantor::dataset
{
juce::File getModelFile()
{
    return common::AppInfo::getUserDataFolder()
        .getChildFile (modelkeys::folderName)
        .getChildFile (modelkeys::fileName);
}

std::unique_ptr<WyxModel> createModel()
{
    return std::make_unique<WyxModelImpl>();
}

WyxModelImpl::WyxModelImpl()
{
    for (int i = 0; i < bankCount; ++i)
        bankList.banks.add (createBank());

    listenToEverything (true);
}

WyxModelImpl::~WyxModelImpl()
{
    save();
    stopTimer();
    listenToEverything (false);
}

void WyxModelImpl::listenToEverything (bool shouldListen)
{
    const auto apply = [this, shouldListen] (juce::ChangeBroadcaster& broadcaster)
    {
        if (shouldListen)
            broadcaster.addChangeListener (this);
        else
            broadcaster.removeChangeListener (this);
    };

    apply (bankList);

    for (auto* bank : bankList.banks)
    {
        apply (*bank);
        apply (bank->getSlotList());

        for (auto* slot : bank->getSlotList().slots)
            apply (*slot);
    }
}

int WyxModelImpl::limitFavorite (int index)
{
    return juce::jlimit (0, bankCount - 1, index);
}

void WyxModelImpl::markDirty()
{
    dirty = true;

    if (!autosaveSuspended)
        startTimer (saveDelayMs);
}

void WyxModelImpl::setAutosaveSuspended (bool suspended)
{
    JUCE_ASSERT_MESSAGE_THREAD
    autosaveSuspended = suspended;

    if (suspended)
        stopTimer();
    else if (dirty)
        startTimer (saveDelayMs);
}

void WyxModelImpl::changeListenerCallback (juce::ChangeBroadcaster*)
{
    markDirty();
}

void WyxModelImpl::timerCallback()
{
    stopTimer();
    save();
}

void WyxModelImpl::setFavoriteBank (int index)
{
    JUCE_ASSERT_MESSAGE_THREAD
    favorite = limitFavorite (index);
    markDirty();
    sendChangeMessage();
}

void WyxModelImpl::reset()
{
    JUCE_ASSERT_MESSAGE_THREAD
    modelFile = juce::File();
    favorite = 0;

    for (auto* bank : bankList.banks)
        bank->reset();

    dirty = false;
    sendChangeMessage();
}

void WyxModelImpl::clearAll()
{
    JUCE_ASSERT_MESSAGE_THREAD
    favorite = 0;

    for (auto* bank : bankList.banks)
        bank->clear();

    markDirty();
    sendChangeMessage();
}

juce::String WyxModelImpl::load (const juce::File& newModelFile)
{
    JUCE_ASSERT_MESSAGE_THREAD
    reset();
    writingBlocked = false;
    keptAsideFolder = juce::File();

    modelFile = newModelFile;
    const auto folder = getFolder();

    if (modelFile != juce::File() && !folder.isDirectory())
        folder.createDirectory();

    const auto stored = JsonFileStore::read (modelFile, modelkeys::bank);
    const juce::Array<juce::var>* bankObjects = nullptr;

    switch (stored.status)
    {
        case JsonFileStore::ReadStatus::ok:
            favorite = limitFavorite ((int)stored.root.getProperty (modelkeys::favorite, 0));
            bankObjects = stored.root[modelkeys::bank].getArray();
            break;

        case JsonFileStore::ReadStatus::damaged:
            // Saving the empty model over it would lose the user's model, and the clean-up its
            // samples: both go aside, and the model starts afresh.
            keptAsideFolder = JsonFileStore::keepAside (modelFile, getSamplesFolder (folder));
            writingBlocked = keptAsideFolder == juce::File();
            markDirty();
            break;

        case JsonFileStore::ReadStatus::missing:
            markDirty();
            break;
    }

    for (int i = 0; i < bankList.banks.size(); ++i)
    {
        if (bankObjects != nullptr && i < bankObjects->size())
            bankList.banks[i]->fromVar (bankObjects->getReference (i), folder);
        else
            bankList.banks[i]->setFolder (folder);
    }

    sendChangeMessage();
    return {};
}

juce::var WyxModelImpl::toVar() const
{
    juce::Array<juce::var> bankObjects;

    for (int i = 0; i < bankList.banks.size(); ++i)
        bankObjects.add (bankList.banks[i]->toVar (i));

    auto* object = new juce::DynamicObject();
    object->setProperty (modelkeys::favorite, favorite);
    object->setProperty (modelkeys::bank, bankObjects);
    return juce::var (object);
}

void WyxModelImpl::save()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!dirty || writingBlocked || autosaveSuspended)
        return;

    // Dirty stays set on failure: the next change or the destructor tries again, and the clean-up
    // never runs against a file that does not hold the present model.
    if (!JsonFileStore::write (modelFile, toVar()))
        return;

    deleteUnusedSamples();
    dirty = false;
}

void WyxModelImpl::deleteUnusedSamples()
{
    juce::StringArray referenced;

    for (auto* bank : bankList.banks)
        for (auto* slot : bank->getSlotList().slots)
            if (slot->getFile() != juce::File())
                referenced.add (slot->getFile().getFileName());

    dataset::deleteUnusedSamples (modelFile, getSamplesFolder (getFolder()), referenced);
}
} // namespace vantor::dataset
