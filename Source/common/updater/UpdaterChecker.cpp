#include "common/updater/UpdaterChecker.h"

namespace common::updater
{
Updater::Checker::Checker (Updater& ownerToUse)
    : juce::ThreadWithProgressWindow (TRANS ("Checking for Updates..."), true, false)
    , owner (ownerToUse)
{
    setProgress (-1.0);
}

Updater::Checker::~Checker()
{
    // Must end before the result it writes goes away; the fetch ends at once on the exit signal.
    stopThread (10000);
}

void Updater::Checker::run()
{
    result = owner.fetchUpdateInfo (this);
}

void Updater::Checker::threadComplete (bool)
{
    owner.checkFinished (result);
}
} // namespace common::updater
