#pragma once

#include "common/reader/qm/WindowsMediaAudioFormat.h"

namespace qm
{
// Stands in for JUCE's own "Windows Media" format, which reads through the Windows Media Format
// runtime and exists only on Windows: the format manager of the last-resort reader lists it
// before the platform decoder, so ".mp3", ".wmv", ".asf", ".wm" and ".wma" files come here. It
// decodes through the same source reader as WindowsMediaAudioFormat (MPEG audio, Windows Media
// Audio), which is what opens the MP3 files the program's own MP3 reader refuses (MPEG-2.5 at
// 8000, 11025 and 12000 Hz) and Windows Media Audio files.
class JuceWindowsMediaAudioFormat : public WindowsMediaAudioFormat
{
public:
    static constexpr const char* formatName = "Windows Media";

    JuceWindowsMediaAudioFormat();
    // Decodes through the given source readers (tests script them).
    explicit JuceWindowsMediaAudioFormat (std::shared_ptr<WindowsMediaCodec::ISourceReaderFactory> factory);
    ~JuceWindowsMediaAudioFormat() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceWindowsMediaAudioFormat)
};
} // namespace qm
