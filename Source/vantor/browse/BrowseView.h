#pragma once

#include "common/LocaleObserver.h"
#include "vantor/ui/AnimatorUpdater.h"
#include "vantor/ui/ValueAnimator.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace common
{
class RemovableVolumeList;
}

namespace vantor::browse
{
class BankCollectionPage;
class BrowseViewModel;
class SamplePage;

/** The left pane: the bank collection (folded away or 384 pixels wide), the tab that opens and
    closes it, and the sample page. Opening and closing slide over 500 ms; the state survives
    restarts in "BankCollectionOpen". A BANK row dragged over the closed tab opens it.
    Threads: message thread. */
class BrowseView : public juce::Component, private juce::Button::Listener, public common::LocaleObserver
{
public:
    /** Registers the collection page with the view model (which outlives the pane) and removes it
        in the destructor. Null volumes: the machine's own list; the empty folder: the installed
        factory samples. */
    explicit BrowseView (BrowseViewModel& viewModel,
                         std::unique_ptr<common::RemovableVolumeList> volumes = nullptr,
                         const juce::File& factoryFolder = {});
    ~BrowseView() override;

    void resized() override;
    void paint (juce::Graphics& g) override;
    void localeChanged() override;

    void updateTooltip();
    void openCollection();
    void closeCollection();
    /** Lays the children out for one eased value of the slide. */
    void applyProgress (float progress);

    bool isCollectionOpen() const noexcept { return isOpen; }
    BankCollectionPage* getBankCollectionPage() const noexcept { return collectionPage.get(); }
    SamplePage& getSamplePage() noexcept { return *samplePage; }
    juce::DrawableButton& getOpenCloseButton() noexcept;
    ui::AnimatorUpdater& getAnimatorUpdater() noexcept { return updater; }
    bool isSliding() const noexcept { return !updater.isEmpty(); }

    static constexpr int collectionWidth = 384;
    static constexpr int tabWidth = 24;
    static constexpr int gap = 20;
    static constexpr double slideMs = 500.0;

    class DroppableDrawableButton;

private:
    void buttonClicked (juce::Button* button) override;
    void startSlide();
    void finishSlide();

    BrowseViewModel& viewModel;
    std::unique_ptr<SamplePage> samplePage;
    std::unique_ptr<BankCollectionPage> collectionPage;
    std::unique_ptr<DroppableDrawableButton> openCloseButton;
    std::unique_ptr<juce::Drawable> closedImage, openImage;
    ui::ValueAnimator animator;
    ui::AnimatorUpdater updater;
    bool isOpen = false;
    std::function<void()> onAnimationComplete;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrowseView)
};
} // namespace vantor::browse
