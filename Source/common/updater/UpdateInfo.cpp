#include "common/updater/UpdateInfo.h"

#include "common/AppSettings.h"
#include "common/SafeJson.h"

namespace common::updater
{
#if JUCE_WINDOWS
const char* const UpdateInfo::platformKey = "win";
#else
const char* const UpdateInfo::platformKey = "linux";
#endif

std::optional<UpdateInfo> UpdateInfo::parse (const juce::String& documentText)
{
    juce::var document;

    if (SafeJson::parse (documentText, document).failed() || !document.isObject())
        return std::nullopt;

    const auto version = document.getProperty ("version", {});

    const bool isText = version.isString() || version.isInt() || version.isInt64() || version.isDouble();

    if (!isText || version.toString().trim().isEmpty())
        return std::nullopt;

    UpdateInfo info;
    info.version = version.toString().trim();

    const auto addresses = document.getProperty ("download_url", {});

    if (addresses.isObject())
        info.downloadUrl = addresses.getProperty (platformKey, {}).toString().trim();

    const auto notes = document.getProperty ("release_notes", {});

    for (const auto& language : AppSettings::getLanguageTable())
        info.releaseNotes[language.id] =
            notes.isObject() ? notes.getProperty (language.id, {}).toString() : juce::String();

    return info;
}

bool UpdateInfo::compareVersions (const juce::String& a, const juce::String& b)
{
    juce::StringArray partsOfA, partsOfB;
    partsOfA.addTokens (a, ".", "");
    partsOfB.addTokens (b, ".", "");

    for (int i = 0; i < juce::jmin (partsOfA.size(), partsOfB.size()); ++i)
    {
        const auto order = partsOfA[i].compare (partsOfB[i]);

        if (order != 0)
            return order > 0;
    }

    return false;
}
} // namespace common::updater
