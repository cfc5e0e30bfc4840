#pragma once

#include <juce_core/juce_core.h>

namespace quelbix
{
// A shared library loaded at run time and shared by reference count: the module stays loaded
// while any user holds a reference and is unloaded when the last one is given back.
//
// Threads: load and release may be called from any thread; they are serialised by the lock.
// getFunction is not locked: call it only while holding a reference, so the module cannot go away.
class DynamicLibraryHandle
{
public:
    DynamicLibraryHandle() = default;
    virtual ~DynamicLibraryHandle();

    // Takes one reference. The first reference loads the file of that name from the folder of the
    // program's executable, then by bare name through the system's search order; false (and no
    // reference taken) when neither loads. Later calls only count, whatever the name.
    bool load (const juce::String& name);

    // Gives one reference back; the module is unloaded when none remain.
    void release();

    // The address of an exported symbol; null when the module is not loaded or lacks it.
    void* getFunction (const juce::String& name) const;

    bool isLoaded() const noexcept { return module.load() != nullptr; }

protected:
    // Called under the lock right after the module was loaded and right before it is unloaded.
    virtual void moduleLoaded() {}
    virtual void moduleUnloading() {}

    juce::CriticalSection lock;

private:
    void unloadModule();

    std::atomic<void*> module{nullptr};
    int referenceCount = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DynamicLibraryHandle)
};
} // namespace quelbix
