#pragma once

#include <cmath>

namespace vantor::slot_detail
{
/** A BPM or a number of beats as the integer hundredths the service takes. Rounded, not cut:
    40.05 is 4004.9999... in binary and must stay 4005. */
inline int toHundredths (double value)
{
    return (int)std::llround (value * 100.0);
}
} // namespace vantor::slot_detail
