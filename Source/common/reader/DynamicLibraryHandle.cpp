#include "common/reader/DynamicLibraryHandle.h"

#include <dlfcn.h>

namespace quelbix
{
DynamicLibraryHandle::~DynamicLibraryHandle()
{
    const juce::ScopedLock sl (lock);
    unloadModule();
}

bool DynamicLibraryHandle::load (const juce::String& name)
{
    const juce::ScopedLock sl (lock);

    if (referenceCount == 0 && module.load() == nullptr)
    {
        if (name.isEmpty())
            return false;

        // A copy shipped beside the program wins over the system's.
        const auto besideProgram =
            juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile (name);

        void* handle = nullptr;

        if (besideProgram.existsAsFile())
            handle = dlopen (besideProgram.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);

        if (handle == nullptr)
            handle = dlopen (name.toRawUTF8(), RTLD_NOW | RTLD_LOCAL);

        if (handle == nullptr)
            return false;

        module = handle;
        moduleLoaded();
    }

    ++referenceCount;
    return true;
}

void DynamicLibraryHandle::release()
{
    const juce::ScopedLock sl (lock);

    if (referenceCount > 0)
        --referenceCount;

    if (referenceCount == 0)
        unloadModule();
}

void* DynamicLibraryHandle::getFunction (const juce::String& name) const
{
    auto* handle = module.load();
    return handle != nullptr ? dlsym (handle, name.toRawUTF8()) : nullptr;
}

void DynamicLibraryHandle::unloadModule()
{
    if (auto* handle = module.load())
    {
        moduleUnloading();
        module = nullptr;
        dlclose (handle);
    }
}
} // namespace quelbix
