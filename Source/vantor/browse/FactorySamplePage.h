#pragma once

#include "vantor/browse/AudioFileFilter.h"
#include "vantor/browse/FileTreeComponent.h"
#include "vantor/browse/FolderContentsList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor::browse
{
/** The sound sources installed with the program, as one file tree ("FactorySample" drags),
    previewed with Space or "Preview play".
    Threads: message thread; the folder is read on the thread "FactorySample", which is stopped
    and joined (never killed) when the page goes. */
class FactorySamplePage : public juce::Component,
                          public juce::DragAndDropContainer,
                          private juce::FileBrowserListener,
                          private juce::KeyListener
{
public:
    /** The empty folder: the factory samples folder beside the program. */
    explicit FactorySamplePage (const juce::File& folder = {});
    ~FactorySamplePage() override;

    void preview (const juce::File& file);
    void selectionChanged() override;

    /** The context menu for the item (empty: none). */
    juce::PopupMenu makeMenuFor (juce::TreeViewItem* item);

    void mouseUp (const juce::MouseEvent& e) override;
    void focusOfChildComponentChanged (juce::Component::FocusChangeType) override;
    void dragOperationStarted (const juce::DragAndDropTarget::SourceDetails&) override;
    void dragOperationEnded (const juce::DragAndDropTarget::SourceDetails&) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    FileTreeComponent& getTree() noexcept { return *tree; }
    FolderContentsList& getList() noexcept { return *list; }

    /** The Space state at the last key-state change seen by any factory page. */
    static bool lastSpaceDown;

private:
    bool keyPressed (const juce::KeyPress&, juce::Component*) override { return false; }
    bool keyStateChanged (bool isKeyDown, juce::Component*) override;
    void fileClicked (const juce::File&, const juce::MouseEvent&) override {}
    void fileDoubleClicked (const juce::File&) override {}
    void browserRootChanged (const juce::File&) override {}

    std::unique_ptr<juce::TimeSliceThread> thread;
    std::unique_ptr<AudioFileFilter> filter;
    std::unique_ptr<FolderContentsList> list;
    std::unique_ptr<FileTreeComponent> tree;
    juce::URL previewUrl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FactorySamplePage)
};
} // namespace vantor::browse
