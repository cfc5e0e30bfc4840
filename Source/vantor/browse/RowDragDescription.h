#pragma once

#include <juce_core/juce_core.h>

namespace vantor::browse
{
/** The text a table row attaches to a drag: a prefix ending in "_" ("Bank_", "BankCollection_",
    "Slot_"), then, when a row is selected, the row number, "," and the row's name.

    Reading splits at the first comma only, so a name that holds commas arrives whole
    ("Bank_3,a,b" is row 3 named "a,b"). The row number is read as the C library's atoi reads it
    (text that is no number gives 0). */
struct RowDragDescription
{
    int row = -1;
    juce::String name;

    /** prefix alone when row < 0. */
    static juce::String make (const juce::String& prefix, int row, const juce::String& name);

    /** True when the description is text starting with prefix and has a row part ("n,name")
        after its first "_". */
    static bool read (const juce::var& description, const juce::String& prefix, RowDragDescription& result);

    /** Whether the description is text starting with prefix. */
    static bool startsWith (const juce::var& description, const juce::String& prefix);
};
} // namespace vantor::browse
