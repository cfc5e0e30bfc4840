#pragma once

#include "common/LocaleObserver.h"
#include "vantor/service/ClipboardObserver.h"
#include "vantor/slot/DraggableTableListBox.h"
#include "vantor/slot/ISlotCommandDispatcher.h"
#include "vantor/slot/ISlotPadCommandDispatcher.h"
#include "vantor/slot/SlotObserver.h"
#include "vantor/slot/SlotPadPanel.h"
#include "vantor/ui/ColumnCustomComponent.h"
#include "vantor/ui/MarqueeLabel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <memory>

namespace vantor::slot
{
class SlotViewModel;
class SlotPadViewModel;

/** The four SLOTs of the current BANK: a header, the bar of their summed playback time against
    the 16-second budget of a BANK, a four-row table (letter, name, loop mode, time) and the four
    pads. Rows are selected, renamed, cut, copied, pasted, deleted, swapped by dragging one onto
    another, and given audio by dropping files or sample-tree items on them.
    It reads its own copy of the list (through SlotObserver) and acts only through the
    dispatchers; the selection reaches the service only through selectSlot.
    Threads: message thread only. */
class SlotView : public juce::Component,
                 public juce::DragAndDropContainer,
                 public SlotObserver,
                 public vantor::service::ClipboardObserver,
                 public common::LocaleObserver,
                 private juce::ChangeListener
{
public:
    /** Adds (true) or removes (false) a clipboard observer of the service. */
    using ClipboardLink = std::function<void (vantor::service::ClipboardObserver*, bool attach)>;

    class TableListBoxModel;
    class EditableTextCustomComponent;
    class NumberColumnCustomComponent;
    class LoopColumnCustomComponent;
    class TimeColumnCustomComponent;

    /** The summed playback time of the four SLOTs as a bar against the budget, and as text. */
    class TotalTimeComp : public juce::Component
    {
    public:
        void paint (juce::Graphics& g) override;
        void setTotalSeconds (double seconds);
        double getTotalSeconds() const noexcept { return totalSeconds; }
        /** Red: the BANK could not be stored or exported. */
        bool isOverBudget() const;

    private:
        double totalSeconds = 0.0;
    };

    /** Registers itself with the SLOT view model, its pads with the pad view model and itself as a
        clipboard observer, and leaves all three when deleted; the view models outlive the view. */
    SlotView (SlotViewModel& slots, SlotPadViewModel& pads, ClipboardLink clipboardLink);
    /** Registers nowhere; the dispatchers outlive the view. */
    SlotView (ISlotCommandDispatcher* dispatcher, ISlotPadCommandDispatcher* padDispatcher);
    ~SlotView() override;

    SlotPadPanel* getPadPanel (int index);
    DraggableTableListBox& getTable() noexcept { return *table; }
    TotalTimeComp& getTotalTimeComp() noexcept { return *totalTimeComp; }

    // SlotObserver
    void slotListChanged (const std::unique_ptr<SlotListState>& snapshot) override;
    void slotChanged (int row, bool hasAudio, const juce::String& name, double lengthSeconds,
                      bool loop) override;
    void reservedNotification() override {}
    void slotNameChanged (int row, const juce::String& name) override;
    void slotLengthChanged (int row, double lengthSeconds) override;
    void slotLoopModeChanged (int row, bool loop) override;
    void selectedSlotChanged (int row) override;

    void clipboardChanged (const vantor::service::ClipboardInfo& info) override;
    void localeChanged() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    // Used by the cells, the model and the table's callbacks.
    bool isRowEnabled (int row) const;
    bool isRowLoop (int row) const;
    double getRowLength (int row) const;
    juce::String getRowName (int row) const;
    juce::String getNameText (int row) const;
    EditableTextCustomComponent* getNameCell (int row) const;
    bool tableHasFocus() const;
    void updateTotalTime();
    void pasteIntoRow (int row);
    void assignToRow (int row, const juce::String& path);
    void handleKey (int row, const juce::KeyPress& key);
    void deleteRow (int row);
    void showRowMenu (int row);
    void renameRow (int row);

    ISlotCommandDispatcher& getDispatcher() noexcept { return *dispatcher; }

    /** The columns, added in the order letter, name, loop, time. */
    enum ColumnId
    {
        letterColumn = 1,
        loopColumn = 2,
        nameColumn = 3,
        timeColumn = 4
    };

    static constexpr int rowCount = 4;
    static constexpr int rowHeight = 34;
    /** The widths of the letter, loop and time columns: the name column takes the rest. */
    static constexpr int fixedColumnsWidth = 150;

private:
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void enableRow (int row, bool hasAudio);

    ISlotCommandDispatcher* dispatcher;
    SlotViewModel* registeredSlots = nullptr;
    SlotPadViewModel* registeredPads = nullptr;
    ClipboardLink clipboardLink;
    std::unique_ptr<SlotListState> state;
    int clipboardKind = 0;
    juce::String clipboardName;
    std::unique_ptr<DraggableTableListBox> table;
    std::unique_ptr<TableListBoxModel> tableModel;
    std::unique_ptr<TotalTimeComp> totalTimeComp;
    std::array<std::unique_ptr<SlotPadPanel>, rowCount> padPanels;
    std::unique_ptr<juce::Drawable> headerLeft;
    std::unique_ptr<juce::Drawable> headerRight;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SlotView)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SlotView)
};

//==============================================================================
class SlotView::TableListBoxModel : public juce::TableListBoxModel
{
public:
    explicit TableListBoxModel (SlotView& owner);

    int getNumRows() override { return SlotView::rowCount; }
    void paintRowBackground (juce::Graphics& g, int row, int width, int height, bool isSelected) override;
    void paintCell (juce::Graphics&, int, int, int, int, bool) override {}
    juce::Component* refreshComponentForCell (int row, int columnId, bool isSelected,
                                              juce::Component* existing) override;
    int getColumnAutoSizeWidth (int columnId) override;
    juce::var getDragSourceDescription (const juce::SparseSet<int>& selectedRows) override;
    void selectedRowsChanged (int lastRowSelected) override;
    void deleteKeyPressed (int row) override;

private:
    SlotView& view;
};

/** The name cell: a scrolling label that edits on a double click (or F2, or "Rename"). It lets
    clicks fall through to the row and follows the row's mouse events to select it. */
class SlotView::EditableTextCustomComponent : public vantor::ui::MarqueeLabel
{
public:
    explicit EditableTextCustomComponent (SlotView& owner);
    ~EditableTextCustomComponent() override;

    void setRowAndColumn (int newRow, int newColumnId);
    int getRow() const noexcept { return row; }

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void parentHierarchyChanged() override;

protected:
    void textWasEdited() override;
    void editorShown (juce::TextEditor* editor) override;
    void editorAboutToBeHidden (juce::TextEditor* editor) override;

private:
    bool isInsideCell (const juce::MouseEvent& e) const;

    SlotView& view;
    int row = -1;
    int columnId = -1;
    juce::WeakReference<juce::Component> parent;
};

/** The row letter on a black badge. */
class SlotView::NumberColumnCustomComponent : public vantor::ui::ColumnCustomComponent
{
public:
    explicit NumberColumnCustomComponent (juce::Component* table);
    void paint (juce::Graphics& g) override;

private:
    juce::Font font{14.0f, juce::Font::bold};
};

/** The loop-mode icon of an enabled row, between two divider lines. */
class SlotView::LoopColumnCustomComponent : public vantor::ui::ColumnCustomComponent
{
public:
    LoopColumnCustomComponent (SlotView& owner, juce::Component* table);
    void paint (juce::Graphics& g) override;
    void resized() override;
    void setRow (int newRow) override;
    void paintContent (juce::Graphics& g, int width, int height) override;
    bool isShowingLoop() const noexcept { return loop; }

private:
    SlotView& view;
    bool loop = false;
    std::unique_ptr<juce::Drawable> oneShotIcon, loopIcon;
};

/** The playback time of an enabled row. */
class SlotView::TimeColumnCustomComponent : public vantor::ui::ColumnCustomComponent
{
public:
    TimeColumnCustomComponent (SlotView& owner, juce::Component* table);
    void resized() override;
    void setRow (int newRow) override;
    void paintContent (juce::Graphics& g, int width, int height) override;
    double getLengthSeconds() const noexcept { return lengthSeconds; }

private:
    SlotView& view;
    double lengthSeconds = 0.0;
};
} // namespace vantor::slot
