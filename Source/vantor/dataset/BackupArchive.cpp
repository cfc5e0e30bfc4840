#include "vantor/dataset/BackupArchive.h"

#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/DiskSync.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/Leftovers.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/TemporaryItem.h"
#include "vantor/dataset/WyxBankCollection.h"
#include "vantor/dataset/WyxModel.h"

#include <limits>
#include <memory>
#include <set>

namespace vantor::dataset
{
namespace
{
struct ArchiveDiscarder
{
    void operator() (zip_t* archive) const { zip_discard (archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscarder>;

struct EntryCloser
{
    void operator() (zip_file_t* entry) const { zip_fclose (entry); }
};
using EntryPtr = std::unique_ptr<zip_file_t, EntryCloser>;

juce::File modelFileIn (const juce::File& dataFolder)
{
    return dataFolder.getChildFile (modelkeys::folderName).getChildFile (modelkeys::fileName);
}

juce::File collectionFileIn (const juce::File& dataFolder)
{
    return dataFolder.getChildFile (collectionkeys::folderName).getChildFile (collectionkeys::fileName);
}

ArchivePtr openForReading (const juce::File& zipFile)
{
    int error = 0;
    // The consistency check compares every local header with the central directory: a truncated
    // or patched archive is refused here, before anything is extracted.
    return ArchivePtr (zip_open (zipFile.getFullPathName().toRawUTF8(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
}

// A Unix symbolic link, or a Windows reparse point recorded in the DOS attribute byte.
bool isLinkEntry (zip_uint8_t opsys, zip_uint32_t attributes)
{
    if (opsys == ZIP_OPSYS_UNIX)
        return ((attributes >> 16) & 0170000u) == 0120000u;

    constexpr zip_uint32_t reparsePoint = 0x400u;
    return (opsys == ZIP_OPSYS_DOS || opsys == ZIP_OPSYS_WINDOWS_NTFS) && (attributes & reparsePoint) != 0;
}

// While the archive is written beside its target, a note in the data folder names it, so that
// the next start removes it when the program dies before the end.
class OutsideTemporaryRecord
{
public:
    OutsideTemporaryRecord (const juce::File& dataFolderToUse, const juce::File& temporary)
        : dataFolder (dataFolderToUse)
    {
        if (dataFolder != juce::File())
            Leftovers::recordOutsideTemporary (dataFolder, temporary);
    }

    ~OutsideTemporaryRecord()
    {
        if (dataFolder != juce::File())
            Leftovers::forgetOutsideTemporary (dataFolder);
    }

private:
    const juce::File dataFolder;

    JUCE_DECLARE_NON_COPYABLE (OutsideTemporaryRecord)
};

juce::String entryNameOf (const juce::File& file, const juce::File& dataFolder)
{
    if (!file.isAChildOf (dataFolder))
        return {};

    return file.getRelativePathFrom (dataFolder).replaceCharacter ('/', '\\');
}

juce::String normalisedPath (const juce::String& entryName)
{
    return BackupArchive::splitEntryName (entryName).joinIntoString ("/").toLowerCase();
}
} // namespace

//==============================================================================
ErrorKind BackupArchive::collectEntries (const WyxModel& model, const WyxBankCollection& collection,
                                         const juce::File& dataFolder, juce::Array<Entry>& entries)
{
    entries.clear();

    const auto add = [&] (const juce::File& file)
    {
        const auto name = entryNameOf (file, dataFolder);

        if (!file.existsAsFile() || name.isEmpty())
            return false;

        // Two SLOTs naming one WAV (never made by the program) need it only once.
        for (const auto& entry : entries)
            if (entry.name == name)
                return true;

        entries.add ({file, name});
        return true;
    };

    const auto addSlots = [&] (const WyxBank& bank)
    {
        for (auto* slot : bank.getSlotList().slots)
            if (slot != nullptr && slot->getFile() != juce::File() && !add (slot->getFile()))
                return false;

        return true;
    };

    if (!add (modelFileIn (dataFolder)))
        return errorkind::notFound;

    for (auto* bank : model.getBankList().banks)
        if (!addSlots (*bank))
            return errorkind::notFound;

    if (!add (collectionFileIn (dataFolder)))
        return errorkind::notFound;

    for (auto* bank : collection)
        if (bank != nullptr && !addSlots (*bank))
            return errorkind::notFound;

    return {};
}

//==============================================================================
ErrorKind BackupArchive::write (const juce::Array<Entry>& entries, const juce::File& zipFile,
                                JobProgress* progress, const juce::File& dataFolder)
{
    const auto folder = zipFile.getParentDirectory();
    const TemporaryItem temp (folder);
    const OutsideTemporaryRecord record (dataFolder, temp.get());

    if (JobProgress::shouldStop (progress))
        return errorkind::cancelled;

    int error = 0;
    ArchivePtr archive (zip_open (temp.get().getFullPathName().toRawUTF8(), ZIP_CREATE | ZIP_EXCL, &error));

    if (archive == nullptr)
        return errorkind::copy;

    for (const auto& entry : entries)
    {
        auto* source = zip_source_file (archive.get(), entry.file.getFullPathName().toRawUTF8(), 0, -1);

        if (source == nullptr)
            return errorkind::copy;

        const auto index = zip_file_add (archive.get(), entry.name.toRawUTF8(), source, ZIP_FL_ENC_UTF_8);

        if (index < 0)
        {
            zip_source_free (source);
            return errorkind::copy;
        }

        if (zip_set_file_compression (archive.get(), (zip_uint64_t)index, ZIP_CM_DEFLATE, compressionLevel) !=
            0)
            return errorkind::copy;
    }

    // libzip reports the share of the input read so far. The bar is full once half of the data
    // has gone through, as it always was.
    zip_register_progress_callback_with_state (
        archive.get(), 0.005,
        [] (zip_t*, double done, void* state)
        { JobProgress::report (static_cast<JobProgress*> (state), done * 2.0); },
        nullptr, progress);
    zip_register_cancel_callback_with_state (
        archive.get(),
        [] (zip_t*, void* state)
        { return JobProgress::shouldStop (static_cast<JobProgress*> (state)) ? 1 : 0; },
        nullptr, progress);

    if (zip_close (archive.get()) != 0)
    {
        const bool cancelled = zip_error_code_zip (zip_get_error (archive.get())) == ZIP_ER_CANCELLED;
        return cancelled ? errorkind::cancelled : errorkind::copy;
    }

    archive.release(); // closed

    // Read back what was written before it may replace a good archive.
    {
        auto check = openForReading (temp.get());

        if (check == nullptr || zip_get_num_entries (check.get(), 0) != (zip_int64_t)entries.size())
            return errorkind::copy;
    }

    if (!DiskSync::item (temp.get()))
        return errorkind::copy;

    if (JobProgress::shouldStop (progress))
        return errorkind::cancelled;

    JobProgress::report (progress, 1.0);

    // There is no moment without a complete archive.
    if (!FileSwap::replaceInOneStep (temp.get(), zipFile))
        return errorkind::copy;

    return {};
}

//==============================================================================
juce::StringArray BackupArchive::splitEntryName (const juce::String& name)
{
    if (name.startsWithChar ('/') || name.startsWithChar ('\\'))
        return {};

    juce::StringArray parts;

    for (const auto& part : juce::StringArray::fromTokens (name, "/\\", ""))
    {
        if (part.isEmpty() || part == ".")
            continue;

        // ".." climbs out; a ':' is a drive letter or a Windows stream name, never one of ours.
        if (part == ".." || part.containsChar (':'))
            return {};

        parts.add (part);
    }

    return parts;
}

bool BackupArchive::leadsThroughLink (const juce::File& root, const juce::File& folder)
{
    for (auto current = folder; current != root;)
    {
        if (current.isSymbolicLink())
            return true;

        const auto parent = current.getParentDirectory();

        if (parent == current)
            break;

        current = parent;
    }

    return false;
}

juce::String BackupArchive::extractZipEntry (zip_t* archive, zip_int64_t index,
                                             const juce::File& targetFolder)
{
    const auto* rawName = zip_get_name (archive, (zip_uint64_t)index, ZIP_FL_ENC_GUESS);

    if (rawName == nullptr)
        return "Failed to open the zip file for reading";

    const auto name = juce::String::fromUTF8 (rawName);

    if (name.isEmpty())
        return {};

    const auto parts = splitEntryName (name);
    auto target = targetFolder;

    for (const auto& part : parts)
        target = getBareChildFile (target, part);

    if (parts.isEmpty() || !target.isAChildOf (targetFolder))
        return "Entry " + name + " is outside the target directory";

    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;

    if (zip_file_get_external_attributes (archive, (zip_uint64_t)index, 0, &opsys, &attributes) == 0 &&
        isLinkEntry (opsys, attributes))
        return "Entry " + name + " is a link";

    if (leadsThroughLink (targetFolder, target.getParentDirectory()))
        return "Parent directory leads through symlink for target file: " + target.getFullPathName();

    if (name.endsWithChar ('/') || name.endsWithChar ('\\'))
        return target.createDirectory().getErrorMessage();

    zip_stat_t stat;
    zip_stat_init (&stat);

    if (zip_stat_index (archive, (zip_uint64_t)index, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0)
        return "Failed to open the zip file for reading";

    EntryPtr entry (zip_fopen_index (archive, (zip_uint64_t)index, 0));

    if (entry == nullptr)
        return "Failed to open the zip file for reading";

    if (target.exists() && !target.deleteFile())
        return "Failed to write to target file: " + target.getFullPathName();

    const auto parent = target.getParentDirectory();

    if (!parent.isDirectory() && parent.createDirectory().failed())
        return "Failed to create target folder: " + parent.getFullPathName();

    juce::String failure;
    zip_uint64_t written = 0;

    {
        juce::FileOutputStream out (target, 16384);

        if (!out.openedOk())
            return "Failed to write to target file: " + target.getFullPathName();

        constexpr int chunk = 65536;
        juce::HeapBlock<char> buffer (chunk);

        for (;;)
        {
            // libzip checks the CRC and the length when the data ends: a damaged entry reads as
            // an error here instead of as a short file.
            const auto count = zip_fread (entry.get(), buffer.get(), chunk);

            if (count < 0)
            {
                failure = "Entry " + name + " is damaged";
                break;
            }

            if (count == 0)
                break;

            written += (zip_uint64_t)count;

            if (written > stat.size)
            {
                failure = "Entry " + name + " is longer than recorded";
                break;
            }

            if (!out.write (buffer.get(), (size_t)count))
            {
                failure = "write";
                break;
            }
        }

        out.flush();

        if (failure.isEmpty() && out.getStatus().failed())
            failure = "write";
    }

    if (failure.isEmpty() && written != stat.size)
        failure = "Entry " + name + " is shorter than recorded";

    if (failure.isNotEmpty())
    {
        target.deleteFile();
        return failure;
    }

    if ((stat.valid & ZIP_STAT_MTIME) != 0)
    {
        const juce::Time time ((juce::int64)stat.mtime * 1000);
        target.setLastModificationTime (time);
        target.setLastAccessTime (time);
    }

    return {};
}

//==============================================================================
ErrorKind BackupArchive::restore (const juce::File& zipFile, const juce::File& dataFolder,
                                  JobProgress* progress, FileSwap::Mover mover)
{
    const TemporaryItem temp (dataFolder);

    auto archive = zipFile.existsAsFile() ? openForReading (zipFile) : nullptr;

    if (archive == nullptr)
        return errorkind::invalidFormat;

    const auto count = zip_get_num_entries (archive.get(), 0);
    std::set<juce::String> seenPaths;
    const auto modelPath = juce::String (modelkeys::folderName) + "/" + modelkeys::fileName;
    const auto collectionPath = juce::String (collectionkeys::folderName) + "/" + collectionkeys::fileName;
    bool hasModel = false, hasCollection = false;
    constexpr auto maxTotal = (juce::uint64)std::numeric_limits<juce::int64>::max();
    juce::uint64 totalSize = 0;

    for (zip_int64_t i = 0; i < count; ++i)
    {
        if (const auto* rawName = zip_get_name (archive.get(), (zip_uint64_t)i, ZIP_FL_ENC_GUESS))
        {
            const auto name = juce::String::fromUTF8 (rawName);

            // "model/model.json" and "model\model.json" are one file here: with both in the
            // archive, which one wins would be an accident of the order.
            if (!seenPaths.insert (BackupArchive::splitEntryName (name).joinIntoString ("/")).second)
                return errorkind::invalidFormat;

            const auto path = normalisedPath (name);
            hasModel = hasModel || path == modelPath;
            hasCollection = hasCollection || path == collectionPath;
        }

        zip_stat_t stat;
        zip_stat_init (&stat);

        // Recorded sizes are the archive's word only: a sum that wrapped round would let a zip
        // bomb past the check below.
        if (zip_stat_index (archive.get(), (zip_uint64_t)i, 0, &stat) == 0 &&
            (stat.valid & ZIP_STAT_SIZE) != 0)
            totalSize = stat.size > maxTotal - totalSize ? maxTotal : totalSize + stat.size;
    }

    if (!hasModel || !hasCollection)
        return errorkind::invalidFormat;

    // The old folders stay until the new ones are complete: both must fit at once.
    if ((juce::int64)totalSize > dataFolder.getBytesFreeOnVolume())
        return errorkind::copy;

    if (!temp.get().createDirectory())
        return errorkind::copy;

    for (zip_int64_t i = 0; i < count; ++i)
    {
        if (JobProgress::shouldStop (progress))
            return errorkind::cancelled;

        JobProgress::report (progress, (double)i / (double)count);

        if (extractZipEntry (archive.get(), i, temp.get()).isNotEmpty())
            return errorkind::copy;
    }

    if (JobProgress::shouldStop (progress))
        return errorkind::cancelled;

    JobProgress::report (progress, 1.0);

    const auto newModel = temp.get().getChildFile (modelkeys::folderName);
    const auto newCollection = temp.get().getChildFile (collectionkeys::folderName);

    // Both files must be understood before the live data goes: a restore that would start the
    // program with an empty model is no restore.
    if (JsonFileStore::read (modelFileIn (temp.get()), modelkeys::bank).status !=
            JsonFileStore::ReadStatus::ok ||
        JsonFileStore::read (collectionFileIn (temp.get()), collectionkeys::bankCollection).status !=
            JsonFileStore::ReadStatus::ok)
        return errorkind::invalidFormat;

    const auto aside = temp.get().getNonexistentChildFile ("previous", {}, true);
    const auto liveModel = dataFolder.getChildFile (modelkeys::folderName);
    const auto liveCollection = dataFolder.getChildFile (collectionkeys::folderName);

    FileSwap swap (std::move (mover));
    swap.setJournalFolder (dataFolder);
    swap.setAside (liveModel, aside.getChildFile (modelkeys::folderName));
    swap.setAside (liveCollection, aside.getChildFile (collectionkeys::folderName));
    swap.install (newModel, liveModel);
    swap.install (newCollection, liveCollection);

    if (!swap.commit())
        return errorkind::copy;

    return {};
}
} // namespace vantor::dataset
