#include "vantor/dataset/WyxModelImpl.h"

#include "common/AppInfo.h"
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

void WyxModelImpl::changeListenerCallback (juce::ChangeBroadcaster*)
{
    autosave.markDirty();
}

void WyxModelImpl::setFavoriteBank (int index)
{
    JUCE_ASSERT_MESSAGE_THREAD
    favorite = limitFavorite (index);
    autosave.markDirty();
    sendChangeMessage();
}

void WyxModelImpl::reset()
{
    JUCE_ASSERT_MESSAGE_THREAD
    autosave.close();
    favorite = 0;

    for (auto* bank : bankList.banks)
        bank->reset();

    sendChangeMessage();
}

void WyxModelImpl::clearAll()
{
    JUCE_ASSERT_MESSAGE_THREAD
    favorite = 0;

    for (auto* bank : bankList.banks)
        bank->clear();

    autosave.markDirty();
    sendChangeMessage();
}

juce::String WyxModelImpl::load (const juce::File& newModelFile)
{
    JUCE_ASSERT_MESSAGE_THREAD
    reset();

    // A damaged file has gone aside and the model starts empty.
    const auto stored = autosave.open (newModelFile, modelkeys::bank);
    const auto folder = autosave.getFolder();
    const juce::Array<juce::var>* bankObjects = nullptr;

    if (stored.status == JsonFileStore::ReadStatus::ok)
    {
        favorite = limitFavorite ((int)stored.root.getProperty (modelkeys::favorite, 0));
        bankObjects = stored.root[modelkeys::bank].getArray();
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
    autosave.save();
}
} // namespace vantor::dataset
