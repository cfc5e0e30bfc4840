// The main window closed while an export, a backup or a restore runs, as a user closes it: the
// program cancels the operation as its Cancel button does, waits for it to end and quits with
// exit code 0. What the operation was writing (the removable volume, the archive, the data
// folder) is then wholly as it was before, or wholly as a run that completed leaves it.
//
// The program gets a data folder full enough that each operation runs for a while under the
// sanitizers. What it left is compared file by file, bytes and all, with a snapshot taken before
// and with the result of the same operation run to completion through the program. Screenshots of
// the progress window just before the close go to $GLORVAK_SCREENSHOTS when it is set.

#include "program/ProgramSteps.h"
#include "support/DialogLayout.h"
#include "support/FullDataFolder.h"
#include "support/ProgramUnderTest.h"
#include "vantor/FileOperations.h"
#include "vantor/dataset/Leftovers.h"
#include "vantor/ui/DialogHelper.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <iostream>
#include <map>
#include <optional>

namespace
{
using namespace glorvak::test;

// Enough that an export, a backup and a restore each take several seconds in the sanitizer build,
// and no more: the test writes it, and the backup deflates all of it.
FullDataFolder fullData()
{
    FullDataFolder shape;
    shape.secondsPerSlot = 4.0;
    shape.storedBanks = 10;
    shape.trimmedFrames = 1;
    return shape;
}

//==============================================================================
/** Files below a folder by their relative paths, with their bytes; folders end in "/" and have
    none. */
using FolderContents = std::map<juce::String, juce::MemoryBlock>;

/** What is below the folder, or below only those of its subfolders when some are named. */
FolderContents contentsOf (const juce::File& folder, const juce::StringArray& subfolders = {})
{
    FolderContents contents;

    // Hidden files too: the program's temporary places are hidden.
    for (const auto& entry :
         juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFilesAndDirectories))
    {
        const auto path = entry.getFile().getRelativePathFrom (folder);

        if (!subfolders.isEmpty() && !subfolders.contains (path.upToFirstOccurrenceOf ("/", false, false)))
            continue;

        if (entry.isDirectory())
            contents[path + "/"];
        else
            entry.getFile().loadFileAsData (contents[path]);
    }

    return contents;
}

/** The first few paths that differ between a and b, for a failure message. */
juce::String differences (const FolderContents& a, const FolderContents& b)
{
    juce::StringArray lines;

    for (const auto& [path, bytes] : a)
        if (const auto other = b.find (path); other == b.end())
            lines.add ("  only now: " + path);
        else if (other->second != bytes)
            lines.add ("  other bytes: " + path + " (" + juce::String ((int)bytes.getSize()) + " now, " +
                       juce::String ((int)other->second.getSize()) + " there)");

    for (const auto& [path, bytes] : b)
        if (a.find (path) == a.end())
            lines.add ("  missing now: " + path);

    if (lines.size() > 12)
    {
        lines.removeRange (12, lines.size() - 12);
        lines.add ("  ...");
    }

    return lines.joinIntoString ("\n");
}

/** Checks that a folder is wholly in one of the two states, and says which. */
void expectWhollyBeforeOrAfter (const FolderContents& now, const FolderContents& before,
                                const FolderContents& after, const juce::String& what)
{
    ASSERT_NE (before, after) << "the operation changes " << what;
    const bool asBefore = now == before;
    const bool asAfter = now == after;
    EXPECT_TRUE (asBefore || asAfter) << what << " is half-written.\nAgainst before:\n"
                                      << differences (now, before) << "\nAgainst a completed run:\n"
                                      << differences (now, after);
    if (asBefore || asAfter)
    {
        const auto left = asBefore ? "as before (cancelled)" : "as after (completed)";
        ::testing::Test::RecordProperty ("left", left);
        std::cout << what << " is left " << left << std::endl;
    }
}

/** Every entry of a zip archive with its bytes, read through libzip with its checksums checked;
    nothing when the file is no complete, valid archive. */
std::optional<std::map<juce::String, juce::MemoryBlock>> readArchive (const juce::File& file)
{
    int error = 0;
    auto* archive = zip_open (file.getFullPathName().toRawUTF8(), ZIP_RDONLY | ZIP_CHECKCONS, &error);

    if (archive == nullptr)
        return std::nullopt;

    std::map<juce::String, juce::MemoryBlock> entries;
    bool valid = true;
    const auto count = zip_get_num_entries (archive, 0);

    for (zip_int64_t i = 0; i < count && valid; ++i)
    {
        zip_stat_t stat;
        auto* entry = zip_stat_index (archive, (zip_uint64_t)i, 0, &stat) == 0
                          ? zip_fopen_index (archive, (zip_uint64_t)i, 0)
                          : nullptr;

        if (entry == nullptr)
        {
            valid = false;
            break;
        }

        juce::MemoryBlock bytes ((size_t)stat.size);
        // The checksum is compared when the end is read: one more read must give 0, not -1.
        valid = zip_fread (entry, bytes.getData(), stat.size) == (zip_int64_t)stat.size &&
                zip_fread (entry, bytes.getData(), 1) == 0;
        zip_fclose (entry);
        entries[juce::String::fromUTF8 (stat.name)] = std::move (bytes);
    }

    zip_discard (archive);

    if (!valid)
        return std::nullopt;

    return entries;
}

/** JUCE's own file chooser of that size (the one the program shows where the desktop has no
    chooser of its own), built here with the program's look-and-feel: where its file name box and
    its Save or Open button lie, in the window's coordinates. */
struct ChooserLayout
{
    juce::Rectangle<int> fileBox;
    juce::Rectangle<int> okButton;
};

ChooserLayout layOutFileChooser (juce::Rectangle<int> windowSize, bool saving)
{
    using Browser = juce::FileBrowserComponent;
    const ProgramLookAndFeelScope lookAndFeel;
    Browser browser (saving ? Browser::saveMode | Browser::canSelectFiles | Browser::warnAboutOverwriting
                            : Browser::openMode | Browser::canSelectFiles,
                     juce::File::getSpecialLocation (juce::File::userHomeDirectory), nullptr, nullptr);
    juce::FileChooserDialogBox box ({}, {}, browser, saving, juce::Colours::black);
    box.setSize (windowSize.getWidth(), windowSize.getHeight());
    ChooserLayout layout;
    std::function<void (juce::Component&)> visit = [&] (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
        {
            const auto area = box.getLocalArea (child, child->getLocalBounds());

            if (dynamic_cast<juce::TextEditor*> (child) != nullptr)
                layout.fileBox = area;
            else if (auto* button = dynamic_cast<juce::TextButton*> (child);
                     button != nullptr && button->getButtonText() == TRANS (saving ? "Save" : "Open"))
                layout.okButton = area;

            visit (*child);
        }
    };
    visit (box);
    return layout;
}

//==============================================================================
class QuitDuringFileOperation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const auto reason = whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;

        ASSERT_TRUE (fullData().write (user.dataFolder()));
    }

    void start()
    {
        run = std::make_unique<ProgramRun> (user);
        ASSERT_TRUE (run->started());
        ASSERT_TRUE (run->waitForMainWindow().isValid()) << run->output();
    }

    /** Closes the window as a user does while nothing runs; the program ends cleanly. */
    void quit()
    {
        ASSERT_TRUE (run->closeAsUser());
        expectCleanEnd();
    }

    void expectCleanEnd()
    {
        ASSERT_TRUE (run->waitForExit()) << run->output();
        EXPECT_EQ (run->exitCode(), 0) << run->output();
        EXPECT_FALSE (run->hasSanitizerReport()) << run->output();
    }

    std::vector<ProgramWindow> dialogs() const
    {
        std::vector<ProgramWindow> found;

        for (const auto& window : run->visibleWindows())
            if (window.id != run->mainWindow().id)
                found.push_back (window);

        return found;
    }

    /** Picks an item of the File menu and waits for the window of that title that it opens (by
        its title: the menu's own window may not have gone yet). */
    ProgramWindow pickFileItem (FileItem item, const juce::String& title)
    {
        EXPECT_TRUE (run->waitUntil ([this] { return dialogs().empty(); })) << "a dialog is still open";

        if (!run->activate())
            return {};

        const auto popup = run->openMenu (fileMenu);
        const auto lines = run->readMenuLines (popup);

        if (lines.size() != (size_t)fileItemCount ||
            !run->clickOnScreen (lines[(size_t)item].bounds.getCentre()))
        {
            ADD_FAILURE() << "the File menu shows " << lines.size() << " items";
            return {};
        }

        return run->waitForWindowTitled (title);
    }

    /** Clicks the button that a layout found in a dialog shown on the screen, after checking it is
        the same dialog. */
    void clickIn (const ProgramWindow& dialog, const DialogLayout& layout)
    {
        ASSERT_TRUE (dialog.isValid());
        ASSERT_EQ (dialog.bounds.getWidth(), layout.dialog.getWidth()) << "the same dialog";
        ASSERT_EQ (dialog.bounds.getHeight(), layout.dialog.getHeight()) << "the same dialog";
        ASSERT_FALSE (layout.button.isEmpty());
        ASSERT_TRUE (run->clickOnScreen (dialog.bounds.getPosition() + layout.button.getCentre()));
        answeredDialog = dialog.id;
    }

    /** File > Export to the one removable volume there is. */
    void startExport (const juce::File& drive)
    {
        const auto dialog = pickFileItem (exportItem, TRANS ("Export"));
        clickIn (dialog, layOutDriveDialog (drive.getFileName()));
    }

    /** Types a file's whole path into JUCE's own file chooser and takes it. */
    void chooseFile (const ProgramWindow& chooser, const juce::File& file, bool saving)
    {
        ASSERT_TRUE (chooser.isValid()) << "the file chooser";
        const auto layout = layOutFileChooser (chooser.bounds, saving);
        ASSERT_FALSE (layout.fileBox.isEmpty());
        ASSERT_FALSE (layout.okButton.isEmpty());

        // What the file name box holds (the proposed name) is replaced. Return on a whole path
        // only moves the chooser to its folder and leaves the name in the box, for Save or Open to
        // take (the X server delivers the click after the keys).
        ASSERT_TRUE (run->clickOnScreen (chooser.bounds.getPosition() + layout.fileBox.getCentre()));
        ASSERT_TRUE (run->key ("ctrl+a"));
        ASSERT_TRUE (run->typeText (file.getFullPathName()));
        ASSERT_TRUE (run->key ("Return"));
        ASSERT_TRUE (run->clickOnScreen (chooser.bounds.getPosition() + layout.okButton.getCentre()));
    }

    /** File > Backup into that archive. */
    void startBackup (const juce::File& archive)
    {
        chooseFile (pickFileItem (backupItem, TRANS ("Save As")), archive, true);
    }

    /** File > Restore from that archive, confirmed. */
    void startRestore (const juce::File& archive)
    {
        chooseFile (pickFileItem (restoreItem, TRANS ("Open")), archive, false);
        const auto confirmation = run->waitForWindowTitled (TRANS ("Restore"));
        clickIn (confirmation,
                 layOutDialog ([&archive] { vantor::confirmRestore (nullptr, archive); }, TRANS ("Yes")));
    }

    /** The operation's "Completed." box, which has the progress window's title. */
    static DialogLayout completionBox (const juce::String& title)
    {
        return layOutDialog ([&title] { vantor::ui::DialogHelper::showCompletionBox (title); }, TRANS ("OK"));
    }

    static bool hasSize (const ProgramWindow& window, juce::Rectangle<int> size)
    {
        return window.bounds.getWidth() == size.getWidth() && window.bounds.getHeight() == size.getHeight();
    }

    /** Waits for the operation's "Completed." box and closes it with its OK. */
    void waitForCompletion (const juce::String& title)
    {
        const auto layout = completionBox (title);
        const auto box = run->waitForWindow (
            [&] (const ProgramWindow& w) {
                return w.id != run->mainWindow().id && hasSize (w, layout.dialog) &&
                       ProgramRun::titleOf (w) == title;
            });
        ASSERT_TRUE (box.isValid()) << title << " completed";
        ASSERT_TRUE (run->clickOnScreen (box.bounds.getPosition() + layout.button.getCentre()));
        ASSERT_TRUE (run->waitUntil ([this] { return dialogs().empty(); }));
    }

    /** Waits until the operation's progress window shows, then closes the main window as a user
        does: the program ends, with exit code 0 and clean. */
    void closeWhileProgressShows (const juce::String& title, const juce::String& screenshotName)
    {
        const auto completed = completionBox (title).dialog;
        const auto progress = run->waitForWindow (
            [&] (const ProgramWindow& w)
            {
                // The drive dialog and the restore confirmation have the same title and may
                // not have gone yet.
                return w.id != run->mainWindow().id && w.id != answeredDialog && !hasSize (w, completed) &&
                       ProgramRun::titleOf (w) == title;
            });
        ASSERT_TRUE (progress.isValid()) << "the progress window of " << title;
        run->screenshot (screenshotName); // only when asked for: it waits for the program to paint
        ASSERT_TRUE (run->closeAsUser());
        expectCleanEnd();
    }

    ProgramUser user;
    std::unique_ptr<ProgramRun> run;
    juce::String answeredDialog; // the window of the last dialog answered
};
} // namespace

TEST_F (QuitDuringFileOperation, ExportLeavesTheVolumeAsBeforeOrAsACompletedExportDoes)
{
    const auto drive = user.addRemovableVolume ("GLORVAK");
    start();
    startExport (drive);
    waitForCompletion (TRANS ("Export"));
    const auto completed = contentsOf (drive);

    // An older export in its place: the same files with other bytes, so that a file of the new
    // export left among the old ones shows.
    for (const auto& [path, bytes] : completed)
        if (!path.endsWith ("/"))
        {
            ASSERT_TRUE (drive.getChildFile (path).appendText ("older"));
        }

    const auto before = contentsOf (drive);
    startExport (drive);
    closeWhileProgressShows (TRANS ("Export"), "quit-during-export");
    expectWhollyBeforeOrAfter (contentsOf (drive), before, completed, "the volume");
}

TEST_F (QuitDuringFileOperation, BackupLeavesNoArchiveOrACompleteOne)
{
    const auto folder = user.home().getChildFile ("Backups");
    ASSERT_TRUE (folder.createDirectory());
    const auto completedArchive = folder.getChildFile ("completed.zip");
    const auto archive = folder.getChildFile ("closed during the backup.zip");

    start();
    startBackup (completedArchive);
    waitForCompletion (TRANS ("Backup"));
    const auto completed = readArchive (completedArchive);
    ASSERT_TRUE (completed.has_value());
    ASSERT_FALSE (completed->empty());

    startBackup (archive);
    closeWhileProgressShows (TRANS ("Backup"), "quit-during-backup");

    // Nothing else beside the archives where the user keeps them: no temporary file.
    juce::StringArray names;
    for (const auto& entry :
         juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
        names.add (entry.getFile().getFileName());
    names.sort (false);

    if (names.contains (archive.getFileName()))
    {
        EXPECT_EQ (names, juce::StringArray (archive.getFileName(), completedArchive.getFileName()));
        const auto left = readArchive (archive);
        ASSERT_TRUE (left.has_value()) << "the archive left behind is complete and valid";
        EXPECT_TRUE (*left == *completed) << "and holds what a completed backup holds";
        RecordProperty ("left", "a complete archive");
        std::cout << "a complete archive is left" << std::endl;
    }
    else
    {
        EXPECT_EQ (names, juce::StringArray (completedArchive.getFileName()));
        RecordProperty ("left", "no archive (cancelled)");
        std::cout << "no archive is left" << std::endl;
    }
}

TEST_F (QuitDuringFileOperation, RestoreLeavesTheDataAsBeforeOrAsACompletedRestoreDoes)
{
    const juce::StringArray restoredFolders{"model", "bankcollection"};
    const auto archive = user.home().getChildFile ("other.zip");

    // The archive: a backup made by the program of other data (the same names and sizes, other
    // samples).
    user.useDataHome ("other");
    auto otherData = fullData();
    otherData.seed = 7;
    ASSERT_TRUE (otherData.write (user.dataFolder()));
    start();
    startBackup (archive);
    waitForCompletion (TRANS ("Backup"));
    quit();

    // The user's data as the program keeps it: it rewrites "model.json" in its own form.
    user.useDataHome ("data");
    start();
    quit();
    const auto before = contentsOf (user.dataFolder(), restoredFolders);

    // What a completed restore leaves, over a copy of the user's data.
    const auto userData = user.dataFolder();
    user.useDataHome ("completed");

    for (const auto& folder : restoredFolders)
    {
        ASSERT_TRUE (
            userData.getChildFile (folder).copyDirectoryTo (user.dataFolder().getChildFile (folder)));
    }

    start();
    startRestore (archive);
    waitForCompletion (TRANS ("Restore"));
    quit();
    const auto completed = contentsOf (user.dataFolder(), restoredFolders);

    // The user's own data, closed during the restore.
    user.useDataHome ("data");
    start();
    startRestore (archive);
    closeWhileProgressShows (TRANS ("Restore"), "quit-during-restore");
    expectWhollyBeforeOrAfter (contentsOf (user.dataFolder(), restoredFolders), before, completed,
                               "the data folder");

    // Nothing of the program's own temporary places is left in the data folder.
    for (const auto& entry :
         juce::RangedDirectoryIterator (user.dataFolder(), true, "*", juce::File::findFilesAndDirectories))
        EXPECT_FALSE (vantor::dataset::Leftovers::isTemporaryName (entry.getFile().getFileName()))
            << entry.getFile().getFullPathName();
}
