#pragma once

#include <cmath>

namespace vantor::slot
{
/** The linear gain the preview player gets for a gain in decibels; silence at -100 dB and below. */
inline float previewGain (double gainDb)
{
    return gainDb > -100.0 ? (float)std::pow (10.0, gainDb * 0.05) : 0.0f;
}
} // namespace vantor::slot
