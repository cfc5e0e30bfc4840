#include "vantor/ui/TypefaceChoice.h"

namespace vantor::ui
{
juce::StringArray TypefaceChoice::getCandidateFiles()
{
    return {"/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", "/usr/share/fonts/wqy-microhei/wqy-microhei.ttc"};
}

juce::Typeface::Ptr TypefaceChoice::get()
{
    static juce::CriticalSection lock;
    static juce::Typeface::Ptr typeface;
    static bool looked = false;

    const juce::ScopedLock sl (lock);

    if (!looked)
    {
        looked = true;

        for (const auto& path : getCandidateFiles())
        {
            juce::MemoryBlock data;

            // JUCE reads the first face of the collection from memory (and keeps its own copy).
            if (juce::File (path).loadFileAsData (data) && data.getSize() > 0)
                if ((typeface = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize())) != nullptr)
                    break;
        }
    }

    return typeface;
}
} // namespace vantor::ui
