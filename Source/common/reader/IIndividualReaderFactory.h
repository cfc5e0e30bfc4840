#pragma once

#include "common/reader/AbstractReader.h"

#include <memory>

namespace quelbix
{
// Makes the reader of one format. Implementations hold no data.
class IIndividualReaderFactory
{
public:
    virtual ~IIndividualReaderFactory() = default;

    // A new, unopened reader when the path's extension is one of the format's, else null.
    virtual std::unique_ptr<AbstractReader> createReader (const juce::String& path) = 0;

protected:
    // True when path ends with one of the extensions (each with its dot, e.g. ".WAV"),
    // ignoring case.
    static bool hasExtension (const juce::String& path, std::initializer_list<const char*> extensions)
    {
        for (auto* extension : extensions)
            if (path.endsWithIgnoreCase (extension))
                return true;

        return false;
    }
};
} // namespace quelbix
