// libFuzzer entry for the files of the data side that a user or a damaged disk can hand the
// program. The first byte picks the path, the rest is the file:
//   0 "model.json" and 1 "bankcollection.json", loaded by the data model beside a samples folder
//     holding a few tiny WAVs, then saved (which deletes the WAVs no SLOT names);
//   2 the unit's "GLORVAKSETTINGS.json", imported from a unit folder into a data folder;
//   3 a backup zip restored over a data folder;
//   4 "settings.json" read by the settings store;
//   5 an encrypted file read whole, as records, and trimmed to a size;
//   6 the update-information document;
//   7 a mount table, parsed and searched for removable volumes below a fixture root.
// Beyond crashes, sanitizer reports, leaks and hangs, a run fails when anything beside the
// scratch folder is written or deleted, or a load that reports success gives values outside
// their limits.
#include "DataFileFuzzPaths.h"

#include "common/AppSettings.h"
#include "common/SafeJson.h"
#include "common/updater/UpdateInfo.h"
#include "common/updater/WebRequest.h"
#include "common/usage/CryptoFile.h"
#include "common/volumes/RemovableVolumeListLinux.h"
#include "vantor/dataset/BackupArchive.h"
#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/UnitFolder.h"
#include "vantor/dataset/UnitImport.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"
#include "vantor/dataset/WyxSlotList.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace juce
{
// JUCE's own dispatcher of one queued message (juce_events); lets each input drain the queue
// without the sleep of runDispatchLoopUntil.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
using namespace vantor::dataset;
using datafuzz::Path;

const char* pathInUse = "none";

[[noreturn]] void fail (const char* what)
{
    std::fprintf (stderr, "broken invariant: %s (path %s)\n", what, pathInUse);
    std::abort();
}

void check (bool condition, const char* what)
{
    if (!condition)
        fail (what);
}

// A tiny 16-bit stereo WAV of frames frames at 44100 Hz.
juce::MemoryBlock tinyWav (int frames)
{
    juce::MemoryOutputStream out;
    const auto dataBytes = (juce::uint32)frames * 4;
    out.write ("RIFF", 4);
    out.writeInt ((int)(36 + dataBytes));
    out.write ("WAVEfmt ", 8);
    out.writeInt (16);
    out.writeShort (1);
    out.writeShort (2);
    out.writeInt (44100);
    out.writeInt (44100 * 4);
    out.writeShort (4);
    out.writeShort (16);
    out.write ("data", 4);
    out.writeInt ((int)dataBytes);

    for (int i = 0; i < frames * 2; ++i)
        out.writeShort ((short)(i * 37));

    return out.getMemoryBlock();
}

// Per process, since several jobs may fuzz side by side:
//   glorvak-data-fuzz-<pid>/sentinel.wav   must survive every input unchanged
//   glorvak-data-fuzz-<pid>/scratch/       the only folder an input may change; made afresh
// libFuzzer may end without destructors, so the scratch folder is emptied after each input.
struct Places
{
    juce::File base, sentinel, scratch;
    juce::MemoryBlock sentinelBytes;
};

const Places& places()
{
    static const Places p = []
    {
        Places made;
        made.base = juce::File::getSpecialLocation (juce::File::tempDirectory)
                        .getChildFile ("glorvak-data-fuzz-" + juce::String ((int)getpid()));
        made.base.deleteRecursively();
        made.base.createDirectory();
        made.sentinel = made.base.getChildFile (datafuzz::sentinelName);
        made.sentinelBytes = tinyWav (8);
        made.sentinel.replaceWithData (made.sentinelBytes.getData(), made.sentinelBytes.getSize());
        made.scratch = made.base.getChildFile ("scratch");
        return made;
    }();
    return p;
}

void checkSurroundings()
{
    const auto& p = places();
    juce::MemoryBlock bytes;

    check (p.sentinel.loadFileAsData (bytes) && bytes == p.sentinelBytes,
           "the file beside the scratch folder was changed or deleted");

    for (const auto& item : p.base.findChildFiles (juce::File::findFilesAndDirectories, false, "*",
                                                   juce::File::FollowSymlinks::no))
        check (item == p.sentinel || item == p.scratch, "something was written beside the scratch folder");
}

juce::File writeInput (const juce::File& file, const uint8_t* data, size_t size)
{
    file.getParentDirectory().createDirectory();

    if (!file.replaceWithData (data, size))
        fail ("the scratch file cannot be written");

    return file;
}

// The samples folders that the JSON may name, with a WAV named like the file beside the scratch
// folder so that a name stepping outside would find a real target.
void writeSamples (const juce::File& folder)
{
    const auto samples = getSamplesFolder (folder);
    samples.createDirectory();

    for (auto name : datafuzz::sampleNames)
    {
        const auto wav = tinyWav (datafuzz::sampleFrames);
        samples.getChildFile (name).replaceWithData (wav.getData(), wav.getSize());
    }
}

void checkSlot (const WyxSlot& slot, const juce::File& folder)
{
    const int bpm = slot.getBpm();
    check (bpm == 0 || (bpm >= 4000 && bpm <= 99999), "a loaded BPM is outside its limits");

    const float gain = slot.getGainDb();
    check (std::isfinite (gain) && gain >= -18.0f && gain <= 9.0f, "a loaded gain is outside -18 .. +9 dB");

    const auto range = slot.getRange();
    const auto file = slot.getFile();
    check (range.getStart() >= 0 && range.getStart() <= range.getEnd(), "a loaded range is reversed");
    // A start beyond the WAV is kept (the range is then empty); the end never passes both.
    check (range.getEnd() <= std::max (range.getStart(), slot.getFileInfo().sampleCount),
           "a loaded range ends beyond its WAV");

    if (file != juce::File())
        check (file.getParentDirectory() == getSamplesFolder (folder), // a missing WAV is allowed
               "a loaded SLOT names a file outside its samples folder");

    check (std::isfinite (slot.getTimeLength()) && std::isfinite (slot.getBeatLength()),
           "a loaded SLOT's length is not finite");
}

void checkBank (const WyxBank& bank, const juce::File& folder)
{
    check (bank.getSlotList().slots.size() == 4, "a loaded BANK does not hold four SLOTs");

    for (auto* slot : bank.getSlotList().slots)
        checkSlot (*slot, folder);
}

void checkModelFolder (const juce::File& modelFolder)
{
    WyxModelImpl model;
    model.load (modelFolder.getChildFile (modelkeys::fileName));
    check (model.getFavoriteBank() >= 0 && model.getFavoriteBank() < WyxModel::bankCount,
           "the loaded favourite BANK is outside 0 .. 14");
    check (model.getBankList().banks.size() == WyxModel::bankCount, "the model does not hold 15 BANKs");

    for (auto* bank : model.getBankList().banks)
        checkBank (*bank, modelFolder);

    // The save and the clean-up of unnamed WAVs are what could reach outside.
    model.getBankList().banks[0]->setName (model.getBankList().banks[0]->getName() + "x");
    model.save();
}

void checkCollectionFolder (const juce::File& collectionFolder)
{
    WyxBankCollectionImpl collection;
    collection.load (collectionFolder.getChildFile (collectionkeys::fileName));
    check (collection.size() <= WyxBankCollection::maxBanks, "the collection holds more than 100 BANKs");

    for (auto* bank : collection)
        checkBank (*bank, collectionFolder);

    if (collection.size() > 0)
        collection.getBank (0)->setName (collection.getBank (0)->getName() + "x");

    collection.save();
}

void loadModel (const juce::File& scratch, const uint8_t* data, size_t size)
{
    const auto folder = scratch.getChildFile (modelkeys::folderName);
    writeSamples (folder);
    writeInput (folder.getChildFile (modelkeys::fileName), data, size);
    checkModelFolder (folder);
}

void loadCollection (const juce::File& scratch, const uint8_t* data, size_t size)
{
    const auto folder = scratch.getChildFile (collectionkeys::folderName);
    writeSamples (folder);
    writeInput (folder.getChildFile (collectionkeys::fileName), data, size);
    checkCollectionFolder (folder);
}

// A model folder and a collection folder to be replaced by a restore or an import.
void writeLiveData (const juce::File& dataFolder)
{
    for (auto name : {modelkeys::folderName, collectionkeys::folderName})
    {
        writeSamples (dataFolder.getChildFile (name));
        dataFolder.getChildFile (name).getChildFile ("live.txt").replaceWithText (name);
    }
}

using Snapshot = std::map<juce::String, juce::MemoryBlock>;

Snapshot snapshotOf (const juce::File& folder)
{
    Snapshot snapshot;

    for (const auto& file :
         folder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
    {
        juce::MemoryBlock bytes;
        file.loadFileAsData (bytes);
        snapshot[file.getRelativePathFrom (folder)] = bytes;
    }

    return snapshot;
}

Snapshot liveSnapshot (const juce::File& dataFolder)
{
    Snapshot both;

    for (auto name : {modelkeys::folderName, collectionkeys::folderName})
        for (auto& entry : snapshotOf (dataFolder.getChildFile (name)))
            both[juce::String (name) + "/" + entry.first] = entry.second;

    return both;
}

void importUnit (const juce::File& scratch, const uint8_t* data, size_t size)
{
    const auto dataFolder = scratch.getChildFile ("data");
    const auto volume = scratch.getChildFile ("volume");
    writeLiveData (dataFolder);
    writeInput (UnitFolder::getSettingsFile (volume), data, size);

    for (int bank = 0; bank < datafuzz::unitBanksWithSamples; ++bank)
    {
        const auto bankFolder =
            UnitFolder::getUnitFolder (volume).getChildFile (UnitFolder::getBankFolderName (bank));
        bankFolder.createDirectory();

        for (auto name : datafuzz::sampleNames)
        {
            const auto wav = tinyWav (datafuzz::sampleFrames);
            bankFolder.getChildFile (name).replaceWithData (wav.getData(), wav.getSize());
        }
    }

    const auto before = liveSnapshot (dataFolder);
    const auto volumeBefore = snapshotOf (volume);

    if (UnitImport::read (volume, dataFolder, nullptr).isEmpty())
    {
        const auto stored = JsonFileStore::read (
            dataFolder.getChildFile (modelkeys::folderName).getChildFile (modelkeys::fileName),
            modelkeys::bank);
        check (stored.status == JsonFileStore::ReadStatus::ok, "an imported model file cannot be read");
        const auto* banks = stored.root[modelkeys::bank].getArray();
        check (banks->size() <= UnitFolder::bankCount, "an import stored more than 15 BANKs");

        for (const auto& bank : *banks)
            if (const auto* slots = bank[bankkeys::slot].getArray())
                check (slots->size() <= UnitFolder::slotsPerBank,
                       "an import stored more than 4 SLOTs in a BANK");

        checkModelFolder (dataFolder.getChildFile (modelkeys::folderName));
    }
    else
    {
        check (liveSnapshot (dataFolder) == before, "a failed import changed the data folder");
    }

    check (snapshotOf (volume) == volumeBefore, "an import changed the unit's folder");
}

void restoreBackup (const juce::File& scratch, const uint8_t* data, size_t size)
{
    const auto dataFolder = scratch.getChildFile ("data");
    writeLiveData (dataFolder);
    const auto zip = writeInput (scratch.getChildFile ("backup.zip"), data, size);
    const auto before = liveSnapshot (dataFolder);

    if (BackupArchive::restore (zip, dataFolder, nullptr).isEmpty())
    {
        checkModelFolder (dataFolder.getChildFile (modelkeys::folderName));
        checkCollectionFolder (dataFolder.getChildFile (collectionkeys::folderName));
    }
    else
    {
        check (liveSnapshot (dataFolder) == before, "a failed restore changed the data folder");
    }

    for (const auto& item : dataFolder.findChildFiles (juce::File::findFilesAndDirectories, false))
        check (item.getFileName() == modelkeys::folderName ||
                   item.getFileName() == collectionkeys::folderName,
               "a restore left something else in the data folder");
}

void readSettings (const juce::File& scratch, const uint8_t* data, size_t size)
{
    const auto file = writeInput (scratch.getChildFile ("settings.json"), data, size);
    const auto translations = scratch.getChildFile ("translations");
    translations.createDirectory();

    {
        common::AppSettings settings (file, translations);
        juce::ignoreUnused (settings.getWarnOverwriting(), settings.getWarnDeleting(),
                            settings.getShowTooltips(), settings.getAutoUpdate(), settings.getGuiLangId(),
                            settings.getValue ("SkipThisVersion", {}).toString());
        const int language = settings.getGuiLangIndex();
        check (language >= 0 && language < common::AppSettings::getLanguageTable().size(),
               "the language index is outside the table");

        // A change makes the destructor write the file, over a damaged one only once it went aside.
        settings.setShowTooltips (!settings.getShowTooltips());
    }

    check (common::SafeJson::parse (file.loadFileAsString()).getDynamicObject() != nullptr,
           "the settings store left a file it cannot read");
}

void readCryptoFile (const juce::File& scratch, const uint8_t* data, size_t size)
{
    if (size < 1)
        return;

    // The first byte picks the size to trim to, in records of about 64 bytes.
    const auto maxBytes = (juce::int64)data[0] * 64;
    const auto file = writeInput (scratch.getChildFile ("records.bin"), data + 1, size - 1);
    const auto total = file.getSize();
    auto* crypto = common::CryptoFile::getInstance();

    juce::ignoreUnused (crypto->readJsonFile (file));

    if (auto records = crypto->readJsonRecords (file))
    {
        check (records->consumed >= 0 && records->consumed <= total, "records consumed beyond the file");
        // The text goes to the server as it is; only valid UTF-8 can be looked at as JSON.
        const auto* text = static_cast<const char*> (records->text.getData());
        const auto length = (int)records->text.getSize();

        if (juce::CharPointer_UTF8::isValidString (text, length))
            juce::ignoreUnused (common::SafeJson::parse ("[" + juce::String::fromUTF8 (text, length) + "]"));
    }

    const auto dropped = crypto->dropOldestRecords (file, maxBytes);
    check (dropped >= 0 && dropped <= total, "more records dropped than the file holds");
    check (file.getSize() == total - dropped, "dropping records lost or kept the wrong bytes");
    check (total <= maxBytes || file.getSize() <= maxBytes, "dropping records left the file above its size");
}

void parseUpdateInfo (const juce::File& scratch, const uint8_t* data, size_t size)
{
    // Read as the updater reads a local document, through the same conversion as a server's.
    const auto file = writeInput (scratch.getChildFile ("update-info.json"), data, size);
    const auto text = common::updater::WebRequest::readText (juce::URL (file), 1000, 1 << 20, nullptr);

    if (!text.has_value())
        return;

    if (const auto info = common::updater::UpdateInfo::parse (*text))
    {
        check (info->version.isNotEmpty(), "an offer without a version");
        check (!common::updater::UpdateInfo::compareVersions (info->version, info->version),
               "a version is newer than itself");
        juce::ignoreUnused (common::updater::UpdateInfo::compareVersions (info->version, "1.0.0.0001"),
                            common::updater::UpdateInfo::compareVersions ("1.0.0.0001", info->version));
    }
}

void readMountTable (const juce::File& scratch, const uint8_t* data, size_t size)
{
    for (const auto& entry :
         common::RemovableVolumeListLinux::parseMountInfo (std::string ((const char*)data, size)))
        check (entry.deviceNumber.containsChar (':'), "a mount entry without a device number");

    const auto root = scratch.getChildFile ("root");
    writeInput (root.getChildFile ("proc/self/mountinfo"), data, size);
    common::RemovableVolumeListLinux volumes (root, 0);
    juce::ignoreUnused (volumes.findVolumes());
}

// The stores' reports of damaged files would only slow the run down.
struct QuietLogger : juce::Logger
{
    void logMessage (const juce::String&) override {}
};

void drainMessages()
{
    for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // The program's own folders (settings, temporary copies) go below the scratch folder, never to
    // the real user's.
    const auto home = places().scratch.getChildFile ("home");
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    setenv ("XDG_DATA_HOME", home.getChildFile (".local/share").getFullPathName().toRawUTF8(), 1);
    setenv ("XDG_CONFIG_HOME", home.getChildFile (".config").getFullPathName().toRawUTF8(), 1);
    setenv ("XDG_CACHE_HOME", home.getChildFile (".cache").getFullPathName().toRawUTF8(), 1);

    juce::MessageManager::getInstance();
    static QuietLogger quiet;
    juce::Logger::setCurrentLogger (&quiet);

    if (std::freopen ("/dev/null", "w", stdout) == nullptr)
        return 0;

    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;

    const auto& p = places();
    p.scratch.deleteRecursively();
    p.scratch.createDirectory();

    const auto* body = data + 1;
    const auto bodySize = size - 1;
    const auto path = (Path)(data[0] % datafuzz::numPaths);
    pathInUse = datafuzz::pathNames[path];

    switch (path)
    {
        case datafuzz::model:
            loadModel (p.scratch, body, bodySize);
            break;
        case datafuzz::collection:
            loadCollection (p.scratch, body, bodySize);
            break;
        case datafuzz::unitSettings:
            importUnit (p.scratch, body, bodySize);
            break;
        case datafuzz::backup:
            restoreBackup (p.scratch, body, bodySize);
            break;
        case datafuzz::settings:
            readSettings (p.scratch, body, bodySize);
            break;
        case datafuzz::cryptoFile:
            readCryptoFile (p.scratch, body, bodySize);
            break;
        case datafuzz::updateInfo:
            parseUpdateInfo (p.scratch, body, bodySize);
            break;
        default:
            readMountTable (p.scratch, body, bodySize);
            break;
    }

    drainMessages();
    checkSurroundings();
    p.scratch.deleteRecursively();
    return 0;
}
