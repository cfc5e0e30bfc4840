#pragma once

#include "vantor/service/ClipboardInfo.h"
#include "vantor/service/ClipboardObserver.h"
#include "vantor/service/ISendErrorMessage.h"
#include "vantor/service/IVantorDataMediator.h"
#include "vantor/service/MessageResolver.h"
#include "vantor/service/NameLimit.h"
#include "vantor/service/ScopedErrorMessage.h"
#include "vantor/service/SlotEditing.h"
#include "vantor/service/ViewModelLinks.h"

#include "vantor/dataset/BankBudget.h"
#include "vantor/dataset/WyxDataSet.h"

#include <functional>
#include <memory>
#include <vector>

namespace vantor::service
{
/** The one mediator between the view models and the data set: checks the user-facing limits,
    changes the data, pushes the new values into the view models and reports problems as message
    codes. Owns the data set; uses the view models, the resolver and the message poster, which the
    composition root hands over after construction and destroys before the service.
    The BANK, collection, clipboard and SLOT-list operations are its own; editing a SLOT's audio,
    range, gain, loop and BPM is SlotEditing's, which keeps the BPM-calculation mode; every push
    into the view models goes through ViewModelLinks, which holds them.
    Threads: everything on the message thread, except backup, restore, importFromDevice and
    exportToDevice, which run on a worker thread while a modal progress window blocks the user
    interface; from there they run the data set's job, call sendErrorMessage (the resolver guards
    its map and the message poster accepts any thread) and reach the model and the view models only
    through calls handed to the message thread (the export's facts, the refresh after a restore or
    an import). The service takes no lock of its own. */
class VantorService : public IVantorDataMediator, public ISendErrorMessage
{
public:
    /** Shows a translated message of a kind (0 error, 1 notice); must accept any thread. */
    using MessagePoster = std::function<void (const juce::String& text, int kind)>;
    /** Opens the drive dialog over the removable volumes; returns at once. */
    using ExportDriveDialog = std::function<void (IVantorDataMediator* service)>;

    /** Loads the data set from the user data folder. */
    VantorService();
    /** Works on the given data set (never null). */
    explicit VantorService (std::unique_ptr<dataset::WyxDataSet> dataSet);
    ~VantorService() override;

    // Wiring, in this order, on the message thread.
    void setMessagePoster (MessagePoster poster);
    /** Posts through the manager's post (text, kind); null detaches. */
    template <typename Manager>
    void setMessageManager (Manager* manager)
    {
        if (manager == nullptr)
            setMessagePoster (nullptr);
        else
            setMessagePoster ([manager] (const juce::String& text, int kind) { manager->post (text, kind); });
    }
    void setMessageResolver (MessageResolver* resolver);
    void setBrowseViewModel (browse::BrowseViewModel* viewModel);
    void setBankViewModel (bank::BankViewModel* viewModel);
    void setSlotViewModel (slot::SlotViewModel* viewModel);
    void setSlotPadViewModel (slot::SlotPadViewModel* viewModel);
    void setSlotDetailViewModel (slot_detail::SlotDetailViewModel* viewModel);
    void setExportDriveDialog (ExportDriveDialog dialog);

    /** Adds it once and tells it at once what the clipboard holds; null is ignored. */
    void addClipboardObserver (ClipboardObserver* observer);
    void removeClipboardObserver (ClipboardObserver* observer);
    const ClipboardInfo& getClipboardInfo() const noexcept { return clipboardInfo; }

    dataset::WyxDataSet& getDataSet() const noexcept { return *dataSet; }

    // IVantorDataMediator
    bool saveBankToCollection (const int& bankIndex, const int& collectionIndex,
                               const juce::String& name) override;
    bool moveCollectionBank (const int& from, const int& to) override;
    bool deleteCollectionBank (const int& index) override;
    bool renameCollectionBank (const int& index, const juce::String& name) override;
    bool assignCollectionBank (const int& collectionIndex, const int& bankIndex,
                               const juce::String& name) override;
    bool setFavoriteBank (const int& bankIndex) override;
    bool selectBank (const int& bankIndex) override;
    bool swapBanks (const int& a, const int& b) override;
    bool clearBank (const int& bankIndex) override;
    bool copyBank (const int& bankIndex) override;
    bool pasteBank (const int& bankIndex, const juce::String& name) override;
    bool renameBank (const int& bankIndex, const juce::String& name) override;

    bool assignAudio (const int& slotIndex, const juce::File& file) override;
    bool setSlotBpm (const int& slotIndex, const int& bpmX100) override;
    bool setBpm (const int& bpmX100) override;
    bool setBeats (const int& beatsX100, const bool& requireBeats) override;
    bool setCalcBpmMode (const bool& on) override;
    bool calculateBpm (const int& beatsX100) override;
    bool setSlotStartTime (const int& slotIndex, const double& seconds) override;
    bool setStartTime (const double& seconds) override;
    bool setSlotEndTime (const int& slotIndex, const double& seconds) override;
    bool setEndTime (const double& seconds) override;
    bool setSlotTimeRange (const int& slotIndex, const double& start, const double& end) override;
    bool setTimeRange (const double& start, const double& end) override;
    bool setSlotGainDb (const int& slotIndex, const float& db) override;
    bool setGainDb (const float& db) override;
    bool setSlotLoop (const int& slotIndex, const bool& loop) override;
    bool setLoop (const bool& loop) override;
    bool selectSlot (const int& slotIndex) override;
    bool swapSlots (const int& a, const int& b) override;
    bool clearSlot (const int& slotIndex) override;
    bool cutSlot (const int& slotIndex) override;
    bool copySlot (const int& slotIndex) override;
    bool pasteSlot (const int& slotIndex) override;
    bool renameSlot (const int& slotIndex, const juce::String& name) override;

    bool backup (const juce::File& zipFile, juce::ThreadWithProgressWindow* progress) override;
    bool restore (const juce::File& zipFile, juce::ThreadWithProgressWindow* progress) override;
    bool importFromDevice (const juce::File& volumeRoot, juce::ThreadWithProgressWindow* progress) override;
    bool showExportDialog() override;
    bool exportToDevice (const juce::File& volumeRoot, juce::ThreadWithProgressWindow* progress) override;

    // ISendErrorMessage: nothing without a poster and a resolver.
    void sendErrorMessage (int code, int kind) override;

    /** Reloads every view model from the data (after a restore or an import). */
    void refreshAll (bool includeCollection);

    /** SLOT slotIndex of the current BANK; null when there is none. */
    dataset::WyxSlot* getCurrentBankSlot (int slotIndex) const;
    static double getBankLength (const dataset::WyxSlotList& slots);
    double getCurrentBankLength() const;
    /** The message code of a whole-set result kind that is neither empty nor "cancelled". */
    static int toMessageCode (const juce::String& errorKind);

    /** Names given by renaming keep at most this many characters (code points). */
    static constexpr int maxNameLength = namelimit::maxLength;
    /** A BANK may be stored or exported only up to this many seconds of playback. */
    static constexpr double maxBankSeconds = dataset::BankBudget::maxSeconds;
    static constexpr double minAudioSeconds = SlotEditing::minAudioSeconds;
    static constexpr double maxAudioSeconds = SlotEditing::maxAudioSeconds;
    /** The BANK budget rule of the data side (dataset::BankBudget). */
    static bool exceedsBankBudget (double seconds) noexcept
    {
        return dataset::BankBudget::isExceededBy (seconds);
    }

    /** What the export tells the usage statistics of one SLOT. */
    struct ExportedSlot
    {
        int bankNumber = 0;
        int slotNumber = 0;
        bool loop = false;
        double fileSeconds = 0.0;
        double playSeconds = 0.0;
        double gainDb = 0.0;
        double bpm = 0.0;
        double beats = 0.0;
    };

    /** The BANK lengths and the usage records of an export, read from the model on the message
        thread before the export starts. */
    struct ExportFacts
    {
        double longestBank = 0.0;
        int favoriteBank = 0;
        std::vector<ExportedSlot> slots; // SLOTs whose file exists, in BANK and SLOT order
    };

    static ExportFacts gatherExportFacts (const dataset::WyxModel& model);
    /** logSlotInfo for each SLOT, logBankInfo for each of the 15 BANKs, then logBankGeneral. */
    static void logExport (const ExportFacts& facts);

private:
    bool storeClip (juce::ReferenceCountedObject* clip, int kind, const juce::String& name);
    static bool slotFilesPresent (const dataset::WyxBank& bank);
    bool finishWholeSetOperation (const dataset::ErrorKind& kind, ScopedErrorMessage& message);
    /** After a restore or an import: on success also posts refreshAll to the message thread. */
    bool finishReplacingOperation (const dataset::ErrorKind& kind, ScopedErrorMessage& message,
                                   bool includeCollection);

    MessagePoster messagePoster;
    MessageResolver* messageResolver = nullptr;
    ExportDriveDialog exportDriveDialog;
    // The data set first: the links and the SLOT editing below use its model and collection.
    std::unique_ptr<dataset::WyxDataSet> dataSet;
    dataset::WyxModel* const model;
    dataset::WyxBankCollection* const bankCollection;
    dataset::WyxDataSet::Clipboard* const clipboard;
    juce::ListenerList<ClipboardObserver> clipboardObservers;
    ClipboardInfo clipboardInfo;
    ViewModelLinks links;
    SlotEditing slotEditing;

    JUCE_DECLARE_WEAK_REFERENCEABLE (VantorService)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VantorService)
};
} // namespace vantor::service
