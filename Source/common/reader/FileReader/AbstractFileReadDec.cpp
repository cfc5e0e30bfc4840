#include "common/reader/FileReader/AbstractFileReadDec.h"

namespace quelbix
{
int AbstractFileReadDec::findFrame (int sample) const noexcept
{
    int lower = 0;
    int upper = (int)frameIndex.size() - 1;
    int found = 0;

    while (lower <= upper)
    {
        const int middle = lower + (upper - lower) / 2;

        if (frameIndex[(size_t)middle].firstSample <= sample)
        {
            found = middle;
            lower = middle + 1;
        }
        else
        {
            upper = middle - 1;
        }
    }

    return found;
}

bool AbstractFileReadDec::seekTo (int startSample)
{
    const int found = findFrame (startSample);

    // The wanted frame is the one that would be decoded next: decoding simply goes on, and
    // decodeFrame places the buffer position on the wanted sample.
    if (found == currentFrame)
        return decodeFrame (startSample, currentFrame, false);

    currentFrame = found;
    const int first = juce::jmax (found - juce::jmax (0, getPrerollFrames()), 0);
    return decodeFrame (startSample, first, true);
}

void AbstractFileReadDec::read (int startSample, StereoSample* dest, int numFrames)
{
    if (dest == nullptr || numFrames <= 0)
        return;

    auto zeroFrom = [&] (int from, int to) { std::fill (dest + from, dest + to, StereoSample{}); };

    if (stream == nullptr)
    {
        zeroFrom (0, numFrames);
        return;
    }

    const int channels = juce::jmax (1, (int)numChannels);
    bool mustSeek = startSample != nextSample;
    int i = 0;

    while (i < numFrames)
    {
        const auto sample64 = (juce::int64)startSample + i;

        if (sample64 >= lengthInSamples)
        {
            zeroFrom (i, numFrames);
            break;
        }

        const int sample = (int)sample64;

        if (mustSeek)
        {
            mustSeek = false;

            if (!seekTo (sample))
            {
                // The frame holding the sample cannot be decoded: it plays as silence and
                // reading starts over at the next frame.
                const int found = findFrame (sample);
                nextSample = -1;
                currentFrame = -1;

                if ((size_t)found + 1 >= frameIndex.size())
                {
                    zeroFrom (i, numFrames);
                    return;
                }

                const auto gap = (juce::int64)frameIndex[(size_t)found + 1].firstSample - sample64;
                const int skip = (int)juce::jlimit ((juce::int64)1, (juce::int64) (numFrames - i), gap);
                zeroFrom (i, i + skip);
                i += skip;
                mustSeek = true;
                continue;
            }
        }

        if (bufferPosition >= bufferCount && !decodeFrame (sample, currentFrame, false))
        {
            zeroFrom (i, numFrames);
            nextSample = -1;
            return;
        }

        auto& out = dest[i];

        if (bufferPosition < 0)
        {
            out = {};
            bufferPosition += channels;
        }
        else if (bufferPosition + channels - 1 >= bufferCount || decodeBuffer == nullptr)
        {
            out = {};
        }
        else
        {
            // Every whole frame left in the decoded buffer, up to the request and the file's end,
            // in one plain loop: the checks above hold for all of them.
            const auto run =
                (int)juce::jmin ((juce::int64) (numFrames - i), (juce::int64)lengthInSamples - sample,
                                 (juce::int64) ((bufferCount - bufferPosition) / channels));
            const auto* values = static_cast<const juce::int16*> (decodeBuffer) + bufferPosition;
            const int last = channels - 1;

            for (int k = 0; k < run; ++k, values += channels)
            {
                dest[i + k].left = (float)values[0] * gainLeft;
                dest[i + k].right = (float)values[last] * gainRight;
            }

            bufferPosition += run * channels;
            i += run;
            continue;
        }

        ++i;
    }

    nextSample =
        (int)juce::jmin ((juce::int64)startSample + numFrames, (juce::int64)std::numeric_limits<int>::max());
}
} // namespace quelbix
