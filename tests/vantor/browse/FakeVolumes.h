#pragma once

#include "common/volumes/RemovableVolumeList.h"

#include <functional>
#include <memory>

namespace glorvak::test
{
// A volume list whose volumes the test sets; change() tells the list, as the system would.
struct FakeVolumes
{
    struct Platform : common::RemovableVolumeList::Platform
    {
        explicit Platform (FakeVolumes& ownerToUse)
            : owner (ownerToUse)
        {
        }
        juce::Array<common::RemovableVolumeList::Volume> findVolumes() override { return owner.volumes; }
        void startWatching (std::function<void()> onChange) override
        {
            owner.onChange = std::move (onChange);
        }
        FakeVolumes& owner;
    };

    std::unique_ptr<common::RemovableVolumeList> makeList()
    {
        return std::make_unique<common::RemovableVolumeList> (std::make_unique<Platform> (*this));
    }

    void set (const juce::Array<juce::File>& roots)
    {
        volumes.clear();
        for (const auto& root : roots)
        {
            common::RemovableVolumeList::Volume v;
            v.displayName = root.getFileName();
            v.rootFolder = root;
            volumes.add (v);
        }
    }

    void change()
    {
        if (onChange)
            onChange();
    }

    juce::Array<common::RemovableVolumeList::Volume> volumes;
    std::function<void()> onChange;
};
} // namespace glorvak::test
