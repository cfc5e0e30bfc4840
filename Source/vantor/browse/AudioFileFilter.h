#pragma once

#include <juce_core/juce_core.h>

namespace vantor::browse
{
/** Accepts every folder and the files whose names match one of the audio patterns, with letter
    case ignored: "LOOP.WAV" is as much a sample as "loop.wav". (juce::WildcardFileFilter follows
    the file system's case rule, which on Linux would hide the upper-case names.)
    Threads: immutable after construction; read from the scanning threads. */
class AudioFileFilter : public juce::FileFilter
{
public:
    /** The patterns the sample trees and the SLOT views accept. */
    static constexpr const char* audioWildcard = "*.mp3;*.mp4;*.m4a;*.wav;*.aif;*.aiff;*.flac;*.fla";

    explicit AudioFileFilter (const juce::String& patterns = audioWildcard);

    bool isFileSuitable (const juce::File& file) const override;
    bool isDirectorySuitable (const juce::File& folder) const override;

    /** Whether the name matches one of the patterns, case ignored. */
    bool matches (const juce::String& fileName) const;

private:
    juce::StringArray patterns;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioFileFilter)
};
} // namespace vantor::browse
