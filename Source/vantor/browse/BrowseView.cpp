#include "vantor/browse/BrowseView.h"

#include "common/AppSettingsSingleton.h"
#include "common/SettingsKey.h"
#include "common/volumes/RemovableVolumeList.h"
#include "vantor/browse/BankCollectionPage.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/browse/RowDragDescription.h"
#include "vantor/browse/SamplePage.h"
#include "vantor/ui/IconSvgs.h"

namespace vantor::browse
{
using ui::IconSvgs;

/** The tab: takes BANK rows of the BANK table only to open the collection; drops do nothing. */
class BrowseView::DroppableDrawableButton : public juce::DrawableButton, public juce::DragAndDropTarget
{
public:
    DroppableDrawableButton (BrowseView& ownerView)
        : juce::DrawableButton ("openCloseButton", juce::DrawableButton::ImageRaw)
        , view (ownerView)
    {
    }

    bool isInterestedInDragSource (const SourceDetails& details) override
    {
        return RowDragDescription::startsWith (details.description, "Bank_");
    }

    // Only opens: a drag that enters again while the collection is still sliding in must not
    // turn the slide round.
    void itemDragEnter (const SourceDetails&) override
    {
        if (!view.isCollectionOpen())
            view.openCollection();
    }

    void itemDragMove (const SourceDetails&) override {}
    void itemDragExit (const SourceDetails&) override {}
    void itemDropped (const SourceDetails&) override {}

private:
    BrowseView& view;
};

namespace
{
// The tab's image at its own size, placed (24 - width) / 2 from the left and 10 from the top.
std::unique_ptr<juce::Drawable> placedTabImage (IconSvgs::Id id)
{
    auto image = IconSvgs::createDrawable (id);
    if (image == nullptr)
        return {};

    const auto x = (BrowseView::tabWidth - juce::roundToInt (image->getDrawableBounds().getWidth())) / 2;
    image->setTransform (juce::AffineTransform::translation ((float)x, 10.0f));

    auto composite = std::make_unique<juce::DrawableComposite>();
    composite->addAndMakeVisible (image.release());
    composite->resetBoundingBoxToContentArea();
    return composite;
}
} // namespace

BrowseView::BrowseView (BrowseViewModel& model, std::unique_ptr<common::RemovableVolumeList> volumes,
                        const juce::File& factoryFolder)
    : viewModel (model)
    , updater (this)
{
    ui::ValueAnimator::Options options;
    options.durationMs = slideMs;
    options.easing = ui::ValueAnimator::cubicBezier (0.65, 0.0, 0.35, 1.0);
    options.onValue = [this] (double value) { applyProgress ((float)value); };
    animator = ui::ValueAnimator (options);

    if (auto* settings = common::AppSettingsSingleton::getInstance())
        isOpen = (bool)settings->getValue (common::SettingsKey::BankCollectionOpen, false);

    samplePage = std::make_unique<SamplePage> (std::move (volumes), factoryFolder);
    collectionPage = std::make_unique<BankCollectionPage> (&viewModel);
    addAndMakeVisible (*samplePage);
    addAndMakeVisible (*collectionPage);

    openCloseButton = std::make_unique<DroppableDrawableButton> (*this);
    openCloseButton->setButtonText ({});
    openCloseButton->setColour (juce::DrawableButton::backgroundColourId, juce::Colour (0xff000000));
    openCloseButton->setColour (juce::DrawableButton::backgroundOnColourId, juce::Colour (0xff000000));
    addAndMakeVisible (*openCloseButton);
    openCloseButton->addListener (this);
    openCloseButton->setWantsKeyboardFocus (false);

    closedImage = placedTabImage (IconSvgs::Id::bankCollectionVertical);
    openImage = placedTabImage (IconSvgs::Id::closeVertical);
    openCloseButton->setImages (closedImage.get(), nullptr, nullptr, nullptr, openImage.get());

    onAnimationComplete = [this] { finishSlide(); };

    collectionPage->setVisible (isOpen);
    updateTooltip();

    viewModel.addObserver (collectionPage.get());
}

BrowseView::~BrowseView()
{
    viewModel.removeObserver (collectionPage.get());
    updater.removeAnimator (animator);
    onAnimationComplete = nullptr;
    openCloseButton->removeListener (this);
}

juce::DrawableButton& BrowseView::getOpenCloseButton() noexcept
{
    return *openCloseButton;
}

void BrowseView::resized()
{
    collectionPage->setBounds (0, 0, isOpen ? collectionWidth : 0, getHeight());
    openCloseButton->setBounds (collectionPage->getRight(), 0, tabWidth, getHeight());
    const auto right = openCloseButton->getRight();
    samplePage->setBounds (right + gap, 0, getWidth() - right - gap, getHeight());
}

void BrowseView::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff000000));

    if (getHeight() > 0)
    {
        g.setColour (juce::Colour (0xff333333));
        g.fillRect (openCloseButton->getRight() + 1, 0, 1, getHeight());
    }
}

void BrowseView::buttonClicked (juce::Button* button)
{
    if (button != openCloseButton.get())
        return;

    if (isOpen)
        closeCollection();
    else
        openCollection();
}

void BrowseView::openCollection()
{
    isOpen = true;
    startSlide();
}

void BrowseView::closeCollection()
{
    isOpen = false;
    startSlide();
}

void BrowseView::startSlide()
{
    // Without a window the display never ticks: the slide ends at once, so the visibility and
    // the setting never stay half-done.
    if (getPeer() == nullptr)
    {
        updater.removeAnimator (animator);
        applyProgress (1.0f);
        finishSlide();
        return;
    }

    juce::Component::SafePointer<BrowseView> self (this);
    updater.addAnimator (animator,
                         [self]
                         {
                             if (self != nullptr && self->onAnimationComplete)
                                 self->onAnimationComplete();
                         });
    animator.start();
}

void BrowseView::applyProgress (float progress)
{
    const auto e = juce::jlimit (0.0f, 1.0f, isOpen ? progress : 1.0f - progress);
    const auto x = juce::roundToInt (e * (float)collectionWidth - (float)collectionWidth);

    collectionPage->setBounds (x, 0, collectionWidth, getHeight());
    openCloseButton->setBounds (x + collectionWidth, 0, tabWidth, getHeight());
    const auto right = openCloseButton->getRight();
    samplePage->setBounds (right + gap, 0, getWidth() - right - gap, getHeight());
    repaint();
}

void BrowseView::finishSlide()
{
    collectionPage->setVisible (isOpen);
    updateTooltip();

    if (auto* settings = common::AppSettingsSingleton::getInstanceWithoutCreating())
        settings->setValue (common::SettingsKey::BankCollectionOpen, isOpen);
}

void BrowseView::updateTooltip()
{
    openCloseButton->setToggleState (isOpen, juce::dontSendNotification);
    openCloseButton->setTooltip (isOpen ? TRANS ("Hide BANK COLLECTION") : TRANS ("Show BANK COLLECTION"));
}

void BrowseView::localeChanged()
{
    openCloseButton->setTooltip (openCloseButton->getToggleState() ? TRANS ("Hide BANK COLLECTION")
                                                                   : TRANS ("Show BANK COLLECTION"));
    collectionPage->getTable().updateContent();
    samplePage->updateTooltip();
}
} // namespace vantor::browse
