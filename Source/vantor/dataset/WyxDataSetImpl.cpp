#include "vantor/dataset/WyxDataSetImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"

#include <juce_events/juce_events.h>

namespace vantor::dataset
{
std::unique_ptr<WyxDataSet> createDataSet()
{
    return std::make_unique<WyxDataSetImpl>();
}

WyxDataSetImpl::WyxDataSetImpl()
    : model (std::make_unique<WyxModelImpl>())
    , collection (std::make_unique<WyxBankCollectionImpl>())
    , clipboard (std::make_unique<Clipboard>())
{
    weakSelf = this;
    load();
}

WyxDataSetImpl::~WyxDataSetImpl()
{
    JUCE_ASSERT_MESSAGE_THREAD
    clipboard.reset();
    collection.reset();
    model.reset();
}

juce::File WyxDataSetImpl::getFactorySampleFolder() const
{
    return common::AppInfo::getFactorySamplesFolder();
}

juce::File WyxDataSetImpl::getDataFolder() const
{
    return common::AppInfo::getUserDataFolder();
}

void WyxDataSetImpl::load()
{
    JUCE_ASSERT_MESSAGE_THREAD
    const auto dataFolder = getDataFolder();

    if (!dataFolder.isDirectory())
        dataFolder.createDirectory();

    model->load (getModelFile());
    collection->load (getBankCollectionFile());
}

void WyxDataSetImpl::postReload()
{
    juce::MessageManager::callAsync (
        [weakThis = weakSelf]
        {
            if (auto* dataSet = weakThis.get())
                dataSet->load();
        });
}
} // namespace vantor::dataset
