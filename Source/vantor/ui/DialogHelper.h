#pragma once

#include "common/volumes/RemovableVolumeList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace vantor::ui
{
class MessageBoxIconTypeComponent;

/** The program's modal dialogs: yes/no confirmations, the choice when a BANK of the same name
    exists, the name entry of "Save As", the BPM entry and the drive selection. Every dialog is
    entered modally without a nested loop and answered through the caller's completion, on the
    message thread; every function returns at once.

    DialogHelper holds one current dialog, one current worker, one current file chooser and the
    icon marker. A new dialog replaces (deletes) the previous one without calling its completion.
    A completion acts only while its own window still exists, and deletes the current dialog only
    when that is its own window, so a late answer of a deleted window (JUCE answers it with 0) or
    an onYes that opens the next dialog never deletes the wrong one.

    The shared objects are released by releaseResources while JUCE runs (the composition root's
    destructor calls it); a holder that JUCE deletes at shut-down releases whatever is left, so
    nothing is deleted by a static destructor after JUCE has gone.

    Texts: every title, message, label and button passes through TRANS; "{name}", "{bpm}" and
    "{maxlen}" are replaced after translation. showConfirmDialog takes its title and message as
    given (already translated).

    Threads: message thread only, but notifyCommandCompleted (worker thread). */
class DialogHelper
{
public:
    class CommandThread; // the worker with its progress window: DialogHelperCommandThread.h

    /** Makes the volume lists of the drive dialog; tests give fake volumes through it. An empty
        factory restores the machine's own list. */
    using VolumeListFactory = std::function<std::unique_ptr<common::RemovableVolumeList>()>;

    //==============================================================================
    /** Adds the icon marker of the type (1 hint, 2 question, 3 warning, 4 info) to the current
        dialog; nothing without one. The same marker moves from dialog to dialog. */
    static void setDialogIconType (int type);

    /** Yes (1, Return) / No (0, Escape) with the question icon (or iconType); 1 calls onYes,
        then the dialog is deleted. Title and message are used as given. */
    static void showConfirmDialog (const juce::String& title, const juce::String& message,
                                   std::function<void()> onYes, bool highlightYes, int iconType = 2);

    // Confirmations gated by the settings "WarnOverwriting" / "WarnDeleting": when the setting is
    // false the completion runs at once, before the call returns, and no window opens.
    static void confirmOverwriteSlot (std::function<void()> onConfirm);
    static void confirmOverwriteBank (std::function<void()> onConfirm);
    static void confirmDeleteSlot (const juce::String& name, std::function<void()> onConfirm);
    static void confirmDeleteBank (const juce::String& name, std::function<void()> onConfirm);
    static void confirmDeleteCollectionBank (const juce::String& name, std::function<void()> onConfirm);

    /** "BPM Calculation Result" with the BPM as " 120.00" on its second line; Yes highlighted. */
    static void showBpmCalculationResult (double bpm, std::function<void()> onApply);

    /** Overwrite (1) / Save As (2) / Cancel (0) in the toolkit's own message box (not the
        current dialog); Save As opens showSaveAsDialog. Without "WarnOverwriting", onOverwrite
        at once. */
    static void resolveSameNameBank (std::function<void()> onOverwrite, const juce::String& name,
                                     std::function<bool (const juce::String&)> onNewName);

    /** Name entry; the dialog stays open (text kept, message changed) for an empty name, a name
        over 50 code points and a name onName refuses (returns false). */
    static void showSaveAsDialog (const juce::String& initialName,
                                  std::function<bool (const juce::String&)> onName);

    /** BPM entry (digits and "." only); stays open while onBpm returns false. */
    static void showBpmInputDialog (std::function<bool (const juce::String&)> onBpm);

    /** Drive list of the removable volumes; onDrive gets the chosen root folder, unless the list
        changed before "OK". With no volume: "No available drives found." and one "OK". */
    static void showDriveSelectionDialog (const juce::String& title,
                                          std::function<void (const juce::File&)> onDrive);

    /** Called by a job on the worker thread after its command succeeded: unless the user
        cancelled, the progress window gives way to a "Completed." box titled as the operation
        once it has closed. Reads no component: it only marks the worker's shared state. */
    static void notifyCommandCompleted (juce::ThreadWithProgressWindow* window);

    /** The "Completed." box with one "OK", as the current dialog. */
    static void showCompletionBox (const juce::String& title);

    /** Deletes the current file chooser, worker (waiting for its job), dialog and the marker. */
    static void releaseResources();

    //==============================================================================
    // The shared objects, for the file operations and the tests.

    /** The window becomes the current dialog, deleting the previous one; returns it. */
    static juce::AlertWindow* setCurrentDialog (std::unique_ptr<juce::AlertWindow> window);
    static juce::AlertWindow* getCurrentDialog();

    /** The message a dialog of this class shows (JUCE's AlertWindow cannot tell it). */
    static juce::String getDialogMessage (const juce::AlertWindow& window);

    /** Deletes the current dialog only when it is this window. */
    static void deleteCurrentDialogIf (const juce::Component* window);

    /** The same completion as showConfirmDialog, for a window the caller built and made current
        (the restore confirmation): 1 calls onYes; then the window is deleted. */
    static void enterConfirmModalState (juce::AlertWindow& window, std::function<void()> onYes);

    /** The worker becomes current, deleting (and waiting for) the previous one. */
    static CommandThread* setCurrentWorker (std::unique_ptr<CommandThread> worker);
    static CommandThread* getCurrentWorker();

    /** True when no worker is held or the held one's thread has finished. */
    static bool isWorkerFree();

    static juce::FileChooser* setCurrentFileChooser (std::unique_ptr<juce::FileChooser> chooser);
    static juce::FileChooser* getCurrentFileChooser();

    /** The marker, or null before the first setDialogIconType. */
    static MessageBoxIconTypeComponent* getIconMarker();

    static void setVolumeListFactory (VolumeListFactory factory);

    static constexpr int maxNameLength = 50;

private:
    struct Resources;
    static Resources& resources();
    static Resources* existingResources();

    DialogHelper() = delete;
};

} // namespace vantor::ui
