// How the sample tree copes with a large folder: 10,000 .wav, 500 other files and 20 folders.
// - ListAndTree: from setting the folder until the tree's root holds all 10,020 items in display
//   order; "longest_stall_ms" is the longest time the message thread was busy meanwhile (the
//   largest gap between the ticks of a 1 ms timer).
// - OpenFolder: a closed folder item holding the large folder is opened; until all its items are
//   there.
// - Paint: one paint of a 400 x 600 tree showing the folder.

#include "vantor/browse/AudioFileFilter.h"
#include "vantor/browse/FileListTreeItem.h"
#include "vantor/browse/FileTreeComponent.h"
#include "vantor/browse/FolderContentsList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <benchmark/benchmark.h>

namespace
{
using namespace vantor::browse;

constexpr int numWavs = 10000, numOthers = 500, numFolders = 20;
constexpr int numListed = numWavs + numFolders;

const juce::File& bigFolder()
{
    static const juce::File parent = []
    {
        auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("glorvak-tree-bench", {}, false);
        const auto big = folder.getChildFile ("Big");
        big.createDirectory();
        for (int i = 0; i < numWavs; ++i)
            big.getChildFile ("Sample " + juce::String (numWavs - i) + ".wav").create();
        for (int i = 0; i < numOthers; ++i)
            big.getChildFile ("Notes " + juce::String (i) + ".txt").create();
        for (int i = 0; i < numFolders; ++i)
            big.getChildFile ("Folder " + juce::String (i)).createDirectory();
        return folder;
    }();
    return parent;
}

// The largest gap between the ticks of a 1 ms timer: how long the message thread was busy at once.
struct StallWatch : juce::Timer
{
    StallWatch()
    {
        last = juce::Time::getMillisecondCounterHiRes();
        startTimer (1);
    }
    void timerCallback() override
    {
        const auto now = juce::Time::getMillisecondCounterHiRes();
        longest = juce::jmax (longest, now - last);
        last = now;
    }
    double last = 0, longest = 0;
};

template <typename Condition>
void pumpUntil (Condition condition)
{
    while (!condition())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
}

bool inDisplayOrder (juce::TreeViewItem& parent)
{
    std::vector<FolderContentsList::Entry> shown;
    for (int i = 0; i < parent.getNumSubItems(); ++i)
    {
        FolderContentsList::Entry e;
        e.file = juce::File (parent.getSubItem (i)->getUniqueName());
        e.name = e.file.getFileName();
        e.isDirectory = parent.getSubItem (i)->mightContainSubItems();
        shown.push_back (e);
    }
    return std::is_sorted (shown.begin(), shown.end(), FolderContentsList::comesBefore);
}

void ListAndTree (benchmark::State& state)
{
    const auto folder = bigFolder().getChildFile ("Big");
    double longest = 0;

    for (auto _ : state)
    {
        AudioFileFilter filter;
        juce::TimeSliceThread thread ("UserSample_Bench");
        FolderContentsList list (&filter, thread);
        FileTreeComponent tree (list);
        tree.setBounds (0, 0, 400, 600);
        StallWatch watch;

        list.setDirectory (folder);
        thread.startThread();
        pumpUntil (
            [&] {
                return tree.getRootFileItem() != nullptr &&
                       tree.getRootFileItem()->getNumSubItems() == numListed;
            });
        longest = juce::jmax (longest, watch.longest);

        state.PauseTiming();
        if (!inDisplayOrder (*tree.getRootFileItem()))
            state.SkipWithError ("not in display order");
        thread.stopThread (-1);
        state.ResumeTiming();
    }

    state.counters["longest_stall_ms"] = longest;
}

void OpenFolder (benchmark::State& state)
{
    const auto parent = bigFolder();
    double longest = 0;

    for (auto _ : state)
    {
        state.PauseTiming();
        AudioFileFilter filter;
        juce::TimeSliceThread thread ("UserSample_Bench");
        FolderContentsList list (&filter, thread);
        FileTreeComponent tree (list);
        tree.setBounds (0, 0, 400, 600);
        list.setDirectory (parent);
        thread.startThread();
        pumpUntil (
            [&]
            { return tree.getRootFileItem() != nullptr && tree.getRootFileItem()->getNumSubItems() == 1; });
        auto* big = tree.getRootFileItem()->getSubItem (0);
        StallWatch watch;
        state.ResumeTiming();

        big->setOpen (true);
        pumpUntil ([&] { return big->getNumSubItems() == numListed; });

        state.PauseTiming();
        longest = juce::jmax (longest, watch.longest);
        thread.stopThread (-1);
        state.ResumeTiming();
    }

    state.counters["longest_stall_ms"] = longest;
}

void Paint (benchmark::State& state)
{
    juce::LookAndFeel_V4 lookAndFeel;
    AudioFileFilter filter;
    juce::TimeSliceThread thread ("UserSample_Bench");
    FolderContentsList list (&filter, thread);
    FileTreeComponent tree (list);
    tree.setLookAndFeel (&lookAndFeel);
    tree.setBounds (0, 0, 400, 600);
    list.setDirectory (bigFolder().getChildFile ("Big"));
    thread.startThread();
    pumpUntil (
        [&] {
            return tree.getRootFileItem() != nullptr && tree.getRootFileItem()->getNumSubItems() == numListed;
        });
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50); // the rows laid out

    juce::Image image (juce::Image::RGB, 400, 600, true);
    for (auto _ : state)
    {
        juce::Graphics g (image);
        tree.paintEntireComponent (g, false);
    }

    tree.setLookAndFeel (nullptr);
    thread.stopThread (-1);
}

BENCHMARK (ListAndTree)->Unit (benchmark::kMillisecond)->Iterations (3);
BENCHMARK (OpenFolder)->Unit (benchmark::kMillisecond)->Iterations (3);
BENCHMARK (Paint)->Unit (benchmark::kMicrosecond);
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bigFolder().deleteRecursively();
    return 0;
}
