// One user's whole journey through the real program, started as its own process under X and
// driven only from outside, as a person would: a WAV and an MP3 dragged from another program onto
// two pads, a range trimmed with the mouse, the BANK named and stored in the collection, exported
// to a folder standing for a removable volume, the program quit and started again.
//
// What the program holds is read from its data folder ("model.json", "bankcollection.json") and
// from the volume; what it shows from captures of the screen. Where to click comes from a main
// component built in this process at the window's size: the same code lays it out as in the
// program, so no position is written down twice. Screenshots of each step go to
// $GLORVAK_SCREENSHOTS when it is set.

#include "program/ProgramSteps.h"
#include "support/DialogLayout.h"
#include "support/EncodedAudioFixtures.h"
#include "support/MessagePump.h"
#include "support/PcmFileBuilder.h"
#include "support/ScratchFolder.h"
#include "support/XdoTool.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SlotJsonKeys.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

namespace
{
using namespace glorvak::test;

// Waits are for conditions; these only bound a wait that would otherwise never end.
constexpr int slowStepMs = 120000;

// The title of tests/harness/drag-files.py's window.
constexpr const char* dragSourceTitle = "glorvak-drag-source";

/** The centre of another program's window on the screen, from xdotool's geometry. */
bool findWindowCentre (const juce::String& name, juce::Point<int>& centre)
{
    juce::ChildProcess process;

    if (!process.start (juce::StringArray{"xdotool", "search", "--onlyvisible", "--name", name,
                                          "getwindowgeometry", "--shell"}))
        return false;

    juce::StringPairArray values;

    for (const auto& line : juce::StringArray::fromLines (process.readAllProcessOutput()))
        values.set (line.upToFirstOccurrenceOf ("=", false, false),
                    line.fromFirstOccurrenceOf ("=", false, false));

    if (values["WIDTH"].getIntValue() <= 0)
        return false;

    centre = {values["X"].getIntValue() + values["WIDTH"].getIntValue() / 2,
              values["Y"].getIntValue() + values["HEIGHT"].getIntValue() / 2};
    return true;
}

//==============================================================================
// The sources a user drags in: a short stereo WAV and a stereo MP3 of another rate.
juce::File writeWavSource (const juce::File& file)
{
    constexpr int frames = 72000; // 1.5 s at 48 kHz
    const auto pcm = testfixtures::makeTestPcm (2, frames, 24);
    PcmSamples interleaved;
    interleaved.reserve ((size_t)frames * 2);

    for (int i = 0; i < frames; ++i)
        for (const auto& channel : pcm)
            interleaved.push_back (channel[(size_t)i]);

    writeBytes (file, PcmFileBuilder::wav (PcmFormat{48000, 2, 24}, interleaved));
    return file;
}

juce::File writeMp3Source (const juce::File& file)
{
    const auto bytes =
        testfixtures::encodeMpegAudio ("libmp3lame", testfixtures::makeTestPcm (2, 88200, 16), 44100, 128000);
    if (bytes.isEmpty())
        return {};

    writeBytes (file, bytes);
    return file;
}

//==============================================================================
juce::var readJson (const juce::File& file)
{
    return file.existsAsFile() ? juce::JSON::parse (file.loadFileAsString()) : juce::var();
}

/** An element of a JSON array, void when there is none (juce::var's own index has no bounds
    check, and a file may be read while the program writes it). */
juce::var elementOf (const juce::var& array, int index)
{
    const auto* elements = array.getArray();
    return elements != nullptr && juce::isPositiveAndBelow (index, elements->size()) ? (*elements)[index]
                                                                                     : juce::var();
}

juce::var bankOf (const juce::var& model, int bank)
{
    return elementOf (model[vantor::dataset::modelkeys::bank], bank);
}

juce::var slotOf (const juce::var& model, int bank, int slot)
{
    return elementOf (bankOf (model, bank)[vantor::dataset::bankkeys::slot], slot);
}

//==============================================================================
/** Pixels of the waveform's colour: the waveform is drawn, not only its black background. */
int countWavePixels (const juce::Image& image)
{
    const juce::Colour wave (0xffdf8a20);
    int count = 0;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const auto c = image.getPixelAt (x, y);

            if (std::abs (c.getRed() - wave.getRed()) < 24 &&
                std::abs (c.getGreen() - wave.getGreen()) < 24 &&
                std::abs (c.getBlue() - wave.getBlue()) < 24)
                ++count;
        }

    return count;
}

//==============================================================================
class ProgramJourney : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const auto reason = whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;

        wavSource = writeWavSource (sources.child ("Journey kick.wav"));
        mp3Source = writeMp3Source (sources.child ("Journey loop.mp3"));

        if (mp3Source == juce::File())
            GTEST_SKIP() << "this FFmpeg has no MP3 encoder (libmp3lame) to make the MP3";

        drive = user.addRemovableVolume ("GLORVAK");
    }

    void TearDown() override { stopDragSource(); }

    void stopDragSource()
    {
        if (dragSource != nullptr)
            dragSource->kill();

        dragSource.reset();
    }

    /** Starts the program and waits for its main window; the layout follows its size. */
    void start()
    {
        run = std::make_unique<ProgramRun> (user);
        ASSERT_TRUE (run->started());
        window = run->waitForMainWindow();
        ASSERT_TRUE (window.isValid()) << run->output();
        layout = std::make_unique<WindowLayout> (window.bounds);
        // The mouse rests where it hides nothing that is compared.
        ASSERT_TRUE (run->moveMouse (onScreen (layout->restingPoint())));
    }

    /** Closes the window as a user does; the program ends cleanly. */
    void quit()
    {
        expectCleanEnd (*run);
        run.reset();
    }

    juce::Point<int> onScreen (juce::Point<int> inWindow) const
    {
        return window.bounds.getPosition() + inWindow;
    }

    juce::Image captureInWindow (juce::Rectangle<int> area) const
    {
        return capture (area.translated (window.bounds.getX(), window.bounds.getY()));
    }

    juce::Image captureWaveform() const { return captureInWindow (layout->waveform()); }

    /** Waits until the file's JSON satisfies the condition (the program saves a few seconds after
        a change). */
    static bool waitForJson (const juce::File& file, const std::function<bool (const juce::var&)>& condition)
    {
        return pumpMessagesUntil ([&] { return condition (readJson (file)); }, slowStepMs);
    }

    /** Drags files from another X program (a GTK window beside the program's window) onto a
        pad, moving in small steps as a hand does, and lets go once the pad shows that it would
        take them. */
    void dropFiles (const juce::StringArray& files, juce::Rectangle<int> pad)
    {
        ASSERT_TRUE (pumpMessagesUntil (
            [&] { return captureInWindow (pad).getPixelAt (1, pad.getHeight() / 2).getBrightness() < 0.1f; }))
            << "the pad's outer ring is dark before the drag";
        const auto script =
            juce::File (GLORVAK_TEST_DATA_DIR).getSiblingFile ("harness").getChildFile ("drag-files.py");
        const auto sourceAt = juce::Point<int> (window.bounds.getRight() + 80, window.bounds.getY() + 200);
        juce::StringArray arguments{"/usr/bin/python3", script.getFullPathName(), juce::String (sourceAt.x),
                                    juce::String (sourceAt.y)};
        arguments.addArray (files);
        // Both programs have agreed on the drop once the pad lights up; a release before that
        // would end the drag with nothing dropped.
        // (The pad's outer ring, black otherwise, takes the accent colour while files are over it.)
        const auto ringIsLit = [&]
        {
            const auto image = captureInWindow (pad);
            return image.isValid() && image.getPixelAt (1, image.getHeight() / 2).getBrightness() > 0.25f;
        };

        // On a loaded machine the two programs' drag now and then never starts, and the pad stays
        // dark: such a drag drops nothing, so it is let go and made again with a fresh source.
        constexpr int attempts = 3;

        for (int attempt = 1; attempt <= attempts; ++attempt)
        {
            // The previous source has done its part by now; a busy machine may not have let it
            // see the end of its drag yet.
            stopDragSource();
            dragSource = std::make_unique<juce::ChildProcess>();
            ASSERT_TRUE (dragSource->start (arguments, 0));

            juce::Point<int> from;
            ASSERT_TRUE (
                pumpMessagesUntil ([&from] { return findWindowCentre (dragSourceTitle, from); }, slowStepMs))
                << "the drag source's window";
            const auto to = onScreen (pad.getCentre());
            ASSERT_TRUE (run->moveMouse (from));
            ASSERT_TRUE (runProgram ({"xdotool", "mousedown", "1"}));

            // At a hand's pace: the two programs exchange several X messages for each move, and a
            // release that overtakes them ends the drag without a drop.
            for (int step = 1; step <= 12; ++step)
            {
                ASSERT_TRUE (run->moveMouse (from + (to - from) * step / 12));
                juce::Thread::sleep (60);
            }

            const bool lit = pumpMessagesUntil (ringIsLit, attempt < attempts ? 30000 : slowStepMs);
            ASSERT_TRUE (runProgram ({"xdotool", "mouseup", "1"}));
            ASSERT_TRUE (run->moveMouse (onScreen (layout->restingPoint())));

            if (lit)
                return;
        }

        FAIL() << "the pad never showed the files over it";
    }

    /** Waits until the waveform area shows a drawn waveform (unlike `other` when given) that has
        stopped changing, and returns its capture; an invalid image on time-out. */
    juce::Image waitForSteadyWaveform (const juce::Image& other = {})
    {
        juce::Image last, steady;
        pumpMessagesUntil (
            [&]
            {
                auto now = captureWaveform();
                const bool drawn =
                    countWavePixels (now) > 500 && (!other.isValid() || differingShare (now, other) > 0.05);

                if (drawn && last.isValid() && differingShare (now, last) == 0.0)
                    steady = now;

                last = now;
                return steady.isValid();
            },
            slowStepMs);
        return steady;
    }

    /** Waits for a window of the program other than those given (a dialog) and gives it the
        keyboard. */
    ProgramWindow waitForNewWindow (const juce::StringArray& known)
    {
        auto found = run->waitForWindow ([&] (const ProgramWindow& w) { return !known.contains (w.id); });

        if (found.isValid())
            runProgram ({"xdotool", "windowactivate", "--sync", found.id});

        return found;
    }

    ScratchFolder sources;
    std::unique_ptr<juce::ChildProcess> dragSource;
    ProgramUser user;
    juce::File wavSource, mp3Source, drive;
    std::unique_ptr<ProgramRun> run;
    ProgramWindow window;
    std::unique_ptr<WindowLayout> layout;
};

TEST_F (ProgramJourney, TwoFilesOnPadsTrimmedStoredExportedAndShownAgainAfterARestart)
{
    using namespace vantor::dataset;
    const auto nameOf = [] (const juce::var& slot) { return slot[slotkeys::slotName].toString(); };
    const auto frames = [] (const juce::var& slot, const char* key) { return (juce::int64)slot[key]; };

    start();
    run->screenshot ("journey-01-empty");

    // 1. A WAV onto pad A and an MP3 onto pad B, dragged from another program. A drop selects
    //    its SLOT, whose waveform the editor shows.
    dropFiles ({wavSource.getFullPathName()}, layout->pad (0));
    ASSERT_TRUE (waitForJson (user.modelFile(), [&] (const juce::var& m)
                              { return nameOf (slotOf (m, 0, 0)) == "Journey kick"; }))
        << "pad A holds the WAV";
    const auto wavWaveform = waitForSteadyWaveform();
    ASSERT_TRUE (wavWaveform.isValid()) << "the WAV's waveform is shown";
    run->screenshot ("journey-02-wav-on-pad-a");

    dropFiles ({mp3Source.getFullPathName()}, layout->pad (1));
    ASSERT_TRUE (waitForJson (user.modelFile(), [&] (const juce::var& m)
                              { return nameOf (slotOf (m, 0, 1)) == "Journey loop"; }))
        << "pad B holds the MP3";
    ASSERT_TRUE (waitForSteadyWaveform (wavWaveform).isValid()) << "the MP3's waveform replaces the WAV's";
    run->screenshot ("journey-03-mp3-on-pad-b");

    // 2. Back on SLOT A, the end marker dragged to 60 % of the waveform trims the range.
    ASSERT_TRUE (run->click (layout->slotRowCentre (0)));
    ASSERT_TRUE (run->moveMouse (onScreen (layout->restingPoint())));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return differingShare (captureWaveform(), wavWaveform) < 0.01; },
                                    slowStepMs))
        << "SLOT A's waveform is shown again";
    const auto wave = layout->waveform();
    const auto markerY = wave.getY() + 40;
    ASSERT_TRUE (
        run->drag ({wave.getRight() - 2, markerY}, {wave.getX() + wave.getWidth() * 6 / 10, markerY}));
    juce::var slotA;
    ASSERT_TRUE (waitForJson (user.modelFile(),
                              [&] (const juce::var& m)
                              {
                                  slotA = slotOf (m, 0, 0);
                                  return frames (slotA, slotkeys::endSample) <
                                         frames (slotA, slotkeys::sampleNum);
                              }))
        << "the range is trimmed";
    EXPECT_EQ (frames (slotA, slotkeys::startSample), 0);
    EXPECT_NEAR ((double)frames (slotA, slotkeys::endSample) / (double)frames (slotA, slotkeys::sampleNum),
                 0.6, 0.02)
        << "the end lies where the marker was let go";
    ASSERT_TRUE (run->moveMouse (onScreen (layout->restingPoint())));
    const auto trimmedWaveform = waitForSteadyWaveform (wavWaveform);
    EXPECT_TRUE (trimmedWaveform.isValid()) << "the part cut off is shaded";
    run->screenshot ("journey-04-trimmed");

    // 3. The BANK named, then stored by dragging its row into the opened collection.
    ASSERT_TRUE (renameBank (*run, layout->bankRowCentre (0), "Journey"));
    ASSERT_TRUE (waitForJson (user.modelFile(), [] (const juce::var& m)
                              { return bankOf (m, 0)[bankkeys::bankName].toString() == "Journey"; }))
        << "the BANK is named";
    ASSERT_TRUE (run->click (layout->collectionTabCentre()));
    ASSERT_TRUE (
        waitForJson (user.settingsFile(), [] (const juce::var& s) { return (bool)s["BankCollectionOpen"]; }))
        << "the collection is open";
    ASSERT_TRUE (run->drag (layout->bankRowCentre (0), layout->openCollectionTableCentre()));
    juce::var stored;
    ASSERT_TRUE (waitForJson (user.bankCollectionFile(),
                              [&] (const juce::var& c)
                              {
                                  stored = elementOf (c["bankcollection"], 0);
                                  return stored.isObject();
                              }))
        << "the BANK is in the collection";
    EXPECT_EQ (stored[bankkeys::bankName].toString(), "Journey");
    EXPECT_EQ (nameOf (elementOf (stored[bankkeys::slot], 0)), "Journey kick");
    EXPECT_EQ (nameOf (elementOf (stored[bankkeys::slot], 1)), "Journey loop");
    EXPECT_EQ (frames (elementOf (stored[bankkeys::slot], 0), slotkeys::endSample),
               frames (slotA, slotkeys::endSample))
        << "with the trimmed range";
    ASSERT_TRUE (run->moveMouse (onScreen (layout->restingPoint())));
    run->screenshot ("journey-05-stored");

    // 4. Exported to the volume through the EXPORT button and the drive dialog, which offers it
    //    first; the "Completed." box is the next window, smaller than the dialog with its list.
    ASSERT_TRUE (run->click (layout->exportButtonCentre()));
    const auto driveDialog = waitForNewWindow ({window.id});
    ASSERT_TRUE (driveDialog.isValid()) << "the drive dialog";
    run->screenshot ("journey-06-drive-dialog");
    const auto dialogLayout = layOutDriveDialog (drive.getFileName());
    ASSERT_EQ (dialogLayout.dialog.getWidth(), driveDialog.bounds.getWidth()) << "the same dialog";
    ASSERT_EQ (dialogLayout.dialog.getHeight(), driveDialog.bounds.getHeight()) << "the same dialog";
    ASSERT_TRUE (run->clickOnScreen (driveDialog.bounds.getPosition() + dialogLayout.button.getCentre()));
    const auto unit = drive.getChildFile ("Quorvane/GLORVAK");
    const auto settingsOnUnit = unit.getChildFile ("GLORVAKSETTINGS.json");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return settingsOnUnit.existsAsFile(); }, slowStepMs))
        << "the unit's folder is written";
    const auto completed = run->waitForWindow (
        [&] (const ProgramWindow& w)
        {
            return w.id != window.id && w.id != driveDialog.id &&
                   w.bounds.getHeight() < driveDialog.bounds.getHeight();
        });
    if (!completed.isValid())
        run->screenshot ("journey-07-export-not-completed");
    ASSERT_TRUE (completed.isValid()) << "the export completed";
    run->screenshot ("journey-07-export-completed");
    ASSERT_TRUE (runProgram ({"xdotool", "windowactivate", "--sync", completed.id}));
    ASSERT_TRUE (run->key ("Return"));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return run->visibleWindows().size() == 1; }, slowStepMs))
        << "only the main window is left";

    // On the volume: both SLOTs' WAVs in BANK 1's folder at the unit's rate, SLOT A cut to its
    // range.
    const auto onUnit = readJson (settingsOnUnit);
    const auto exportedLength = [&] (int slot)
    {
        const auto file =
            unit.getChildFile ("01").getChildFile (slotOf (onUnit, 0, slot)[slotkeys::fileName].toString());
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatReader> reader (
            wav.createReaderFor (file.createInputStream().release(), true));
        EXPECT_NE (reader, nullptr) << file.getFullPathName();
        EXPECT_TRUE (reader == nullptr || reader->sampleRate == 96000.0);
        return reader != nullptr ? reader->lengthInSamples : -1;
    };
    EXPECT_EQ (nameOf (slotOf (onUnit, 0, 0)), "Journey kick");
    EXPECT_EQ (nameOf (slotOf (onUnit, 0, 1)), "Journey loop");
    EXPECT_EQ (exportedLength (0),
               frames (slotA, slotkeys::endSample) - frames (slotA, slotkeys::startSample));
    EXPECT_EQ (exportedLength (1), frames (slotOf (readJson (user.modelFile()), 0, 1), slotkeys::sampleNum));

    // What the BANK and SLOT views show now, to be shown again after the restart.
    ASSERT_TRUE (run->moveMouse (onScreen (layout->restingPoint())));
    const juce::Rectangle<int> views[] = {layout->bankViewBounds(), layout->slotViewBounds()};
    juce::Image shown[2];

    for (int i = 0; i < 2; ++i)
        shown[i] = captureInWindow (views[i]);

    quit();

    // 5. Started again: the same state, in the files and on the screen.
    const auto modelBefore = user.modelFile().loadFileAsString();
    const auto collectionBefore = user.bankCollectionFile().loadFileAsString();
    start();
    const auto waveformAgain = waitForSteadyWaveform();
    ASSERT_TRUE (waveformAgain.isValid());
    EXPECT_LT (differingShare (waveformAgain, trimmedWaveform), 0.01) << "SLOT A, trimmed, is shown again";

    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE (pumpMessagesUntil (
            [&] { return differingShare (captureInWindow (views[i]), shown[i]) < 0.01; }, slowStepMs))
            << (i == 0 ? "the BANK table" : "the SLOT table and pads") << " show what they showed before";

    run->screenshot ("journey-08-started-again");
    quit();
    EXPECT_EQ (user.modelFile().loadFileAsString(), modelBefore);
    EXPECT_EQ (user.bankCollectionFile().loadFileAsString(), collectionBefore);
}
} // namespace
