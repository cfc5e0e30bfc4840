#include "common/UnicodeNormalisation.h"

#include <cstdlib>
#include <memory>
#include <utf8proc.h>

namespace common
{
namespace
{
juce::File toFile (const juce::String& path)
{
    if (path.isEmpty())
        return {};

    return juce::File::isAbsolutePath (path) ? juce::File (path)
                                             : juce::File::getCurrentWorkingDirectory().getChildFile (path);
}
} // namespace

juce::String normaliseToNfc (const juce::String& text)
{
    utf8proc_uint8_t* mapped = nullptr;
    const auto length =
        utf8proc_map (reinterpret_cast<const utf8proc_uint8_t*> (text.toRawUTF8()), 0, &mapped,
                      (utf8proc_option_t)(UTF8PROC_NULLTERM | UTF8PROC_STABLE | UTF8PROC_COMPOSE));

    const std::unique_ptr<utf8proc_uint8_t, decltype (&std::free)> owned (mapped, &std::free);

    if (length < 0 || mapped == nullptr)
        return text;

    return juce::String::fromUTF8 (reinterpret_cast<const char*> (mapped), (int)length);
}

juce::File normaliseToNfcFile (const juce::String& path)
{
    const auto given = toFile (path);
    const auto normalised = toFile (normaliseToNfc (path));

    if (given.exists() && !normalised.exists())
        return given;

    return normalised;
}
} // namespace common
