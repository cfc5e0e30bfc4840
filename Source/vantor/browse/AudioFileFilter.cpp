#include "vantor/browse/AudioFileFilter.h"

namespace vantor::browse
{
AudioFileFilter::AudioFileFilter (const juce::String& patternList)
    : juce::FileFilter ({})
{
    patterns.addTokens (patternList.toLowerCase(), ";,", "\"'");
    patterns.trim();
    patterns.removeEmptyStrings();
}

bool AudioFileFilter::matches (const juce::String& fileName) const
{
    for (const auto& pattern : patterns)
        if (fileName.matchesWildcard (pattern, true))
            return true;

    return false;
}

bool AudioFileFilter::isFileSuitable (const juce::File& file) const
{
    return matches (file.getFileName());
}

bool AudioFileFilter::isDirectorySuitable (const juce::File&) const
{
    return true;
}
} // namespace vantor::browse
