#include "common/reader/qm/JuceWindowsMediaAudioFormat.h"

#include "common/reader/qm/FFmpegSourceReader.h"

namespace qm
{
JuceWindowsMediaAudioFormat::JuceWindowsMediaAudioFormat()
    : JuceWindowsMediaAudioFormat (std::make_shared<WindowsMediaCodec::FFmpegSourceReader::Factory>())
{
}

JuceWindowsMediaAudioFormat::JuceWindowsMediaAudioFormat (
    std::shared_ptr<WindowsMediaCodec::ISourceReaderFactory> f)
    : WindowsMediaAudioFormat (formatName, {".mp3", ".wmv", ".asf", ".wm", ".wma"}, std::move (f))
{
}

JuceWindowsMediaAudioFormat::~JuceWindowsMediaAudioFormat() = default;
} // namespace qm
