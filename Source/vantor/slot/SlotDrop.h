#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace vantor::slot
{
/** What the SLOT table and the pads accept when something is dropped on them. */
namespace SlotDrop
{
/** The file patterns of the audio the program converts into a SLOT. */
inline const char* const audioWildcard = "*.mp3;*.mp4;*.m4a;*.wav;*.aif;*.aiff;*.flac;*.fla";

/** Only the first file of a drop from the computer decides and is used. The name is matched
    without regard to case ("LOOP.WAV", "x.FlAc"); a folder named like an audio file passes too
    and is then refused by the service. */
inline bool isAudioFileDrop (const juce::StringArray& files)
{
    if (files.isEmpty())
        return false;

    const juce::WildcardFileFilter filter (audioWildcard, "*", {});
    return filter.isFileSuitable (juce::File::createFileWithoutCheckingPath (files[0]));
}

/** A drag of the browser's sample trees: "FactorySample" or "UserSample_" followed by a source. */
inline bool isSampleTreeDrag (const juce::DragAndDropTarget::SourceDetails& details)
{
    const auto text = details.description.toString();
    return text.startsWith ("FactorySample") || text.startsWith ("UserSample_");
}

/** The full path of the one file item selected in the sample tree that a drag comes from; none
    when the source is no tree or when not exactly one item of the whole tree is selected. The
    trees use an item's full path as its unique name. */
inline std::optional<juce::String> selectedTreeFile (const juce::DragAndDropTarget::SourceDetails& details)
{
    auto* tree = dynamic_cast<juce::TreeView*> (details.sourceComponent.get());

    if (tree == nullptr || tree->getRootItem() == nullptr || tree->getNumSelectedItems() != 1)
        return std::nullopt;

    if (auto* item = tree->getSelectedItem (0))
        return item->getUniqueName();

    return std::nullopt;
}
} // namespace SlotDrop
} // namespace vantor::slot
