#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace vantor::dataset
{
/** Replaces files or folders by new ones in one step that either happens whole or not at all: the
    live items are first moved aside, then the new ones moved into their places; when any move
    fails, every move already made is undone in reverse order. All places must lie on one file
    system, so every step is a rename.

    With a journal folder the swap also survives the death of the process or of the machine at any
    instant: the new parts are synced and the list of moves is written, flushed and synced into
    the journal folder before the first rename, and the journal is removed only after the last
    rename and a sync of every folder involved. recover, run before anything else touches those
    folders again, then finishes the swap when every new part is in place and undoes it otherwise,
    so the folders always hold one whole state, old or new.

    Threads: an object belongs to the one thread that fills and commits it; recover runs on the
    thread that owns the folders at that moment. The move hook is set before any swap runs. */
class FileSwap
{
public:
    /** Moves from onto to, which must not exist yet; tests pass one that fails on purpose. */
    using Mover = std::function<bool (const juce::File& from, const juce::File& to)>;

    explicit FileSwap (Mover mover = {});

    /** Keeps the journal in this folder; every place of the swap must lie below it. Without one the
        swap is only safe against failing moves, not against a crash. */
    void setJournalFolder (const juce::File& folder);

    /** The live item will wait at asidePlace; nothing happens for an item that does not exist. */
    void setAside (const juce::File& live, const juce::File& asidePlace);
    /** The replacement will take the place of live, which must be free once the set-asides ran. */
    void install (const juce::File& replacement, const juce::File& live);

    /** Runs the set-asides, then the installs. False when a move failed; everything is then back
        where it was (as far as moving back succeeds; what could not be moved back stays in the
        journal for recover). */
    bool commit();

    enum class Recovery
    {
        nothingToDo,
        finished, // every new part was in place: the new state stays
        undone,   // the old state is back
        failed    // a move back failed: the journal stays for the next try
    };

    /** Finishes or undoes a swap that a crash interrupted, as its journal in the folder says. A
        journal that is damaged, or names a place outside the folder or through a link, is
        removed unused. */
    static Recovery recover (const juce::File& journalFolder);

    /** The journal's file in a folder; its name is never a user's. */
    static juce::File getJournalFile (const juce::File& journalFolder);

    /** Creates the target's parent folder and renames; refuses a target that exists. */
    static bool moveWithoutOverwriting (const juce::File& from, const juce::File& to);

    /** Renames a complete new file over the target, replacing it in one step. */
    static bool replaceInOneStep (const juce::File& replacement, const juce::File& target);

    /** Called just before every rename of a swap or a replacement. Lets a test stop the process
        at a chosen move; null (the default) in the program. */
    using MoveHook = void (*)();
    static void setMoveHook (MoveHook hook);

private:
    struct Move
    {
        juce::File from;
        juce::File to;
    };

    bool writeJournal (const juce::Array<Move>& moves, int firstInstall) const;
    static void syncFoldersOf (const juce::Array<Move>& moves);
    static bool removeJournal (const juce::File& journalFolder);

    Mover mover;
    juce::File journalFolder;
    juce::Array<Move> asides;
    juce::Array<Move> installs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileSwap)
};
} // namespace vantor::dataset
