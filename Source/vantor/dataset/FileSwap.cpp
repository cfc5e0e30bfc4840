#include "vantor/dataset/FileSwap.h"

#include "vantor/dataset/DiskSync.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/SampleFiles.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <set>

namespace vantor::dataset
{
namespace
{
std::atomic<FileSwap::MoveHook> moveHook{nullptr};

constexpr const char* journalName = ".glorvak-swap-journal.json";
constexpr const char* movesKey = "moves";
constexpr const char* firstInstallKey = "first_install";

void beforeMove()
{
    if (auto hook = moveHook.load())
        hook();
}

// True when anything, a dangling link included, has this name.
bool isPresent (const juce::File& item)
{
    struct stat info;
    return ::lstat (item.getFullPathName().toRawUTF8(), &info) == 0;
}

bool isLink (const juce::File& item)
{
    struct stat info;
    return ::lstat (item.getFullPathName().toRawUTF8(), &info) == 0 && S_ISLNK (info.st_mode);
}

// The journal stores places relative to its folder, so that a removable volume mounted elsewhere
// next time is still recovered.
juce::String relativePlace (const juce::File& folder, const juce::File& item)
{
    if (!item.isAChildOf (folder))
        return {};

    return item.getRelativePathFrom (folder);
}

// The place a stored relative path means: only below the folder, never through a link.
juce::File resolvePlace (const juce::File& folder, const juce::String& relative)
{
    const auto parts = juce::StringArray::fromTokens (relative, "/", "");

    if (parts.isEmpty())
        return {};

    auto place = folder;

    for (int i = 0; i < parts.size(); ++i)
    {
        place = getBareChildFile (place, parts[i]);

        if (place == juce::File() || (i < parts.size() - 1 && isLink (place)))
            return {};
    }

    return place;
}
} // namespace

FileSwap::FileSwap (Mover moverToUse)
    : mover (moverToUse != nullptr ? std::move (moverToUse) : Mover (&FileSwap::moveWithoutOverwriting))
{
}

void FileSwap::setMoveHook (MoveHook hook)
{
    moveHook = hook;
}

juce::File FileSwap::getJournalFile (const juce::File& folder)
{
    return folder.getChildFile (journalName);
}

bool FileSwap::moveWithoutOverwriting (const juce::File& from, const juce::File& to)
{
    // juce::File::moveFileTo would delete an existing target first: a swap never destroys data.
    if (isPresent (to) || !isPresent (from))
        return false;

    const auto parent = to.getParentDirectory();

    if (!parent.isDirectory() && !parent.createDirectory())
        return false;

    return std::rename (from.getFullPathName().toRawUTF8(), to.getFullPathName().toRawUTF8()) == 0;
}

bool FileSwap::replaceInOneStep (const juce::File& replacement, const juce::File& target)
{
    beforeMove();

    // juce::File::moveFileTo deletes the target first, which would leave no file at all if the
    // program died between the two steps.
    if (std::rename (replacement.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
        return false;

    DiskSync::parentOf (target);
    return true;
}

void FileSwap::setJournalFolder (const juce::File& folder)
{
    journalFolder = folder;
}

void FileSwap::setAside (const juce::File& live, const juce::File& asidePlace)
{
    asides.add ({live, asidePlace});
}

void FileSwap::install (const juce::File& replacement, const juce::File& live)
{
    installs.add ({replacement, live});
}

bool FileSwap::writeJournal (const juce::Array<Move>& moves, int firstInstall) const
{
    juce::Array<juce::var> stored;

    for (const auto& move : moves)
    {
        const auto from = relativePlace (journalFolder, move.from);
        const auto to = relativePlace (journalFolder, move.to);

        if (from.isEmpty() || to.isEmpty())
            return false;

        stored.add (juce::Array<juce::var>{from, to});
    }

    auto* object = new juce::DynamicObject();
    object->setProperty (movesKey, stored);
    object->setProperty (firstInstallKey, firstInstall);

    // The write flushes (and so syncs) the file before renaming it into place; the folder sync
    // makes that rename durable before the first move of the swap.
    return JsonFileStore::write (getJournalFile (journalFolder), juce::var (object)) &&
           DiskSync::item (journalFolder);
}

void FileSwap::syncFoldersOf (const juce::Array<Move>& moves)
{
    std::set<juce::String> folders;

    for (const auto& move : moves)
    {
        folders.insert (move.from.getParentDirectory().getFullPathName());
        folders.insert (move.to.getParentDirectory().getFullPathName());
    }

    for (const auto& folder : folders)
        DiskSync::item (juce::File (folder));
}

bool FileSwap::removeJournal (const juce::File& folder)
{
    const auto journal = getJournalFile (folder);

    if (!journal.deleteFile())
        return false;

    DiskSync::item (folder);
    return true;
}

bool FileSwap::commit()
{
    juce::Array<Move> moves;

    for (const auto& move : asides)
        if (isPresent (move.from))
            moves.add (move);

    const int firstInstall = moves.size();
    moves.addArray (installs);

    const bool journalled = journalFolder != juce::File();

    if (journalled)
    {
        // The new parts must be on the disk before they become the live ones.
        for (const auto& move : installs)
            DiskSync::tree (move.from);

        if (!writeJournal (moves, firstInstall))
        {
            getJournalFile (journalFolder).deleteFile();
            return false;
        }
    }

    int done = 0;

    for (; done < moves.size(); ++done)
    {
        beforeMove();

        if (!mover (moves.getReference (done).from, moves.getReference (done).to))
            break;
    }

    bool undone = true;

    if (done < moves.size())
        for (int i = done; --i >= 0;)
            undone = mover (moves.getReference (i).to, moves.getReference (i).from) && undone;

    if (journalled)
    {
        syncFoldersOf (moves);

        // A swap that could not be undone in full keeps its journal: the next recover tries again.
        if (undone)
            removeJournal (journalFolder);
    }

    return done == moves.size();
}

FileSwap::Recovery FileSwap::recover (const juce::File& folder)
{
    const auto journal = getJournalFile (folder);

    if (folder == juce::File() || !isPresent (journal))
        return Recovery::nothingToDo;

    struct stat info;

    // Only a regular file is read: a FIFO of that name would block the open, a link lead outside.
    if (::lstat (journal.getFullPathName().toRawUTF8(), &info) != 0 || !S_ISREG (info.st_mode))
    {
        journal.deleteFile();
        return Recovery::nothingToDo;
    }

    const auto stored = JsonFileStore::read (journal, movesKey);
    juce::Array<Move> moves;
    bool valid = stored.status == JsonFileStore::ReadStatus::ok;
    const auto firstInstall = valid ? (int)stored.root.getProperty (firstInstallKey, -1) : -1;

    if (valid)
    {
        for (const auto& entry : *stored.root[movesKey].getArray())
        {
            const auto from = resolvePlace (folder, entry[0].toString());
            const auto to = resolvePlace (folder, entry[1].toString());
            valid = valid && entry.size() == 2 && from != juce::File() && to != juce::File();
            moves.add ({from, to});
        }
    }

    if (!valid || !juce::isPositiveAndNotGreaterThan (firstInstall, moves.size()))
    {
        removeJournal (folder);
        return Recovery::nothingToDo;
    }

    // Renames are atomic and ran in order: a move happened exactly when its source is gone and its
    // target is there.
    const auto isDone = [] (const Move& move) { return !isPresent (move.from) && isPresent (move.to); };
    bool everyInstallDone = true;

    for (int i = firstInstall; i < moves.size(); ++i)
        everyInstallDone = everyInstallDone && isDone (moves.getReference (i));

    if (everyInstallDone)
    {
        syncFoldersOf (moves);
        removeJournal (folder);
        return Recovery::finished;
    }

    bool undone = true;

    for (int i = moves.size(); --i >= 0;)
        if (isDone (moves.getReference (i)))
            undone =
                moveWithoutOverwriting (moves.getReference (i).to, moves.getReference (i).from) && undone;

    syncFoldersOf (moves);

    if (!undone)
        return Recovery::failed;

    removeJournal (folder);
    return Recovery::undone;
}
} // namespace vantor::dataset
