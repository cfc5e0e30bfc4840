#pragma once

// The whole-set operations and the autosave as a child process runs them, killed at some instant,
// and the check that the restarted program finds one whole state. Shared by the kill tests and
// the random-kill trials of scripts/crash-trials, so it uses no test framework. Header-only: the
// trials program links the data set, not the tests' support library.

#include "vantor/dataset/BackupArchive.h"
#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/FileSwap.h"
#include "vantor/dataset/Leftovers.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"
#include "vantor/dataset/UnitExport.h"
#include "vantor/dataset/UnitFolder.h"
#include "vantor/dataset/UnitImport.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <map>
#include <vector>

namespace glorvak::crash
{
enum class Operation
{
    autosave,
    backup,
    restore,
    exportToUnit,
    importFromUnit
};

struct OperationName
{
    Operation operation;
    const char* name;
};

inline constexpr OperationName operationNames[] = {{Operation::autosave, "autosave"},
                                                   {Operation::backup, "backup"},
                                                   {Operation::restore, "restore"},
                                                   {Operation::exportToUnit, "export"},
                                                   {Operation::importFromUnit, "import"}};

inline juce::String nameOf (Operation operation)
{
    for (const auto& entry : operationNames)
        if (entry.operation == operation)
            return entry.name;

    return {};
}

inline bool operationNamed (const juce::String& name, Operation& operation)
{
    for (const auto& entry : operationNames)
        if (name == entry.name)
            operation = entry.operation;

    return nameOf (operation) == name;
}

// Where one trial keeps everything: the live data folder, another data set as archive and unit
// folder, the backup's target, and the states a check accepts.
struct Layout
{
    explicit Layout (const juce::File& rootToUse)
        : root (rootToUse)
    {
    }

    juce::File root;
    juce::File data = root.getChildFile ("data");
    juce::File other = root.getChildFile ("other");
    juce::File sources = root.getChildFile ("sources");
    juce::File archive = root.getChildFile ("archive.zip");
    juce::File volume = root.getChildFile ("volume");
    juce::File backupFolder = root.getChildFile ("backups");
    juce::File backupFile = backupFolder.getChildFile ("backup.zip");
    juce::File expected = root.getChildFile ("expected");
};

//==============================================================================
// Every file below a folder with its bytes, by relative path.
using Snapshot = std::map<juce::String, juce::MemoryBlock>;

inline Snapshot filesBelow (const juce::File& folder)
{
    Snapshot snapshot;

    for (const auto& file :
         folder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
        file.loadFileAsData (snapshot[file.getRelativePathFrom (folder)]);

    return snapshot;
}

inline juce::String describe (const Snapshot& snapshot)
{
    juce::StringArray paths;

    for (const auto& entry : snapshot)
        paths.add (entry.first + " (" + juce::String ((juce::int64)entry.second.getSize()) + ")");

    return paths.joinIntoString (", ");
}

// A 24-bit stereo WAV at 96000 Hz; frames and seed make every sample tell itself apart.
inline bool writeWav (const juce::File& file, int frames, int seed)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::AudioBuffer<float> buffer (2, frames);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < frames; ++i)
            buffer.setSample (c, i, (float)(((i * (seed + 3) + c * 101) % 2000) - 1000) / 1200.0f);

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::FileOutputStream (file), 96000.0, 2, 24, {}, 0));
    return writer != nullptr && writer->writeFromAudioSampleBuffer (buffer, 0, frames);
}

// Slot objects as the editor writes them, one WAV each, lengths all different.
inline juce::var makeBanks (const juce::File& folder, int bankCount, const juce::String& prefix, int seed)
{
    using namespace vantor::dataset;
    juce::Array<juce::var> banks;

    for (int b = 0; b < bankCount; ++b)
    {
        juce::Array<juce::var> slots;

        for (int s = 0; s < 4; ++s)
        {
            auto* slot = new juce::DynamicObject();

            if (s < 2)
            {
                const int frames = 20000 + seed * 1000 + b * 100 + s * 10;
                const auto name = prefix + juce::String (b) + "-" + juce::String (s) + ".wav";
                writeWav (getSamplesFolder (folder).getChildFile (name), frames, seed + b * 4 + s);
                slot->setProperty (slotkeys::fileName, name);
                slot->setProperty (slotkeys::sampleNum, frames);
                slot->setProperty (slotkeys::startSample, 0);
                slot->setProperty (slotkeys::endSample, frames);
                slot->setProperty (slotkeys::slotName, prefix + juce::String (b * 4 + s));
            }

            slots.add (juce::var (slot));
        }

        auto* bank = new juce::DynamicObject();
        bank->setProperty (bankkeys::bankName, prefix + " BANK " + juce::String (b));
        bank->setProperty (bankkeys::slot, slots);
        banks.add (juce::var (bank));
    }

    return banks;
}

inline void writeDataFolder (const juce::File& dataFolder, const juce::String& prefix, int seed)
{
    using namespace vantor::dataset;
    const auto model = dataFolder.getChildFile (modelkeys::folderName);
    auto* modelRoot = new juce::DynamicObject();
    modelRoot->setProperty (modelkeys::favorite, seed % 15);
    modelRoot->setProperty (modelkeys::bank, makeBanks (model, 3, prefix, seed));
    model.createDirectory();
    model.getChildFile (modelkeys::fileName).replaceWithText (juce::JSON::toString (juce::var (modelRoot)));

    const auto collection = dataFolder.getChildFile (collectionkeys::folderName);
    auto* collectionRoot = new juce::DynamicObject();
    collectionRoot->setProperty (collectionkeys::bankCollection,
                                 makeBanks (collection, 2, prefix + "Stored", seed + 7));
    collection.createDirectory();
    collection.getChildFile (collectionkeys::fileName)
        .replaceWithText (juce::JSON::toString (juce::var (collectionRoot)));
}

inline juce::String backupOf (const juce::File& dataFolder, const juce::File& zipFile)
{
    using namespace vantor::dataset;
    WyxModelImpl model;
    WyxBankCollectionImpl collection;
    model.load (dataFolder.getChildFile (modelkeys::folderName).getChildFile (modelkeys::fileName));
    collection.load (
        dataFolder.getChildFile (collectionkeys::folderName).getChildFile (collectionkeys::fileName));
    juce::Array<BackupArchive::Entry> entries;
    const auto collected = BackupArchive::collectEntries (model, collection, dataFolder, entries);
    return collected.isNotEmpty() ? collected : BackupArchive::write (entries, zipFile, nullptr, dataFolder);
}

inline juce::var modelJsonOf (const juce::File& dataFolder)
{
    using namespace vantor::dataset;
    WyxModelImpl model;
    model.load (dataFolder.getChildFile (modelkeys::folderName).getChildFile (modelkeys::fileName));
    return model.toVar();
}

inline juce::String exportOf (const juce::File& dataFolder, const juce::File& volume)
{
    using namespace vantor::dataset;
    return UnitExport::write (modelJsonOf (dataFolder),
                              getSamplesFolder (dataFolder.getChildFile (modelkeys::folderName)), volume,
                              nullptr);
}

//==============================================================================
// The autosave scenario: edits that free, take and reuse sample names, each followed by a save
// as the timer would make it. A kill can come before any step.
inline juce::File autosaveSource (const Layout& layout, int index)
{
    return layout.sources.getChildFile ("Take" + juce::String (index) + ".wav");
}

inline constexpr int autosaveSteps = 12;

// The model hears of its SLOTs' changes through change messages; there is no message loop in the
// child, so they are delivered before each save, as the loop would have before the timer fired.
inline void deliverChanges (vantor::dataset::WyxModelImpl& model)
{
    model.getBankList().dispatchPendingMessages();

    for (auto* bank : model.getBankList().banks)
    {
        bank->dispatchPendingMessages();
        bank->getSlotList().dispatchPendingMessages();

        for (auto* slot : bank->getSlotList().slots)
            slot->dispatchPendingMessages();
    }
}

inline void runAutosaveStep (int step, vantor::dataset::WyxModelImpl& model,
                             vantor::dataset::WyxBankCollectionImpl& collection, const Layout& layout)
{
    auto& banks = model.getBankList().banks;
    const auto slot = [&] (int b, int s) { return banks[b]->getSlotList().slots[s]; };
    const auto import = [&] (int b, int s, int source)
    { slot (b, s)->importAudioFile (autosaveSource (layout, source), nullptr, false); };

    switch (step)
    {
        case 0:
            import (0, 0, 0);
            break; // replaces the sample of a saved SLOT
        case 1:
            deliverChanges (model);
            model.save();
            break;
        case 2:
            slot (0, 1)->clear();
            break; // frees a name the saved file still names
        case 3:
            import (1, 0, 0);
            break; // the same base name as the SLOT imported first
        case 4:
            slot (0, 0)->clear();
            break;
        case 5:
            import (2, 1, 0);
            break; // would take the freed "Take0.wav"
        case 6:
            deliverChanges (model);
            model.save();
            break;
        case 7:
            collection.remove (0);
            break; // deletes a stored BANK's samples
        case 8:
            collection.add (banks[1].get());
            break; // stores copies that may take their names
        case 9:
            collection.save();
            break;
        case 10:
            import (0, 0, 1);
            break;
        case 11:
            deliverChanges (model);
            model.save();
            break;
        default:
            break;
    }
}

//==============================================================================
inline void prepare (Operation operation, const Layout& layout)
{
    layout.root.createDirectory();
    writeDataFolder (layout.data, "Old", 1);

    switch (operation)
    {
        case Operation::autosave:
            for (int i = 0; i < 2; ++i)
                writeWav (autosaveSource (layout, i), 30000 + i * 777, 50 + i);
            break;

        case Operation::backup:
            layout.backupFolder.createDirectory();
            layout.expected.createDirectory();
            writeDataFolder (layout.other, "Other", 9);
            backupOf (layout.other, layout.backupFile);
            backupOf (layout.data, layout.expected.getChildFile ("backup.zip"));
            break;

        case Operation::restore:
            writeDataFolder (layout.other, "New", 5);
            backupOf (layout.other, layout.archive);
            break;

        case Operation::exportToUnit:
            writeDataFolder (layout.other, "Unit", 3);
            exportOf (layout.other, layout.volume);
            layout.volume.copyDirectoryTo (layout.expected);
            exportOf (layout.data, layout.expected);
            break;

        case Operation::importFromUnit:
            writeDataFolder (layout.other, "Unit", 3);
            exportOf (layout.other, layout.volume);
            layout.data.copyDirectoryTo (layout.expected);
            vantor::dataset::UnitImport::read (layout.volume, layout.expected, nullptr);
            break;
    }
}

// Runs the operation to its end in this process, which may be killed on the way; beforeStep is
// called before every step of the autosave scenario.
inline juce::String run (Operation operation, const Layout& layout,
                         const std::function<void (int step)>& beforeStep = {})
{
    using namespace vantor::dataset;

    switch (operation)
    {
        case Operation::autosave:
        {
            WyxModelImpl model;
            WyxBankCollectionImpl collection;
            model.load (layout.data.getChildFile ("model/model.json"));
            collection.load (layout.data.getChildFile ("bankcollection/bankcollection.json"));

            for (int step = 0; step < autosaveSteps; ++step)
            {
                if (beforeStep != nullptr)
                    beforeStep (step);

                runAutosaveStep (step, model, collection, layout);
            }

            return {};
        }

        case Operation::backup:
            return backupOf (layout.data, layout.backupFile);
        case Operation::restore:
            return BackupArchive::restore (layout.archive, layout.data, nullptr);
        case Operation::exportToUnit:
            return exportOf (layout.data, layout.volume);
        case Operation::importFromUnit:
            return UnitImport::read (layout.volume, layout.data, nullptr);
    }

    return "unknown";
}

//==============================================================================
// Every WAV a JSON file names is there, whole, and is the one it was saved with.
inline juce::String checkNamedSamples (const juce::File& jsonFile, const char* arrayKey)
{
    using namespace vantor::dataset;
    const auto json = juce::JSON::parse (jsonFile.loadFileAsString());
    const auto* banks = json[arrayKey].getArray();

    if (banks == nullptr)
        return jsonFile.getFileName() + " is missing or damaged";

    for (const auto& bank : *banks)
    {
        for (const auto& slot : *bank[bankkeys::slot].getArray())
        {
            const auto name = slot[slotkeys::fileName].toString();

            if (name.isEmpty())
                continue;

            const auto wav = getSamplesFolder (jsonFile.getParentDirectory()).getChildFile (name);
            WyxSlotFileInfo info;

            if (!readWavFileInfo (wav, info))
                return jsonFile.getFileName() + " names " + name + ", which is missing or no WAV";

            if (info.sampleCount != (juce::int64)slot[slotkeys::sampleNum])
                return jsonFile.getFileName() + " names " + name + " with " +
                       slot[slotkeys::sampleNum].toString() +
                       " frames, but the file holds another sample of " + juce::String (info.sampleCount);
        }
    }

    return {};
}

inline juce::String checkNoLeftovers (const juce::File& folder, const juce::StringArray& allowed)
{
    for (const auto& child : folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*",
                                                    juce::File::FollowSymlinks::no))
        if (!allowed.contains (child.getFileName()))
            return "leftover " + child.getFullPathName();

    return {};
}

inline juce::String checkOneOf (const Snapshot& found, const Snapshot& oldState, const Snapshot& newState,
                                const juce::String& what)
{
    if (found == oldState || found == newState)
        return {};

    return what + " is neither the old nor the new state: " + describe (found);
}

// After the kill: what the next start (and, for the unit, the next export or import) does first,
// then the check. oldData is the data folder as it was before the operation. Empty when all is
// well.
inline juce::String recoverAndCheck (Operation operation, const Layout& layout, const Snapshot& oldData,
                                     const Snapshot& oldUnit, const juce::MemoryBlock& oldBackup)
{
    using namespace vantor::dataset;
    Leftovers::cleanDataFolder (layout.data);

    const auto model = layout.data.getChildFile ("model/model.json");
    const auto collection = layout.data.getChildFile ("bankcollection/bankcollection.json");
    juce::String problem = checkNoLeftovers (layout.data, {"model", "bankcollection"});

    for (const auto& [file, key] :
         {std::pair{model, modelkeys::bank}, std::pair{collection, collectionkeys::bankCollection}})
        if (problem.isEmpty())
            problem = checkNamedSamples (file, key);

    if (problem.isNotEmpty())
        return problem;

    switch (operation)
    {
        case Operation::autosave:
            for (const auto& folder : {layout.data.getChildFile ("model/samples"),
                                       layout.data.getChildFile ("bankcollection/samples")})
                for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "*"))
                    if (isStagedWavName (file.getFileName()))
                        return "leftover " + file.getFullPathName();
            return {};

        case Operation::backup:
        {
            problem = checkNoLeftovers (layout.backupFolder, {"backup.zip"});
            juce::MemoryBlock found, expected;
            layout.backupFile.loadFileAsData (found);
            layout.expected.getChildFile ("backup.zip").loadFileAsData (expected);

            if (problem.isEmpty() && found != oldBackup && found != expected)
                problem = "the archive is neither the old nor the new one";

            return problem.isNotEmpty()
                       ? problem
                       : checkOneOf (filesBelow (layout.data), oldData, oldData, "the data folder");
        }

        case Operation::restore:
            return checkOneOf (filesBelow (layout.data), oldData, filesBelow (layout.other),
                               "the data folder");

        case Operation::importFromUnit:
            return checkOneOf (filesBelow (layout.data), oldData, filesBelow (layout.expected),
                               "the data folder");

        case Operation::exportToUnit:
        {
            Leftovers::cleanUnitFolder (layout.volume);
            problem = checkNoLeftovers (UnitFolder::getMakerFolder (layout.volume), {"GLORVAK"});

            return problem.isNotEmpty() ? problem
                                        : checkOneOf (filesBelow (layout.volume), oldUnit,
                                                      filesBelow (layout.expected), "the unit folder");
        }
    }

    return {};
}
} // namespace glorvak::crash
