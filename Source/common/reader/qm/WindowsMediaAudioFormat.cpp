#include "common/reader/qm/WindowsMediaAudioFormat.h"

#include "common/reader/qm/FFmpegSourceReader.h"
#include "common/reader/qm/WMAudioReader.h"

namespace qm
{
namespace
{
juce::StringArray formatExtensions()
{
    return {".mp2", ".mp3", ".wmv", ".asf", ".wm", ".wma", ".mp4", ".m4a", ".aac"};
}
} // namespace

WindowsMediaAudioFormat::WindowsMediaAudioFormat()
    : WindowsMediaAudioFormat (std::make_shared<WindowsMediaCodec::FFmpegSourceReader::Factory>())
{
}

WindowsMediaAudioFormat::WindowsMediaAudioFormat (std::shared_ptr<WindowsMediaCodec::ISourceReaderFactory> f)
    : WindowsMediaAudioFormat (formatName, formatExtensions(), std::move (f))
{
}

WindowsMediaAudioFormat::WindowsMediaAudioFormat (const juce::String& name,
                                                  const juce::StringArray& extensions,
                                                  std::shared_ptr<WindowsMediaCodec::ISourceReaderFactory> f)
    : juce::AudioFormat (name, extensions)
    , factory (std::move (f))
{
    // Before any file is probed.
    WindowsMediaCodec::FFmpegSourceReader::configureLibrary();
}

WindowsMediaAudioFormat::~WindowsMediaAudioFormat() = default;

juce::AudioFormatReader* WindowsMediaAudioFormat::createReaderFor (juce::InputStream* stream,
                                                                   bool deleteStreamIfOpeningFails)
{
    return createReaderFor (stream, deleteStreamIfOpeningFails, 0);
}

juce::AudioFormatReader* WindowsMediaAudioFormat::createReaderFor (juce::InputStream* stream,
                                                                   bool deleteStreamIfOpeningFails,
                                                                   int audioTrackId)
{
    if (stream == nullptr)
        return nullptr;

    auto reader =
        std::make_unique<WindowsMediaCodec::WMAudioReader> (stream, factory, getFormatName(), audioTrackId);

    if (reader->sampleRate > 0)
        return reader.release();

    if (!deleteStreamIfOpeningFails)
        reader->detachInput();

    return nullptr;
}
} // namespace qm
