#include "vantor/dataset/WyxBankImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/WyxSlotImpl.h"

namespace vantor::dataset
{
WyxBank::Ptr createBank()
{
    return new WyxBankImpl();
}

WyxBankImpl::WyxBankImpl() = default;
WyxBankImpl::~WyxBankImpl() = default;

void WyxBankImpl::setName (const juce::String& newName)
{
    name = newName;
    sendChangeMessage();
}

bool WyxBankImpl::copyFrom (const WyxBank* other)
{
    if (other == nullptr)
        return false;

    // Every SLOT is first copied into a staged BANK of this folder; only when all four WAVs are in
    // place does this BANK take them over, so a failed copy changes nothing here.
    WyxBankImpl staged;
    staged.setFolder (folder);

    const auto& otherSlots = other->getSlotList().slots;
    const auto count = std::min (slotList.slots.size(), otherSlots.size());

    for (int i = 0; i < count; ++i)
    {
        if (!staged.slotList.slots[i]->copyFrom (otherSlots[i].get()))
        {
            staged.clear(); // removes the WAVs already copied
            return false;
        }
    }

    name = other->getName();

    for (int i = 0; i < count; ++i)
    {
        auto* target = dynamic_cast<WyxSlotImpl*> (slotList.slots[i].get());
        auto* source = dynamic_cast<WyxSlotImpl*> (staged.slotList.slots[i].get());
        jassert (target != nullptr && source != nullptr);

        if (target != nullptr && source != nullptr)
            target->adoptContentOf (*source);
    }

    sendChangeMessage();
    return true;
}

WyxBank::Ptr WyxBankImpl::clone (const juce::File& targetFolder) const
{
    Ptr copy = createBank();
    copy->setFolder (targetFolder);

    if (!copy->copyFrom (this))
        return nullptr;

    return copy;
}

WyxBank::Ptr WyxBankImpl::cloneToTemp() const
{
    common::AppInfo::createTempFolder();
    return clone (common::AppInfo::getTempFolder());
}

void WyxBankImpl::reset()
{
    folder = juce::File();
    name = {};

    for (auto* slot : slotList.slots)
        slot->reset();

    sendChangeMessage();
}

void WyxBankImpl::clear()
{
    name = {};

    for (auto* slot : slotList.slots)
        slot->clear();

    sendChangeMessage();
}

void WyxBankImpl::setFolder (const juce::File& newFolder)
{
    fromVar ({}, newFolder);
}

juce::String WyxBankImpl::fromVar (const juce::var& bankObject, const juce::File& newFolder)
{
    folder = newFolder;
    name = {};

    const juce::Array<juce::var>* slotObjects = nullptr;

    if (auto* object = bankObject.getDynamicObject())
    {
        name = object->getProperty (bankkeys::bankName).toString();
        slotObjects = object->getProperty (bankkeys::slot).getArray();
    }

    for (int i = 0; i < slotList.slots.size(); ++i)
    {
        if (slotObjects != nullptr && i < slotObjects->size())
            slotList.slots[i]->fromVar (slotObjects->getReference (i), folder);
        else
            slotList.slots[i]->setFolder (folder);
    }

    sendChangeMessage();
    return {};
}

juce::var WyxBankImpl::toVar (int bankNumber) const
{
    juce::Array<juce::var> slotObjects;

    for (int i = 0; i < slotList.slots.size(); ++i)
        slotObjects.add (slotList.slots[i]->toVar (i));

    auto* object = new juce::DynamicObject();
    object->setProperty (bankkeys::bankNumber, bankNumber);
    object->setProperty (bankkeys::bankName, name);
    object->setProperty (bankkeys::slot, slotObjects);
    return juce::var (object);
}
} // namespace vantor::dataset
