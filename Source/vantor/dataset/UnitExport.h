#pragma once

#include "vantor/dataset/ErrorKind.h"
#include "vantor/dataset/FileSwap.h"
#include "vantor/dataset/JobProgress.h"

namespace vantor::dataset
{
/** Writes the working model into the unit's folder on a removable volume: each SLOT's WAV, whole
    or cut to its playback range, into the BANK's folder "01" to "15", and the settings file.

    Every source WAV and range is checked, and the free space, before anything on the volume
    changes. The new folder content is built in a temporary folder ".glorvak-tmp" beside the unit folder
    and then swapped in: the replaced files are moved aside and deleted only once every new file
    is in place, so a missing sample, a failed copy or Cancel leaves the unit as it was. Only when
    the volume cannot hold old and new at once are the old files deleted first.

    Threads: runs on the worker thread of the progress window; it reads nothing but the JSON it is
    given and files. */
class UnitExport
{
public:
    /** modelJson is the model's JSON (it is changed: names, stripped keys). Empty, "unspecified",
        "notfound", "copy" or "cancelled". */
    static ErrorKind write (const juce::var& modelJson, const juce::File& samplesFolder,
                            const juce::File& volumeRoot, JobProgress* progress, FileSwap::Mover mover = {});

private:
    UnitExport() = delete;
};
} // namespace vantor::dataset
