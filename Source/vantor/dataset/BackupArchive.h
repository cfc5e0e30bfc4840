#pragma once

#include "vantor/dataset/ErrorKind.h"
#include "vantor/dataset/FileSwap.h"
#include "vantor/dataset/JobProgress.h"

#include <zip.h>

namespace vantor::dataset
{
class WyxModel;
class WyxBankCollection;

/** The backup of the whole data set as one zip file, and its restore.

    The archive holds "model.json" of the model folder, the model's WAVs in BANK and SLOT order,
    "bankcollection.json" and the collection's WAVs in collection order, each named by its path
    below the data folder with "\" between the parts and deflated at level 9. It is written with
    libzip, which streams every entry from its file and switches to ZIP64 where sizes need it:
    archives of several GiB and single entries of hundreds of MB are ordinary.

    Threads: collectEntries reads the model and the collection and so runs on the message thread;
    write and restore touch files only and run on the worker thread of the progress window. */
class BackupArchive
{
public:
    struct Entry
    {
        juce::File file;
        juce::String name; // "\" separators
    };

    /** The files to archive, in archive order. "notfound" when the model file, the collection
        file or a SLOT's WAV is missing (or is no file). */
    static ErrorKind collectEntries (const WyxModel& model, const WyxBankCollection& collection,
                                     const juce::File& dataFolder, juce::Array<Entry>& entries);

    /** Writes the entries into a temporary file ".glorvak-tmp" beside the zip file, reads the result back to
        check it, syncs it to disk and only then renames it over the zip file. Empty, "copy" or
        "cancelled"; on failure the zip file is as it was and no temporary file is left. With a
        data folder, a note there names the temporary file while it exists, so that the next start
        removes it after a crash. */
    static ErrorKind write (const juce::Array<Entry>& entries, const juce::File& zipFile,
                            JobProgress* progress, const juce::File& dataFolder = {});

    /** Replaces the folders "model" and "bankcollection" of the data folder by those of the
        archive. Everything is extracted into a temporary folder ".glorvak-tmp" in the data folder and both
        JSON files are read before anything is replaced; the live folders are moved aside and come
        back when the replacement fails. Empty, "invalidformat" (no zip, a truncated one, a JSON
        file missing or unreadable, two entries that name one file with "/" and "\"), "copy" (a refused or
       damaged entry, no room, a failed move) or "cancelled"; in every case but success the data folder is as
       it was. */
    static ErrorKind restore (const juce::File& zipFile, const juce::File& dataFolder, JobProgress* progress,
                              FileSwap::Mover mover = {});

    /** Extracts entry index below the target folder. Empty on success, else why not. Refuses names
        that would leave the folder (absolute, a drive letter, a ".." step), link entries, a path
        through a link, and data whose size or checksum differs from the archive's record. */
    static juce::String extractZipEntry (zip_t* archive, zip_int64_t index, const juce::File& targetFolder);

    /** The parts of an entry name, split at "/" and "\"; empty when the name is absolute, starts
        with a drive letter or holds a ".." part (or nothing but separators and "." parts). */
    static juce::StringArray splitEntryName (const juce::String& name);

    /** True when folder, or a folder between it and root (root not included), is a link. */
    static bool leadsThroughLink (const juce::File& root, const juce::File& folder);

    static constexpr int compressionLevel = 9;

private:
    BackupArchive() = delete;
};
} // namespace vantor::dataset
