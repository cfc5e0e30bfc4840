#pragma once

#include "vantor/dataset/ErrorKind.h"
#include "vantor/dataset/FileSwap.h"
#include "vantor/dataset/JobProgress.h"

namespace vantor::dataset
{
/** Turns the unit's folder on a removable volume back into the working model's folder.

    The new model folder, with its "model.json" and copies of the unit's WAVs, is built in a
    temporary folder ".glorvak-tmp" in the data folder and then swapped in place of the live one, which is
    moved aside and comes back when anything fails. Names in the unit's settings file must be bare
    file names inside their BANK's folder, and at most 15 BANKs of 4 SLOTs are read.

    Threads: runs on the worker thread of the progress window; files only. */
class UnitImport
{
public:
    /** Empty, "notfound", "invalidformat", "copy" or "cancelled"; on failure the model folder is
        as it was. */
    static ErrorKind read (const juce::File& volumeRoot, const juce::File& dataFolder, JobProgress* progress,
                           FileSwap::Mover mover = {});

private:
    UnitImport() = delete;
};
} // namespace vantor::dataset
