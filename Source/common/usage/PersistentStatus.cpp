#include "common/usage/PersistentStatus.h"

#include "common/usage/CryptoFile.h"

namespace common
{
PersistentStatus::PersistentStatus (const juce::File& logFolder)
    : file (logFolder.getChildFile ("status"))
{
    const auto stored = CryptoFile::getInstance()->readJsonFile (file);

    // Anything but an object (missing, damaged, foreign) starts afresh, which makes a new client id.
    if (auto* object = stored.getDynamicObject())
        values = object;
    else
        values = new juce::DynamicObject();
}

PersistentStatus::~PersistentStatus()
{
    cancelPendingUpdate();
    save();
}

bool PersistentStatus::setIfChanged (const juce::Identifier& key, const juce::var& value)
{
    if (get (key) == value)
        return false;

    set (key, value);
    return true;
}

void PersistentStatus::set (const juce::Identifier& key, const juce::var& value)
{
    values->setProperty (key, value);
    changed();
}

juce::var PersistentStatus::get (const juce::Identifier& key) const
{
    return values->getProperty (key);
}

juce::var PersistentStatus::take (const juce::Identifier& key)
{
    auto value = get (key);
    values->removeProperty (key);
    changed();
    return value;
}

juce::String PersistentStatus::getCid() const
{
    return get ("Cid").toString();
}

juce::String PersistentStatus::getGuiLangId() const
{
    return get ("GuiLangId").toString();
}

void PersistentStatus::save()
{
    if (!dirty)
        return;

    CryptoFile::getInstance()->writeJsonFile (file, juce::var (values.get()));
    dirty = false;
}

void PersistentStatus::discardChanges()
{
    cancelPendingUpdate();
    dirty = false;
}

void PersistentStatus::handleAsyncUpdate()
{
    save();
}

void PersistentStatus::changed()
{
    dirty = true;
    triggerAsyncUpdate();
}
} // namespace common
