#include "vantor/browse/RowDragDescription.h"

#include <cstdlib>

namespace vantor::browse
{
juce::String RowDragDescription::make (const juce::String& prefix, int row, const juce::String& name)
{
    if (row < 0)
        return prefix;

    return prefix + juce::String (row) + "," + name;
}

bool RowDragDescription::startsWith (const juce::var& description, const juce::String& prefix)
{
    return description.isString() && description.toString().startsWith (prefix);
}

bool RowDragDescription::read (const juce::var& description, const juce::String& prefix,
                               RowDragDescription& result)
{
    if (!startsWith (description, prefix))
        return false;

    const auto text = description.toString();
    const auto underscore = text.indexOfChar ('_');

    if (underscore < 0)
        return false;

    const auto rowPart = text.substring (underscore + 1);
    const auto comma = rowPart.indexOfChar (',');

    if (comma < 0)
        return false;

    result.row = std::atoi (rowPart.substring (0, comma).toRawUTF8());
    result.name = rowPart.substring (comma + 1);
    return true;
}
} // namespace vantor::browse
