#include "common/PositionableAudioSource.h"

namespace common
{
PositionableAudioSource::~PositionableAudioSource() = default;
} // namespace common
