#pragma once

// What the data-file fuzz target and the seed program agree on: the leading byte of each path
// and the names of the WAVs the scratch folder holds.
#include <cstdint>

namespace datafuzz
{
enum Path : uint8_t
{
    model,
    collection,
    unitSettings,
    backup,
    settings,
    cryptoFile,
    updateInfo,
    mountTable,
    numPaths
};

inline constexpr const char* pathNames[] = {"model",    "collection",  "unit settings", "backup",
                                            "settings", "crypto file", "update info",   "mount table"};

// The file beside the scratch folder shares its name with a sample, so a name that steps out of a
// samples folder finds something to harm.
inline constexpr const char* sentinelName = "sentinel.wav";
inline constexpr const char* sampleNames[] = {"a.wav", "B.WAV", "sentinel.wav"};
inline constexpr int sampleFrames = 16;
inline constexpr int unitBanksWithSamples = 2;
} // namespace datafuzz
