#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** Result of a whole-set operation: empty on success, otherwise one of the texts below, compared
    by value. */
using ErrorKind = juce::String;

namespace errorkind
{
inline const ErrorKind unspecified{"unspecified"};
inline const ErrorKind copy{"copy"};
inline const ErrorKind notFound{"notfound"};
inline const ErrorKind invalidFormat{"invalidformat"};
inline const ErrorKind cancelled{"cancelled"};
} // namespace errorkind
} // namespace vantor::dataset
