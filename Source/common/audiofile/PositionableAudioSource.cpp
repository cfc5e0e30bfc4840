#include "common/audiofile/PositionableAudioSource.h"

namespace common
{
PositionableAudioSource::~PositionableAudioSource() = default;
} // namespace common
