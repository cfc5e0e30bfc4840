#include "vantor/ui/TypefaceChoice.h"

#include <juce_events/juce_events.h>

namespace vantor::ui
{
namespace
{
// The typeface is released with JUCE's other objects at its shut-down, not by a static destructor
// after JUCE has gone (its glyph cache and FreeType library are JUCE objects).
struct LoadedTypeface : public juce::DeletedAtShutdown
{
    ~LoadedTypeface() override;

    juce::Typeface::Ptr typeface;
};

juce::CriticalSection lock;
LoadedTypeface* loaded = nullptr;

LoadedTypeface::~LoadedTypeface()
{
    const juce::ScopedLock sl (lock);
    loaded = nullptr;
}

juce::Typeface::Ptr load()
{
    for (const auto& path : TypefaceChoice::getCandidateFiles())
    {
        juce::MemoryBlock data;

        // JUCE reads the first face of the collection from memory (and keeps its own copy).
        if (juce::File (path).loadFileAsData (data) && data.getSize() > 0)
            if (auto typeface = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize()))
                return typeface;
    }

    return nullptr;
}
} // namespace

juce::StringArray TypefaceChoice::getCandidateFiles()
{
    return {"/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
            "/usr/share/fonts/wqy-microhei/wqy-microhei.ttc"};
}

juce::Typeface::Ptr TypefaceChoice::get()
{
    const juce::ScopedLock sl (lock);

    if (loaded == nullptr)
    {
        loaded = new LoadedTypeface();
        loaded->typeface = load();
    }

    return loaded->typeface;
}
} // namespace vantor::ui
