#pragma once

#include "common/reader/AbstractReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace glorvak::test
{
// Reads the whole reader in blocks from the start, then blocks at awkward positions (the middle,
// the end, beyond it, before 0, near the largest position). Fails on the first frame that is not
// finite or lies outside -1 .. +1. Reads of the extra (start, count) pairs follow.
inline ::testing::AssertionResult readsOnlyValidFrames (quelbix::AbstractReader& reader,
                                                        std::initializer_list<std::pair<int, int>> extra = {})
{
    constexpr int block = 2048;
    const int length = reader.getLengthInSamples();
    std::vector<quelbix::StereoSample> frames ((size_t)block);

    auto check = [&] (int start, int count) -> ::testing::AssertionResult
    {
        reader.read (start, frames.data(), count);

        for (int i = 0; i < count; ++i)
        {
            const auto& f = frames[(size_t)i];

            if (!std::isfinite (f.left) || !std::isfinite (f.right) || std::abs (f.left) > 1.0f ||
                std::abs (f.right) > 1.0f)
                return ::testing::AssertionFailure() << "frame " << (long long)start + i << " of a read at "
                                                     << start << " is " << f.left << " / " << f.right;
        }

        return ::testing::AssertionSuccess();
    };

    for (int start = 0; start < length; start += block)
        if (auto result = check (start, block); !result)
            return result;

    const int maxInt = std::numeric_limits<int>::max();

    for (int start : {length / 2, length - 100, length, length + 5, -100, maxInt - 10, length / 3, 3})
        if (auto result = check (start, block); !result)
            return result;

    for (auto [start, count] : extra)
        if (auto result = check (start, juce::jlimit (0, block, count)); !result)
            return result;

    return ::testing::AssertionSuccess();
}
} // namespace glorvak::test
