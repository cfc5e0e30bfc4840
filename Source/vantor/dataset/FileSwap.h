#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace vantor::dataset
{
/** Replaces files or folders by new ones in one step that either happens whole or not at all: the
    live items are first moved aside, then the new ones moved into their places; when any move
    fails, every move already made is undone in reverse order. All places must lie on one file
    system, so every step is a rename.

    Threads: an object belongs to the one thread that fills and commits it. */
class FileSwap
{
public:
    /** Moves from onto to, which must not exist yet; tests pass one that fails on purpose. */
    using Mover = std::function<bool (const juce::File& from, const juce::File& to)>;

    explicit FileSwap (Mover mover = {});

    /** The live item will wait at asidePlace; nothing happens for an item that does not exist. */
    void setAside (const juce::File& live, const juce::File& asidePlace);
    /** The replacement will take the place of live, which must be free once the set-asides ran. */
    void install (const juce::File& replacement, const juce::File& live);

    /** Runs the set-asides, then the installs. False when a move failed; everything is then back
        where it was (as far as moving back succeeds). */
    bool commit();

    /** Creates the target's parent folder and renames; refuses a target that exists. */
    static bool moveWithoutOverwriting (const juce::File& from, const juce::File& to);

    /** Renames a complete new file over the target, replacing it in one step. */
    static bool replaceInOneStep (const juce::File& replacement, const juce::File& target);

private:
    struct Move
    {
        juce::File from;
        juce::File to;
    };

    Mover mover;
    juce::Array<Move> asides;
    juce::Array<Move> installs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileSwap)
};
} // namespace vantor::dataset
