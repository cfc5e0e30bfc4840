#include "vantor/dataset/FileSwap.h"

#include <cstdio>

namespace vantor::dataset
{
FileSwap::FileSwap (Mover moverToUse)
    : mover (moverToUse != nullptr ? std::move (moverToUse) : Mover (&FileSwap::moveWithoutOverwriting))
{
}

bool FileSwap::moveWithoutOverwriting (const juce::File& from, const juce::File& to)
{
    // juce::File::moveFileTo would delete an existing target first: a swap never destroys data.
    if (to.exists() || !from.exists())
        return false;

    const auto parent = to.getParentDirectory();

    if (!parent.isDirectory() && !parent.createDirectory())
        return false;

    return from.moveFileTo (to);
}

bool FileSwap::replaceInOneStep (const juce::File& replacement, const juce::File& target)
{
    // juce::File::moveFileTo deletes the target first, which would leave no file at all if the
    // program died between the two steps.
    return std::rename (replacement.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) == 0;
}

void FileSwap::setAside (const juce::File& live, const juce::File& asidePlace)
{
    asides.add ({live, asidePlace});
}

void FileSwap::install (const juce::File& replacement, const juce::File& live)
{
    installs.add ({replacement, live});
}

bool FileSwap::commit()
{
    juce::Array<Move> done;

    const auto run = [&] (const juce::Array<Move>& moves, bool skipMissing)
    {
        for (const auto& move : moves)
        {
            if (skipMissing && !move.from.exists())
                continue;

            if (!mover (move.from, move.to))
                return false;

            done.add (move);
        }

        return true;
    };

    if (run (asides, true) && run (installs, false))
        return true;

    for (int i = done.size(); --i >= 0;)
        mover (done.getReference (i).to, done.getReference (i).from);

    return false;
}
} // namespace vantor::dataset
