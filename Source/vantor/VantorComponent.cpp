#include "vantor/VantorComponent.h"

#include "common/LocaleNotifier.h"
#include "common/player/AudioPlayer.h"
#include "vantor/FileOperations.h"
#include "vantor/VantorCommandTarget.h"
#include "vantor/service/MessageCode.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/IconSvgs.h"
#include "vantor/ui/Spotlight.h"

namespace vantor
{
namespace
{
constexpr int outerMargin = 10;
constexpr int bottomReserve = 24;
constexpr int columnGap = 10;
constexpr int rowGap = 30;
constexpr int arrowHeight = 26;
} // namespace

VantorComponent::VantorComponent()
    : VantorComponent (std::make_unique<service::VantorService>())
{
}

VantorComponent::VantorComponent (std::unique_ptr<service::VantorService> serviceToUse)
    : service (std::move (serviceToUse))
{
    JUCE_ASSERT_MESSAGE_THREAD
    build();
}

void VantorComponent::build()
{
    // The bubble's host stays above the views, which are added after it.
    messageLayer.setInterceptsMouseClicks (false, true);
    addChildComponent (messageLayer);
    messageLayer.setVisible (true);
    messageLayer.setAlwaysOnTop (true);

    messageManager = std::make_unique<ui::MessageManager> (&messageLayer);
    messageResolver = std::make_unique<service::MessageResolver>();
    service->setMessageManager (messageManager.get());
    service->setMessageResolver (messageResolver.get());

    if (auto* player = common::player::AudioPlayer::getInstance())
        player->setLoadFailedCallback (
            [manager = messageManager.get(), resolver = messageResolver.get()]
            { manager->post (resolver->getMessage (2), ui::MessageManager::errorKind); });

    auto* mediator = static_cast<service::IVantorDataMediator*> (service.get());
    browseViewModel = std::make_unique<browse::BrowseViewModel> (mediator);
    bankViewModel = std::make_unique<bank::BankViewModel> (mediator);
    slotViewModel = std::make_unique<slot::SlotViewModel> (mediator);
    slotPadViewModel = std::make_unique<slot::SlotPadViewModel> (mediator);
    slotDetailViewModel = std::make_unique<slot_detail::SlotDetailViewModel> (mediator);

    service->setBrowseViewModel (browseViewModel.get());
    service->setBankViewModel (bankViewModel.get());
    service->setSlotViewModel (slotViewModel.get());
    service->setSlotPadViewModel (slotPadViewModel.get());
    service->setSlotDetailViewModel (slotDetailViewModel.get());

    // Each view joins its lists in its constructor and leaves them in its destructor; the service
    // outlives every view, so the link may hold it.
    auto clipboardLink = [serviceForLink = service.get()] (service::ClipboardObserver* observer, bool attach)
    {
        if (attach)
            serviceForLink->addClipboardObserver (observer);
        else
            serviceForLink->removeClipboardObserver (observer);
    };

    browseView = std::make_unique<BrowseView> (*browseViewModel);
    addAndMakeVisible (*browseView);
    bankView = std::make_unique<BankView> (*bankViewModel, clipboardLink);
    addAndMakeVisible (*bankView);
    slotView = std::make_unique<SlotView> (*slotViewModel, *slotPadViewModel, clipboardLink);
    addAndMakeVisible (*slotView);
    slotDetailView = std::make_unique<SlotDetailView> (*slotDetailViewModel);
    addAndMakeVisible (*slotDetailView);

    // The BANK view's EXPORT button reaches the drive dialog through the service.
    service->setExportDriveDialog ([] (service::IVantorDataMediator* mediator)
                                   { showExportDriveDialog (mediator); });

    if (auto* spotlight = ui::Spotlight::getInstance())
    {
        addChildComponent (*spotlight);
        spotlight->addTarget ("slotView", slotView.get(), false, {}, 15);
    }

    if (auto xml = juce::parseXML (ui::IconSvgs::get (ui::IconSvgs::Id::logotype));
        xml != nullptr && xml->hasTagName ("svg"))
        logo = juce::Drawable::createFromSVG (*xml);
}

VantorComponent::~VantorComponent()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (auto* spotlight = ui::Spotlight::getInstanceWithoutCreating())
    {
        removeChildComponent (spotlight);
        ui::Spotlight::deleteInstance();
    }

    common::player::AudioPlayer::deleteInstance();

    // Choosers, dialogs and the worker go before anything their completions or jobs use; a
    // running job is waited for, never killed.
    ui::DialogHelper::releaseResources();

    // The views leave the view models' lists and the clipboard list as they go.
    slotDetailView.reset();
    slotView.reset();
    bankView.reset();
    browseView.reset();

    // Nothing may reach a view model, the bubbles or the resolver through the service once they
    // are gone (the service is the last to go, and saves on its way).
    service->setExportDriveDialog (nullptr);
    service->setSlotDetailViewModel (nullptr);
    service->setSlotPadViewModel (nullptr);
    service->setSlotViewModel (nullptr);
    service->setBankViewModel (nullptr);
    service->setBrowseViewModel (nullptr);
    service->setMessageResolver (nullptr);
    service->setMessagePoster (nullptr);

    logo.reset();
    slotDetailViewModel.reset();
    slotPadViewModel.reset();
    slotViewModel.reset();
    bankViewModel.reset();
    browseViewModel.reset();
    messageResolver.reset();
    messageManager.reset();
    removeChildComponent (&messageLayer);
    service.reset();
}

std::unique_ptr<VantorCommandTarget>
VantorComponent::createCommandTarget (juce::ApplicationCommandManager& manager)
{
    return std::make_unique<VantorCommandTarget> (manager, service.get());
}

void VantorComponent::addLocaleObservers (common::LocaleNotifier& notifier)
{
    notifier.addObserver (messageResolver.get());
    notifier.addObserver (browseView.get());
    notifier.addObserver (bankView.get());
    notifier.addObserver (slotView.get());
    notifier.addObserver (slotDetailView.get());
}

void VantorComponent::resized()
{
    const auto area =
        juce::Rectangle<int> (outerMargin, outerMargin, juce::jmax (0, getWidth() - 2 * outerMargin),
                              juce::jmax (0, juce::jmax (0, getHeight() - 2 * outerMargin) - bottomReserve));

    using Track = juce::Grid::TrackInfo;
    using Fr = juce::Grid::Fr;
    using Px = juce::Grid::Px;
    juce::Grid grid;
    grid.templateRows = {Track (Px (firstRowHeight)), Track (Fr (1))};
    grid.templateColumns = {Track (Fr (1)), Track (Fr (1)), Track (Fr (1))};
    grid.columnGap = Px (columnGap);
    grid.rowGap = Px (rowGap);
    grid.autoRows = Track (Fr (1));
    grid.autoColumns = Track (Fr (1));
    grid.autoFlow = juce::Grid::AutoFlow::column;
    grid.items = {juce::GridItem (*bankView), juce::GridItem (*slotView), juce::GridItem (*slotDetailView),
                  juce::GridItem (*browseView).withRow ({2}).withColumn ({juce::GridItem::Span (3)})};
    grid.performLayout (area);

    auto arrowBetween = [] (const juce::Component& left, const juce::Component& right)
    {
        return juce::Rectangle<int> (left.getRight(), left.getY() + (left.getHeight() - arrowHeight) / 2,
                                     right.getX() - left.getRight(), arrowHeight)
            .toFloat();
    };
    bankToSlotArrow = arrowBetween (*bankView, *slotView);
    slotToDetailArrow = arrowBetween (*slotView, *slotDetailView);

    const auto strip = juce::jmin (messageStripHeight, getHeight());
    messageLayer.setBounds ((getWidth() - messageLayerWidth) / 2,
                            getHeight() - strip + (strip - messageLayerHeight) / 2, messageLayerWidth,
                            messageLayerHeight);
}

void VantorComponent::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));

    juce::Path arrows;
    for (const auto& box : {bankToSlotArrow, slotToDetailArrow})
        arrows.addTriangle (box.getX(), box.getY(), box.getX(), box.getBottom(), box.getRight(),
                            box.getY() + box.getHeight() / 2.0f);
    g.setColour (juce::Colour (0xff232323));
    g.fillPath (arrows);

    const auto bandTop = browseView->getY() - 10;
    g.setColour (juce::Colour (0xff000000));
    g.fillRect (0, bandTop, getWidth(), juce::jmax (0, getHeight() - bandTop));

    if (logo != nullptr)
        logo->draw (
            g, 1.0f,
            juce::AffineTransform::translation ((float)getWidth() - 110.0f, (float)getHeight() - 23.0f));
}
} // namespace vantor
