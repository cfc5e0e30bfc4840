#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace common
{
class RemovableVolumeList;
}

namespace vantor::browse
{
class UserSamplePage;
class FactorySamplePage;

/** The title SAMPLE BROWSE, the USER / FACTORY toggle and the two sample sub-pages, one shown at
    a time. Threads: message thread. */
class SamplePage : public juce::Component, private juce::Button::Listener
{
public:
    /** Null volumes: the machine's own list; the empty folder: the installed factory samples. */
    explicit SamplePage (std::unique_ptr<common::RemovableVolumeList> volumes = nullptr,
                         const juce::File& factoryFolder = {});
    ~SamplePage() override;

    /** The toggle's tooltip from its state (says where a click leads). */
    void updateTooltip();

    void paint (juce::Graphics& g) override;
    void resized() override;

    UserSamplePage& getUserPage() noexcept { return *userPage; }
    FactorySamplePage& getFactoryPage() noexcept { return *factoryPage; }
    juce::DrawableButton& getUserFactoryButton() noexcept { return *userFactoryButton; }

private:
    void buttonClicked (juce::Button* button) override;

    std::unique_ptr<UserSamplePage> userPage;
    std::unique_ptr<FactorySamplePage> factoryPage;
    std::unique_ptr<juce::DrawableButton> userFactoryButton;
    std::unique_ptr<juce::Drawable> userImage, factoryImage;
    std::unique_ptr<juce::Drawable> titleImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SamplePage)
};
} // namespace vantor::browse
