#include "vantor/dataset/SavedSampleNames.h"

#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/SlotJsonKeys.h"

#include <map>
#include <mutex>
#include <set>

namespace vantor::dataset
{
namespace
{
struct Guard
{
    juce::String folder;
    std::set<juce::String> names; // lower case
};

std::mutex lock;
std::map<const void*, Guard> guards;
} // namespace

void SavedSampleNames::set (const void* owner, const juce::File& samplesFolder,
                            const juce::StringArray& names)
{
    Guard guard{samplesFolder.getFullPathName(), {}};

    for (const auto& name : names)
        if (name.isNotEmpty())
            guard.names.insert (name.toLowerCase());

    const std::lock_guard<std::mutex> scoped (lock);
    guards[owner] = std::move (guard);
}

void SavedSampleNames::forget (const void* owner)
{
    const std::lock_guard<std::mutex> scoped (lock);
    guards.erase (owner);
}

bool SavedSampleNames::isGuarded (const juce::File& samplesFolder)
{
    const auto path = samplesFolder.getFullPathName();
    const std::lock_guard<std::mutex> scoped (lock);

    for (const auto& entry : guards)
        if (entry.second.folder == path)
            return true;

    return false;
}

bool SavedSampleNames::isNamed (const juce::File& samplesFolder, const juce::String& name)
{
    const auto path = samplesFolder.getFullPathName();
    const auto key = name.toLowerCase();
    const std::lock_guard<std::mutex> scoped (lock);

    for (const auto& entry : guards)
        if (entry.second.folder == path && entry.second.names.count (key) != 0)
            return true;

    return false;
}

juce::StringArray SavedSampleNames::namesIn (const juce::var& bankObjects)
{
    juce::StringArray names;

    if (const auto* banks = bankObjects.getArray())
        for (const auto& bank : *banks)
            if (const auto* slots = bank[bankkeys::slot].getArray())
                for (const auto& slot : *slots)
                    names.add (slot.getProperty (slotkeys::fileName, {}).toString());

    names.removeEmptyStrings();
    return names;
}

juce::File SavedSampleNames::makeFreshFile (const juce::File& samplesFolder, const juce::String& stem)
{
    auto file = samplesFolder.getNonexistentChildFile (stem, ".wav", true);

    // Only a saved file naming a WAV that is missing from the disk gets here.
    for (int number = 2;
         isNamed (samplesFolder, file.getFileName()) || file.exists() || file.isSymbolicLink(); ++number)
        file = samplesFolder.getChildFile (stem + "(" + juce::String (number) + ").wav");

    return file;
}
} // namespace vantor::dataset
