#pragma once

#include "vantor/bank/BankView.h"
#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseView.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/service/MessageResolver.h"
#include "vantor/service/VantorService.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotView.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailView.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"
#include "vantor/ui/MessageManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace common
{
class LocaleNotifier;
}

namespace vantor
{
class VantorCommandTarget;

/** The main view and the place where the editing side is put together: the service with its
    data set, the message bubbles, the five view models and the four views, wired so that every
    view observes its view model (and the BANK and SLOT views the clipboard) and holds its whole
    state from the start. It lays the views out on a fixed grid with two arrows showing the flow
    BANK -> SLOT -> SLOT detail and draws a small logo.

    Lifetimes: members are built in declaration order and destroyed in reverse. The destructor
    first ends the process-wide users of the views (help overlay, preview player, dialogs and the
    worker of the file operations, which it waits for), then deletes the views, each leaving every
    list it joined, and unlinks the service from the view models, the message manager and the
    resolver before any of them goes. The service goes last and saves what is unsaved.
    Threads: message thread only. */
class VantorComponent : public juce::Component
{
public:
    using BrowseView = browse::BrowseView;
    using BankView = bank::BankView;
    using SlotView = slot::SlotView;
    using SlotDetailView = slot_detail::SlotDetailView;

    /** On the user's data folder. */
    VantorComponent();
    /** On a given service (tests); it must have no view models linked yet. */
    explicit VantorComponent (std::unique_ptr<service::VantorService> service);
    ~VantorComponent() override;

    /** The target of the File commands 1 to 4, registered with the manager. */
    std::unique_ptr<VantorCommandTarget> createCommandTarget (juce::ApplicationCommandManager& manager);

    /** Adds the resolver and the four views, in this order. */
    void addLocaleObservers (common::LocaleNotifier& notifier);

    void resized() override;
    void paint (juce::Graphics& g) override;

    service::VantorService& getService() noexcept { return *service; }
    ui::MessageManager& getMessageManager() noexcept { return *messageManager; }
    service::MessageResolver& getMessageResolver() noexcept { return *messageResolver; }
    juce::Component& getMessageLayer() noexcept { return messageLayer; }
    BrowseView& getBrowseView() noexcept { return *browseView; }
    BankView& getBankView() noexcept { return *bankView; }
    SlotView& getSlotView() noexcept { return *slotView; }
    SlotDetailView& getSlotDetailView() noexcept { return *slotDetailView; }
    juce::Rectangle<float> getBankToSlotArrow() const noexcept { return bankToSlotArrow; }
    juce::Rectangle<float> getSlotToDetailArrow() const noexcept { return slotToDetailArrow; }
    bool hasLogo() const noexcept { return logo != nullptr; }

    static constexpr int firstRowHeight = 350;
    static constexpr int messageLayerWidth = 800;
    static constexpr int messageLayerHeight = 20;
    static constexpr int messageStripHeight = 34;

private:
    void build();

    std::unique_ptr<service::VantorService> service;
    juce::Component messageLayer;
    std::unique_ptr<ui::MessageManager> messageManager;
    std::unique_ptr<service::MessageResolver> messageResolver;
    std::unique_ptr<browse::BrowseViewModel> browseViewModel;
    std::unique_ptr<bank::BankViewModel> bankViewModel;
    std::unique_ptr<slot::SlotViewModel> slotViewModel;
    std::unique_ptr<slot::SlotPadViewModel> slotPadViewModel;
    std::unique_ptr<slot_detail::SlotDetailViewModel> slotDetailViewModel;
    std::unique_ptr<BrowseView> browseView;
    std::unique_ptr<BankView> bankView;
    std::unique_ptr<SlotView> slotView;
    std::unique_ptr<SlotDetailView> slotDetailView;
    std::unique_ptr<juce::Drawable> logo;
    juce::Rectangle<float> bankToSlotArrow;
    juce::Rectangle<float> slotToDetailArrow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VantorComponent)
};
} // namespace vantor
