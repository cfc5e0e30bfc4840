#include "vantor/ui/DialogHelper.h"

#include "common/AppSettingsSingleton.h"
#include "common/updater/DialogButtons.h"
#include "vantor/ui/DialogHelperCommandThread.h"
#include "vantor/ui/MessageBoxIconTypeComponent.h"

namespace vantor::ui
{
namespace
{
using SafeWindow = juce::Component::SafePointer<juce::AlertWindow>;

DialogHelper::VolumeListFactory& volumeListFactory()
{
    static DialogHelper::VolumeListFactory factory;
    return factory;
}

juce::Array<common::RemovableVolumeList::Volume> currentVolumes()
{
    auto& factory = volumeListFactory();
    auto list = factory ? factory() : std::make_unique<common::RemovableVolumeList>();

    if (list == nullptr)
        return {};

    list->refresh();
    return list->getVolumes();
}

bool warnOverwriting()
{
    auto* settings = common::AppSettingsSingleton::getInstance();
    return settings == nullptr || settings->getWarnOverwriting();
}

bool warnDeleting()
{
    auto* settings = common::AppSettingsSingleton::getInstance();
    return settings == nullptr || settings->getWarnDeleting();
}

const juce::Identifier messageProperty{"message"};

// AlertWindow cannot tell its message: the text is also kept where tests and callers can read it.
void setMessage (juce::AlertWindow& window, const juce::String& message)
{
    window.setMessage (message);
    window.getProperties().set (messageProperty, message);
}

juce::AlertWindow* newCurrentDialog (const juce::String& title, const juce::String& message)
{
    auto window = std::make_unique<juce::AlertWindow> (title, juce::String(),
                                                       juce::MessageBoxIconType::NoIcon, nullptr);
    setMessage (*window, message);
    return DialogHelper::setCurrentDialog (std::move (window));
}

void addOkCancel (juce::AlertWindow& window)
{
    window.addButton (TRANS ("OK"), 1, juce::KeyPress (juce::KeyPress::returnKey));
    window.addButton (TRANS ("Cancel"), 0, juce::KeyPress (juce::KeyPress::escapeKey));
}

juce::String editorText (juce::AlertWindow& window)
{
    auto* editor = window.getTextEditor ("text");
    return editor != nullptr ? editor->getText() : juce::String();
}

// Enters the modal state with a completion that acts only while its own window exists: JUCE
// answers a window deleted while modal with 0, later, when another dialog may already be current.
void enterModal (juce::AlertWindow& window, std::function<void (juce::AlertWindow&, int)> answer)
{
    window.enterModalState (true,
                            juce::ModalCallbackFunction::create (
                                [safe = SafeWindow (&window), answer = std::move (answer)] (int result)
                                {
                                    if (safe == nullptr)
                                        return;

                                    safe->setVisible (false);
                                    answer (*safe, result);
                                }),
                            false);
}

void enterNameValidation (juce::AlertWindow& window, std::function<bool (const juce::String&)> onName,
                          int maxLength)
{
    enterModal (window,
                [onName = std::move (onName), maxLength] (juce::AlertWindow& w, int result)
                {
                    if (result == 0)
                    {
                        DialogHelper::deleteCurrentDialogIf (&w);
                        return;
                    }

                    const auto text = editorText (w);
                    juce::String problem;

                    if (text.isEmpty())
                        problem = TRANS ("Name cannot be empty.\r\nPlease enter a name.");
                    else if (text.length() > maxLength) // code points, not bytes
                        problem = TRANS ("Name is too long.\r\nPlease enter within {maxlen} characters.")
                                      .replace ("{maxlen}", juce::String (maxLength));
                    else
                    {
                        SafeWindow safe (&w);

                        if (!onName || onName (text))
                        {
                            DialogHelper::deleteCurrentDialogIf (safe.getComponent());
                            return;
                        }

                        if (safe == nullptr)
                            return;

                        problem = TRANS ("That name is already in use.\r\nPlease enter a different name.");
                    }

                    setMessage (w, problem);
                    enterNameValidation (w, onName, maxLength);
                });
}

void enterBpmEntry (juce::AlertWindow& window, std::function<bool (const juce::String&)> onBpm)
{
    enterModal (window,
                [onBpm = std::move (onBpm)] (juce::AlertWindow& w, int result)
                {
                    SafeWindow safe (&w);

                    if (result != 0 && onBpm && !onBpm (editorText (w)))
                    {
                        if (safe != nullptr)
                            enterBpmEntry (*safe, onBpm);

                        return;
                    }

                    DialogHelper::deleteCurrentDialogIf (safe.getComponent());
                });
}

void enterDriveSelection (juce::AlertWindow& window, std::function<void (const juce::File&)> onDrive)
{
    enterModal (window,
                [onDrive = std::move (onDrive)] (juce::AlertWindow& w, int result)
                {
                    SafeWindow safe (&w);

                    if (result != 0)
                    {
                        auto* box = w.getComboBoxComponent ("drives");
                        const int index = box != nullptr ? box->getSelectedItemIndex() : -1;

                        if (index < 0)
                        {
                            enterDriveSelection (w, onDrive);
                            return;
                        }

                        // The list may have changed while the dialog was up: act only when the
                        // chosen line still names the same volume.
                        const auto chosen = box->getItemText (index);
                        const auto volumes = currentVolumes();

                        if (box->getNumItems() == volumes.size() && volumes[index].displayName == chosen &&
                            onDrive)
                            onDrive (volumes[index].rootFolder);
                    }

                    DialogHelper::deleteCurrentDialogIf (safe.getComponent());
                });
}

// The marker leaves the dialog it is in, its list of custom components included: the list would
// keep a dangling pointer once the marker moves on or goes.
void detachFromDialog (juce::Component& marker)
{
    if (auto* dialog = dynamic_cast<juce::AlertWindow*> (marker.getParentComponent()))
        for (int i = dialog->getNumCustomComponents(); --i >= 0;)
            if (dialog->getCustomComponent (i) == &marker)
                dialog->removeCustomComponent (i);
}

void confirmUnlessSkipped (bool ask, const juce::String& title, const juce::String& message,
                           std::function<void()> onConfirm)
{
    if (!ask)
    {
        if (onConfirm)
            onConfirm();

        return;
    }

    DialogHelper::showConfirmDialog (title, message, std::move (onConfirm), false);
}
} // namespace

//==============================================================================
// Held by a pointer that releaseResources clears; JUCE deletes what is left at its shut-down, while
// the message manager still exists, instead of a static destructor after it has gone.
struct DialogHelper::Resources : public juce::DeletedAtShutdown
{
    ~Resources() override
    {
        // The order matters: the worker may still show its window; the marker may be a child of
        // the current dialog, which must not outlive it in its list of custom components.
        fileChooser.reset();
        worker.reset();
        dialog.reset();
        marker.reset();

        if (instance == this)
            instance = nullptr;
    }

    std::unique_ptr<juce::FileChooser> fileChooser;
    std::unique_ptr<CommandThread> worker;
    std::unique_ptr<juce::AlertWindow> dialog;
    std::unique_ptr<MessageBoxIconTypeComponent> marker;

    static inline Resources* instance = nullptr;
};

DialogHelper::Resources& DialogHelper::resources()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (Resources::instance == nullptr)
    {
        // JUCE deletes its shut-down objects newest first: the windows held here must go while
        // the desktop and the modal manager they leave still exist, so those are made first.
        juce::Desktop::getInstance();
        juce::ModalComponentManager::getInstance();
        Resources::instance = new Resources();
    }

    return *Resources::instance;
}

DialogHelper::Resources* DialogHelper::existingResources()
{
    return Resources::instance;
}

void DialogHelper::releaseResources()
{
    JUCE_ASSERT_MESSAGE_THREAD
    delete Resources::instance; // its destructor clears the pointer
}

//==============================================================================
juce::AlertWindow* DialogHelper::setCurrentDialog (std::unique_ptr<juce::AlertWindow> window)
{
    auto& r = resources();

    // The previous dialog goes first; its completion is never called (it checks its window).
    if (r.marker != nullptr)
        detachFromDialog (*r.marker);

    r.dialog.reset();
    r.dialog = std::move (window);
    return r.dialog.get();
}

juce::AlertWindow* DialogHelper::getCurrentDialog()
{
    auto* r = existingResources();
    return r != nullptr ? r->dialog.get() : nullptr;
}

void DialogHelper::deleteCurrentDialogIf (const juce::Component* window)
{
    auto* r = existingResources();

    if (window != nullptr && r != nullptr && r->dialog.get() == window)
        setCurrentDialog (nullptr);
}

juce::String DialogHelper::getDialogMessage (const juce::AlertWindow& window)
{
    return window.getProperties()[messageProperty].toString();
}

void DialogHelper::setDialogIconType (int type)
{
    auto* r = existingResources();

    if (r == nullptr || r->dialog == nullptr)
        return;

    if (r->marker == nullptr)
        r->marker = std::make_unique<MessageBoxIconTypeComponent>();

    r->marker->setType (type);

    detachFromDialog (*r->marker);
    r->dialog->addCustomComponent (r->marker.get());
}

MessageBoxIconTypeComponent* DialogHelper::getIconMarker()
{
    auto* r = existingResources();
    return r != nullptr ? r->marker.get() : nullptr;
}

//==============================================================================
void DialogHelper::enterConfirmModalState (juce::AlertWindow& window, std::function<void()> onYes)
{
    enterModal (window,
                [onYes = std::move (onYes)] (juce::AlertWindow& w, int result)
                {
                    SafeWindow safe (&w);

                    if (result == 1 && onYes)
                        onYes();

                    // onYes may have opened the next dialog: that one stays.
                    deleteCurrentDialogIf (safe.getComponent());
                });
}

void DialogHelper::showConfirmDialog (const juce::String& title, const juce::String& message,
                                      std::function<void()> onYes, bool highlightYes, int iconType)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* window = newCurrentDialog (title, message);
    window->addButton (TRANS ("Yes"), 1, juce::KeyPress (juce::KeyPress::returnKey));
    window->addButton (TRANS ("No"), 0, juce::KeyPress (juce::KeyPress::escapeKey));

    if (highlightYes)
        common::updater::makeDefaultButton (*window, TRANS ("Yes"));

    setDialogIconType (iconType);
    enterConfirmModalState (*window, std::move (onYes));
}

void DialogHelper::confirmOverwriteSlot (std::function<void()> onConfirm)
{
    confirmUnlessSkipped (warnOverwriting(), TRANS ("Overwrite SLOT"),
                          TRANS ("Are you sure you want to overwrite?"), std::move (onConfirm));
}

void DialogHelper::confirmOverwriteBank (std::function<void()> onConfirm)
{
    confirmUnlessSkipped (warnOverwriting(), TRANS ("Overwrite BANK"),
                          TRANS ("Are you sure you want to overwrite?"), std::move (onConfirm));
}

void DialogHelper::confirmDeleteSlot (const juce::String& name, std::function<void()> onConfirm)
{
    confirmUnlessSkipped (warnDeleting(), TRANS ("Delete SLOT"),
                          TRANS ("Are you sure you want to delete '{name}'?").replace ("{name}", name),
                          std::move (onConfirm));
}

void DialogHelper::confirmDeleteBank (const juce::String& name, std::function<void()> onConfirm)
{
    confirmUnlessSkipped (warnDeleting(), TRANS ("Delete BANK"),
                          TRANS ("Are you sure you want to delete '{name}'?").replace ("{name}", name),
                          std::move (onConfirm));
}

void DialogHelper::confirmDeleteCollectionBank (const juce::String& name, std::function<void()> onConfirm)
{
    confirmDeleteBank (name, std::move (onConfirm));
}

void DialogHelper::showBpmCalculationResult (double bpm, std::function<void()> onApply)
{
    showConfirmDialog (
        TRANS ("BPM Calculation Result\r\n{bpm}").replace ("{bpm}", juce::String::formatted ("% 5.02f", bpm)),
        TRANS ("Do you want to apply this BPM?"), std::move (onApply), true);
}

void DialogHelper::resolveSameNameBank (std::function<void()> onOverwrite, const juce::String& name,
                                        std::function<bool (const juce::String&)> onNewName)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!warnOverwriting())
    {
        if (onOverwrite)
            onOverwrite();

        return;
    }

    // JUCE's own box, owned by JUCE: it never replaces the current dialog.
    const auto options = juce::MessageBoxOptions()
                             .withIconType (juce::MessageBoxIconType::QuestionIcon)
                             .withTitle (TRANS ("A BANK with the same name already exists."))
                             .withMessage (TRANS ("Do you want to overwrite or save with a new name?"))
                             .withButton (TRANS ("Overwrite"))
                             .withButton (TRANS ("Save As"))
                             .withButton (TRANS ("Cancel"));

    juce::AlertWindow::showAsync (
        options,
        [onOverwrite = std::move (onOverwrite), name, onNewName = std::move (onNewName)] (int result)
        {
            if (result == 1 && onOverwrite)
                onOverwrite();
            else if (result == 2)
                showSaveAsDialog (name, onNewName);
        });
}

void DialogHelper::showSaveAsDialog (const juce::String& initialName,
                                     std::function<bool (const juce::String&)> onName)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* window = newCurrentDialog (TRANS ("Save As"), TRANS ("Please enter a name."));
    window->addTextEditor ("text", initialName, {}, false);
    addOkCancel (*window);
    setDialogIconType (MessageBoxIconTypeComponent::info);
    enterNameValidation (*window, std::move (onName), maxNameLength);
}

void DialogHelper::showBpmInputDialog (std::function<bool (const juce::String&)> onBpm)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* window =
        newCurrentDialog (TRANS ("Please enter BPM."),
                          TRANS ("BPM input is required to set as loop.\r\nValid range is 40.00-999.99."));
    window->addTextEditor ("text", {}, {}, false);

    if (auto* editor = window->getTextEditor ("text"))
    {
        editor->setJustification (juce::Justification::centred);
        editor->setInputRestrictions (0, "0123456789.");
        editor->setTextToShowWhenEmpty (TRANS ("Enter BPM"), juce::Colour (0xff555555));
    }

    addOkCancel (*window);
    common::updater::makeDefaultButton (*window, TRANS ("OK"));
    setDialogIconType (MessageBoxIconTypeComponent::info);
    enterBpmEntry (*window, std::move (onBpm));
}

void DialogHelper::showDriveSelectionDialog (const juce::String& title,
                                             std::function<void (const juce::File&)> onDrive)
{
    JUCE_ASSERT_MESSAGE_THREAD
    const auto volumes = currentVolumes();

    if (volumes.isEmpty())
    {
        auto* window = newCurrentDialog (title, TRANS ("No available drives found."));
        window->addButton (TRANS ("OK"), 1, juce::KeyPress (juce::KeyPress::returnKey));
        setDialogIconType (MessageBoxIconTypeComponent::info);
        enterModal (*window, [] (juce::AlertWindow& w, int) { deleteCurrentDialogIf (&w); });
        return;
    }

    juce::StringArray names;

    for (const auto& volume : volumes)
        names.add (volume.displayName);

    auto* window = newCurrentDialog (title, TRANS ("Select a drive."));
    window->addComboBox ("drives", names, TRANS ("Available Drives"));
    addOkCancel (*window);
    setDialogIconType (MessageBoxIconTypeComponent::question);
    enterDriveSelection (*window, std::move (onDrive));
}

void DialogHelper::setVolumeListFactory (VolumeListFactory factory)
{
    volumeListFactory() = std::move (factory);
}

//==============================================================================
DialogHelper::CommandThread* DialogHelper::setCurrentWorker (std::unique_ptr<CommandThread> worker)
{
    auto& r = resources();
    r.worker.reset(); // waits for its job
    r.worker = std::move (worker);
    return r.worker.get();
}

DialogHelper::CommandThread* DialogHelper::getCurrentWorker()
{
    auto* r = existingResources();
    return r != nullptr ? r->worker.get() : nullptr;
}

bool DialogHelper::isWorkerFree()
{
    auto* worker = getCurrentWorker();
    return worker == nullptr || !worker->isThreadRunning();
}

juce::FileChooser* DialogHelper::setCurrentFileChooser (std::unique_ptr<juce::FileChooser> chooser)
{
    auto& r = resources();
    r.fileChooser.reset();
    r.fileChooser = std::move (chooser);
    return r.fileChooser.get();
}

juce::FileChooser* DialogHelper::getCurrentFileChooser()
{
    auto* r = existingResources();
    return r != nullptr ? r->fileChooser.get() : nullptr;
}

//==============================================================================
void DialogHelper::notifyCommandCompleted (juce::ThreadWithProgressWindow* window)
{
    // Worker thread: reads nothing of a component, only the flags the progress window shares.
    if (auto* progress = dynamic_cast<CommandThread::ProgressWindow*> (window))
        if (!progress->wasCancelled())
            progress->getSharedState()->succeeded = true;
}

void DialogHelper::showCompletionBox (const juce::String& title)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* box = newCurrentDialog (title, TRANS ("Completed."));
    box->addButton (TRANS ("OK"), 0);
    enterModal (*box, [] (juce::AlertWindow& w, int) { deleteCurrentDialogIf (&w); });
}
} // namespace vantor::ui
