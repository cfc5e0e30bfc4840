#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <unordered_map>

namespace common::updater
{
/** What the maker's "update-info.json" offers: a version, where to download its updater for this
    platform, and release notes per GUI language id. */
struct UpdateInfo
{
    juce::String version;
    juce::String downloadUrl;
    std::unordered_map<juce::String, juce::String> releaseNotes;

    /** The property of "download_url" that names this platform's updater. */
    static const char* const platformKey;

    /** The document's offer, or nothing when the text is not a JSON object with a "version" text:
        an error page or a damaged document must never read as "no update". Missing download
        addresses and notes give empty texts. */
    static std::optional<UpdateInfo> parse (const juce::String& documentText);

    /** True when version a is newer than b: the dot-separated parts compare as text, left to
        right; equal leading parts make neither newer. Our versions pad each part to one width
        ("1.0.0.0336"), so text order is number order for them. */
    static bool compareVersions (const juce::String& a, const juce::String& b);
};
} // namespace common::updater
