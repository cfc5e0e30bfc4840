#pragma once

#include "vantor/bank/BankIndex.h"
#include "vantor/bank/BankObserver.h"
#include "vantor/bank/IBankCommandDispatcher.h"

#include <juce_events/juce_events.h>

namespace vantor::dataset
{
class WyxBank;
class WyxBankList;
} // namespace vantor::dataset

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Value copy of the 15 BANK rows of the working model with the FAVORITE and the current BANK,
    and the BANK table's way to change them.

    The table holds this object only as IBankCommandDispatcher (the dispatcher operations are
    private here, so the service cannot call back into itself through a command). The update
    operations store values and notify the observers synchronously; indexes outside 0..14 are
    ignored.

    Threads: message thread only. */
class BankViewModel : public IBankCommandDispatcher
{
public:
    static constexpr int rowCount = 15;

    /** The service outlives the view model. */
    explicit BankViewModel (service::IVantorDataMediator* service);
    ~BankViewModel() override;

    /** Adds the observer (not twice) and at once sends it alone a snapshot. */
    void addListener (BankObserver* observer);
    /** Safe during a notification. */
    void removeListener (BankObserver* observer);

    int getCurrentBank() const noexcept { return currentBank; }
    int getFavoriteBank() const noexcept { return favoriteBank; }
    const BankRowInfo& getRow (int bankIndex) const { return rows.at ((size_t)bankIndex); }

    // Update operations, called by the service.

    /** Refills the rows from the list, stopping at a missing entry (then nobody is told); the
        favourite and the current BANK are kept. */
    void updateFromBankList (const dataset::WyxBankList& list, bool notify);
    /** Refills one row from the BANK and sends bankChanged; a null BANK is ignored. */
    void updateBank (dataset::WyxBank* bank, const int& bankIndex);
    /** With notify, tells the observers also when the index did not change. */
    void setCurrentBank (const int& bankIndex, bool notify);
    void setFavoriteBank (const int& bankIndex, bool notify);
    void setBankName (const juce::String& name, BankIndex bankIndex);
    void setBankTotalTime (const double& totalSeconds, BankIndex bankIndex);

    /** The row values of a BANK: its name and the summed playback time of its SLOTs. */
    static BankRowInfo makeRow (const dataset::WyxBank& bank);

private:
    void assignBank (const int& collectionIndex, const int& bankIndex, const juce::String& name) override;
    void assignBank (const int& collectionIndex, const int& bankIndex) override;
    void setFavorite (const int& bankIndex) override;
    void selectBank (const int& bankIndex) override;
    void swapBank (const int& fromIndex, const int& toIndex) override;
    void deleteBank (const int& bankIndex) override;
    void copyBank (const int& bankIndex) override;
    void pasteBank (const int& bankIndex, const juce::String& name) override;
    void pasteBank (const int& bankIndex) override;
    void changeBankName (const int& bankIndex, const juce::String& name) override;
    void showExportDialog() override;

    std::unique_ptr<BankListState> makeSnapshot() const;

    juce::ListenerList<BankObserver> listeners;
    service::IVantorDataMediator* service;
    int favoriteBank = 0;
    int currentBank = 0;
    std::array<BankRowInfo, rowCount> rows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BankViewModel)
};
} // namespace vantor::bank
