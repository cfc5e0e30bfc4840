#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <optional>

namespace vantor::slot
{
/** The SLOT table's list: rows dragged onto other rows, audio files and sample-tree items dropped
    on rows, keys and the right-click menu handed to its owner through callbacks. While something
    is dragged over it, hoverRow is the row under the pointer (-1 for none).
    Threads: message thread only. */
class DraggableTableListBox : public juce::TableListBox,
                              public juce::DragAndDropTarget,
                              public juce::FileDragAndDropTarget,
                              private juce::AsyncUpdater
{
public:
    DraggableTableListBox();
    ~DraggableTableListBox() override;

    std::function<void (int fromRow, int toRow)> onRowMoved;
    std::function<void (int row, const juce::String& path)> onFileDropped;
    std::function<void (int row, const juce::KeyPress& key)> onKeyPressed;
    std::function<void (int row)> onRowMenuRequested;

    int getHoverRow() const noexcept { return hoverRow; }
    int getInsertionRow() const noexcept { return insertionRow; }

    /** The row a row drag of this table describes: the number between the first "_" and the
        first ","; none without both. A name with commas after it does not matter. */
    static std::optional<int> rowOfDescription (const juce::String& description);

    void mouseDown (const juce::MouseEvent&) override {}
    void mouseUp (const juce::MouseEvent& e) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void focusGained (FocusChangeType cause) override;
    void focusLost (FocusChangeType cause) override;

    bool isInterestedInDragSource (const SourceDetails& details) override;
    void itemDragEnter (const SourceDetails& details) override;
    void itemDragMove (const SourceDetails& details) override;
    void itemDragExit (const SourceDetails& details) override;
    void itemDropped (const SourceDetails& details) override;

    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void fileDragEnter (const juce::StringArray& files, int x, int y) override;
    void fileDragMove (const juce::StringArray& files, int x, int y) override;
    void fileDragExit (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    /** Right clicks that move further than this many pixels are drags, not menu requests. */
    static constexpr int menuSlackPixels = 5;

private:
    void handleAsyncUpdate() override;
    void dragAt (juce::Point<int> position);
    void dragMovedTo (juce::Point<int> position);
    void endDrag();
    void refreshSelectedRowForFocus (FocusChangeType cause);

    int hoverRow = -1;
    int insertionRow = -1;
    bool isHovering = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DraggableTableListBox)
};
} // namespace vantor::slot
