#include "vantor/dataset/BackupArchive.h"

#include "support/WholeSetFixtures.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"

namespace
{
using namespace vantor::dataset;
using namespace glorvak::test;

// A data folder with a model of three SLOTs (one BANK apart, one name with a counter) and a
// collection of two BANKs.
struct DataFolder
{
    explicit DataFolder (const juce::File& folder)
        : folder (folder)
    {
        writeModelFolder (folder,
                          {{0, 0, "Kick.wav", 1200, 0, -1, "Kick", 12000, -3.0, false, true},
                           {0, 3, "Kick(2).wav", 2400, 100, 2000, "Loop", 9000, 2.5, true},
                           {2, 1, "Snare.wav", 900}},
                          4);
        writeCollectionFolder (folder, 2, {{0, 2, "Hat.wav", 700}, {1, 0, "Clap.wav", 1500, 10, 1400}});
    }

    void load (WyxModelImpl& model, WyxBankCollectionImpl& collection) const
    {
        loadFrom (folder, model, collection);
    }

    // The model and the collection as the program holds them.
    static void loadFrom (const juce::File& dataFolder, WyxModelImpl& model,
                          WyxBankCollectionImpl& collection)
    {
        model.load (dataFolder.getChildFile ("model/model.json"));
        collection.load (dataFolder.getChildFile ("bankcollection/bankcollection.json"));
    }

    juce::File folder;
};

ErrorKind backUp (const juce::File& dataFolder, const juce::File& zipFile, JobProgress* progress = nullptr)
{
    WyxModelImpl model;
    WyxBankCollectionImpl collection;
    DataFolder::loadFrom (dataFolder, model, collection);
    juce::Array<BackupArchive::Entry> entries;
    const auto collected = BackupArchive::collectEntries (model, collection, dataFolder, entries);
    return collected.isNotEmpty() ? collected : BackupArchive::write (entries, zipFile, progress);
}

struct ZipEntrySpec
{
    juce::String name;
    juce::String data;
    bool link = false;
};

void makeZip (const juce::File& file, const std::vector<ZipEntrySpec>& entries)
{
    file.deleteFile();
    int error = 0;
    auto* archive = zip_open (file.getFullPathName().toRawUTF8(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE (archive, nullptr);

    std::vector<std::string> contents; // libzip reads them at zip_close
    contents.reserve (entries.size());

    for (const auto& entry : entries)
    {
        contents.push_back (entry.data.toStdString());
        auto* source = zip_source_buffer (archive, contents.back().data(), contents.back().size(), 0);
        const auto index = zip_file_add (archive, entry.name.toRawUTF8(), source, ZIP_FL_ENC_UTF_8);
        ASSERT_GE (index, 0) << entry.name;
        zip_set_file_compression (archive, (zip_uint64_t)index, ZIP_CM_STORE, 0);

        if (entry.link)
            zip_file_set_external_attributes (archive, (zip_uint64_t)index, 0, ZIP_OPSYS_UNIX,
                                              0120777u << 16);
    }

    ASSERT_EQ (zip_close (archive), 0);
}

const juce::String goodModel = R"({"favorite": 0, "bank": []})";
const juce::String goodCollection = R"({"bankcollection": []})";

struct ReadEntry
{
    juce::String name;
    zip_uint16_t method;
    zip_uint16_t flags;
    juce::MemoryBlock data;
};

// The archive as libzip reads it, with the general-purpose flags of each local header.
std::vector<ReadEntry> readArchive (const juce::File& zipFile)
{
    std::vector<ReadEntry> result;
    int error = 0;
    auto* archive = zip_open (zipFile.getFullPathName().toRawUTF8(), ZIP_RDONLY | ZIP_CHECKCONS, &error);

    if (archive == nullptr)
        return result;

    juce::MemoryBlock bytes;
    zipFile.loadFileAsData (bytes);

    for (zip_int64_t i = 0; i < zip_get_num_entries (archive, 0); ++i)
    {
        zip_stat_t stat;
        zip_stat_index (archive, (zip_uint64_t)i, 0, &stat);
        ReadEntry entry{juce::String::fromUTF8 (stat.name), stat.comp_method, 0, {}};

        // The local header's flags sit 6 bytes into it; its offset is found by its name.
        const auto* raw = static_cast<const char*> (bytes.getData());
        const std::string name (stat.name);
        for (size_t at = 0; at + 30 + name.size() <= bytes.getSize(); ++at)
            if (memcmp (raw + at, "PK\3\4", 4) == 0 && memcmp (raw + at + 30, name.data(), name.size()) == 0)
            {
                entry.flags = (zip_uint16_t)((unsigned char)raw[at + 6] | ((unsigned char)raw[at + 7] << 8));
                break;
            }

        auto* file = zip_fopen_index (archive, (zip_uint64_t)i, 0);
        char buffer[8192];
        zip_int64_t count;

        while ((count = zip_fread (file, buffer, sizeof (buffer))) > 0)
            entry.data.append (buffer, (size_t)count);

        zip_fclose (file);
        result.push_back (entry);
    }

    zip_discard (archive);
    return result;
}

//==============================================================================
TEST (BackupArchive, EntriesComeInModelThenCollectionOrderWithBackslashNamesAtLevelNine)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto zipFile = scratch.child ("out/backup.zip");
    zipFile.getParentDirectory().createDirectory();

    ASSERT_EQ (backUp (data.folder, zipFile), "");

    const auto entries = readArchive (zipFile);
    std::vector<juce::String> names;

    for (const auto& entry : entries)
    {
        names.push_back (entry.name);
        EXPECT_EQ (entry.method, ZIP_CM_DEFLATE) << entry.name;
        // Deflate's option bits: 01 in bits 1-2 is "maximum compression", level 9.
        EXPECT_EQ ((entry.flags >> 1) & 3, 1) << entry.name;

        juce::MemoryBlock original;
        data.folder.getChildFile (entry.name.replaceCharacter ('\\', '/')).loadFileAsData (original);
        EXPECT_EQ (entry.data, original) << entry.name;
    }

    EXPECT_EQ (names, (std::vector<juce::String>{
                          "model\\model.json", "model\\samples\\Kick.wav", "model\\samples\\Kick(2).wav",
                          "model\\samples\\Snare.wav", "bankcollection\\bankcollection.json",
                          "bankcollection\\samples\\Hat.wav", "bankcollection\\samples\\Clap.wav"}));
    EXPECT_EQ (scratch.child ("out").getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST (BackupArchive, RestoreIntoAnEmptyDataFolderGivesTheSameModelAndCollectionSampleForSample)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto zipFile = scratch.child ("backup.zip");
    ASSERT_EQ (backUp (data.folder, zipFile), "");

    const auto empty = scratch.child ("empty");
    empty.createDirectory();
    ASSERT_EQ (BackupArchive::restore (zipFile, empty, nullptr), "");

    WyxModelImpl originalModel, restoredModel;
    WyxBankCollectionImpl originalCollection, restoredCollection;
    data.load (originalModel, originalCollection);
    DataFolder::loadFrom (empty, restoredModel, restoredCollection);

    EXPECT_EQ (juce::JSON::toString (restoredModel.toVar()), juce::JSON::toString (originalModel.toVar()));
    ASSERT_EQ (restoredCollection.size(), originalCollection.size());

    const auto compareBanks = [] (const WyxBank& a, const WyxBank& b)
    {
        EXPECT_EQ (a.getName(), b.getName());

        for (int s = 0; s < 4; ++s)
        {
            const auto* x = a.getSlotList()[s];
            const auto* y = b.getSlotList()[s];
            EXPECT_EQ (x->getName(), y->getName());
            EXPECT_EQ (x->getRange(), y->getRange());
            EXPECT_EQ (x->getFile().getFileName(), y->getFile().getFileName());
            if (x->getFile() != juce::File())
            {
                EXPECT_NE (x->getFile(), y->getFile());
                EXPECT_TRUE (sameFrames (readFrames (x->getFile()), readFrames (y->getFile())));
            }
        }
    };

    for (int b = 0; b < 15; ++b)
        compareBanks (*originalModel.getBankList()[b], *restoredModel.getBankList()[b]);

    for (int b = 0; b < originalCollection.size(); ++b)
        compareBanks (*originalCollection.getBank (b), *restoredCollection.getBank (b));

    EXPECT_EQ (pathsOf (snapshotOf (empty)), pathsOf (snapshotOf (data.folder)));
    EXPECT_EQ (snapshotOf (empty), snapshotOf (data.folder));
}

//==============================================================================
// Archives that must never change the data folder.
enum class Damage
{
    none,
    truncate,     // the file ends early
    corruptEntry, // a byte of a stored entry's data is changed, its checksum is not
};

struct HostileCase
{
    const char* what;
    std::vector<ZipEntrySpec> entries;
    Damage damage;
    const char* expected;
};

std::vector<HostileCase> hostileCases()
{
    const ZipEntrySpec model{"model\\model.json", goodModel};
    const ZipEntrySpec collection{"bankcollection/bankcollection.json", goodCollection};

    return {
        {"parent step out of the data folder",
         {model, collection, {"model/../../evil.txt", "x"}},
         Damage::none,
         "copy"},
        {"parent step with backslashes",
         {model, collection, {"..\\..\\evil.txt", "x"}},
         Damage::none,
         "copy"},
        {"absolute name", {model, collection, {"/tmp/glorvak-evil.txt", "x"}}, Damage::none, "copy"},
        {"absolute backslash name", {model, collection, {"\\evil.txt", "x"}}, Damage::none, "copy"},
        {"drive letter", {model, collection, {"C:\\evil.txt", "x"}}, Damage::none, "copy"},
        {"link entry",
         {model, collection, {"model/samples/link.wav", "/etc/passwd", true}},
         Damage::none,
         "copy"},
        {"truncated file",
         {model, collection, {"model/samples/a.wav", "sample data"}},
         Damage::truncate,
         "invalidformat"},
        {"corrupt entry",
         {model, collection, {"model/samples/a.wav", "CORRUPTME sample data"}},
         Damage::corruptEntry,
         "copy"},
        {"no collection file",
         {model, {"bankcollection/other.json", goodCollection}},
         Damage::none,
         "invalidformat"},
        {"no model file", {collection, {"model/samples/a.wav", "x"}}, Damage::none, "invalidformat"},
        {"model file is no JSON object",
         {{"model\\model.json", "not json {"}, collection},
         Damage::none,
         "invalidformat"},
        {"model file without its BANK array",
         {{"model\\model.json", R"({"favorite": 1})"}, collection},
         Damage::none,
         "invalidformat"},
        {"collection file is no JSON",
         {model, {"bankcollection\\bankcollection.json", "[]"}},
         Damage::none,
         "invalidformat"},
        // Which of the two would win is an accident of the order: neither does.
        {"the model file twice, with \\ and with /",
         {model, collection, {"model/model.json", R"({"favorite": 3, "bank": []})"}},
         Damage::none,
         "invalidformat"},
        {"a sample twice, with / and with \\",
         {model, collection, {"model/samples/a.wav", "one"}, {"model\\samples\\a.wav", "two"}},
         Damage::none,
         "invalidformat"},
    };
}

void damage (const juce::File& zipFile, Damage how)
{
    juce::MemoryBlock bytes;
    zipFile.loadFileAsData (bytes);

    if (how == Damage::truncate)
        bytes.setSize (bytes.getSize() - 30);

    if (how == Damage::corruptEntry)
    {
        auto* raw = static_cast<char*> (bytes.getData());
        auto* found = std::search (raw, raw + bytes.getSize(), "CORRUPTME", "CORRUPTME" + 9);
        ASSERT_NE (found, raw + bytes.getSize());
        found[0] = 'X';
    }

    zipFile.replaceWithData (bytes.getData(), bytes.getSize());
}

TEST (BackupArchiveRestore, HostileOrDamagedArchivesAreRefusedWithTheDataUntouched)
{
    for (const auto& hostile : hostileCases())
    {
        SCOPED_TRACE (hostile.what);
        ScratchFolder scratch;
        const DataFolder data (scratch.child ("data"));
        const auto zipFile = scratch.child ("hostile.zip");
        makeZip (zipFile, hostile.entries);
        damage (zipFile, hostile.damage);
        const auto before = snapshotOf (scratch.get());

        EXPECT_EQ (BackupArchive::restore (zipFile, data.folder, nullptr), hostile.expected);
        EXPECT_EQ (snapshotOf (scratch.get()), before);
        EXPECT_FALSE (juce::File ("/tmp/glorvak-evil.txt").exists());
    }
}

juce::uint32 crc32Of (const juce::String& text)
{
    juce::uint32 crc = 0xffffffffu;

    for (const auto byte : text.toStdString())
    {
        crc ^= (juce::uint8)byte;

        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }

    return ~crc;
}

// A zip64 archive of stored entries whose recorded uncompressed sizes are given: libzip cannot
// write a size its data does not have, so the bytes are laid out here.
void makeZip64 (const juce::File& file, const std::vector<std::pair<ZipEntrySpec, juce::uint64>>& entries)
{
    juce::MemoryOutputStream out, directory;

    for (const auto& [entry, recordedSize] : entries)
    {
        const auto name = entry.name.toStdString();
        const auto data = entry.data.toStdString();
        const auto offset = (juce::uint64)out.getPosition();
        const auto crc = crc32Of (entry.data);

        out.writeInt (0x04034b50);
        for (const int value : {45, 0x0800, 0, 0, 0x21})
            out.writeShort ((short)value);
        out.writeInt ((int)crc);
        out.writeInt (-1);
        out.writeInt (-1);
        out.writeShort ((short)name.size());
        out.writeShort (20);
        out.write (name.data(), name.size());
        out.writeShort (1);
        out.writeShort (16);
        out.writeInt64 ((juce::int64)recordedSize);
        out.writeInt64 ((juce::int64)data.size());
        out.write (data.data(), data.size());

        directory.writeInt (0x02014b50);
        for (const int value : {45, 45, 0x0800, 0, 0, 0x21})
            directory.writeShort ((short)value);
        directory.writeInt ((int)crc);
        directory.writeInt (-1);
        directory.writeInt (-1);
        for (const int value : {(int)name.size(), 28, 0, 0, 0})
            directory.writeShort ((short)value);
        directory.writeInt (0);
        directory.writeInt (-1);
        directory.write (name.data(), name.size());
        directory.writeShort (1);
        directory.writeShort (24);
        directory.writeInt64 ((juce::int64)recordedSize);
        directory.writeInt64 ((juce::int64)data.size());
        directory.writeInt64 ((juce::int64)offset);
    }

    const auto directoryOffset = out.getPosition();
    out << directory.getMemoryBlock();
    out.writeInt (0x06054b50);
    for (const int value : {0, 0, (int)entries.size(), (int)entries.size()})
        out.writeShort ((short)value);
    out.writeInt ((int)directory.getDataSize());
    out.writeInt ((int)directoryOffset);
    out.writeShort (0);

    ASSERT_TRUE (file.replaceWithData (out.getData(), out.getDataSize()));
}

// A zip bomb's recorded sizes must not add up to less than they are: the restore refuses what
// cannot fit before it extracts anything.
TEST (BackupArchiveRestore, RecordedSizesBeyondTheFreeSpaceAreRefusedBeforeExtracting)
{
    const ZipEntrySpec model{"model/model.json", goodModel};
    const ZipEntrySpec collection{"bankcollection/bankcollection.json", goodCollection};
    const ZipEntrySpec big{"model/samples/big.wav", "x"};
    const ZipEntrySpec other{"model/samples/other.wav", "y"};
    const auto small = [] (const ZipEntrySpec& entry)
    { return std::make_pair (entry, (juce::uint64)entry.data.length()); };

    const std::pair<const char*, std::vector<std::pair<ZipEntrySpec, juce::uint64>>> cases[] = {
        {"readable", {small (model), small (collection)}},
        {"two halves past the signed range",
         {small (model), small (collection), {big, 0x4000000000000001ull}, {other, 0x4000000000000001ull}}},
        {"a sum that wraps to almost nothing",
         {small (model),
          small (collection),
          {big, 0x7fffffffffffffffull},
          {other, 0x7fffffffffffffffull},
          {{"model/samples/third.wav", "z"}, 0x0000000000000004ull}}},
    };

    for (const auto& [what, entries] : cases)
    {
        SCOPED_TRACE (what);
        ScratchFolder scratch;
        const DataFolder data (scratch.child ("data"));
        const auto zipFile = scratch.child ("crafted.zip");
        makeZip64 (zipFile, entries);
        const auto before = snapshotOf (scratch.get());
        CountingProgress progress;

        if (entries.size() == 2)
        {
            EXPECT_EQ (BackupArchive::restore (zipFile, data.folder, &progress), "")
                << "the layout is a valid archive";
            continue;
        }

        EXPECT_EQ (BackupArchive::restore (zipFile, data.folder, &progress), "copy");
        EXPECT_EQ (progress.pollCount(), 0) << "nothing was extracted";
        EXPECT_EQ (snapshotOf (scratch.get()), before);
    }
}

TEST (BackupArchiveRestore, AMissingOrForeignFileIsNoArchive)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto before = snapshotOf (data.folder);
    scratch.child ("text.zip").replaceWithText ("PK but not really");

    EXPECT_EQ (BackupArchive::restore (scratch.child ("missing.zip"), data.folder, nullptr), "invalidformat");
    EXPECT_EQ (BackupArchive::restore (scratch.child ("text.zip"), data.folder, nullptr), "invalidformat");
    EXPECT_EQ (snapshotOf (data.folder), before);
}

TEST (BackupArchiveRestore, ForwardSlashArchivesRestoreAndStrayEntriesAreDropped)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto zipFile = scratch.child ("slashes.zip");
    makeZip (zipFile, {{"model/model.json", goodModel},
                       {"./bankcollection/bankcollection.json", goodCollection},
                       {"model/samples/", ""},
                       {"elsewhere/readme.txt", "stray"}});

    ASSERT_EQ (BackupArchive::restore (zipFile, data.folder, nullptr), "");
    EXPECT_EQ (data.folder.getChildFile ("model/model.json").loadFileAsString(), goodModel);
    EXPECT_TRUE (data.folder.getChildFile ("model/samples").isDirectory());
    EXPECT_EQ (pathsOf (snapshotOf (data.folder)),
               juce::StringArray ({"bankcollection", "bankcollection/bankcollection.json", "model",
                                   "model/model.json", "model/samples"}));
}

TEST (BackupArchiveRestore, AFailedMoveRollsBackToTheLiveFolders)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto zipFile = scratch.child ("backup.zip");
    ASSERT_EQ (backUp (data.folder, zipFile), "");
    data.folder.getChildFile ("model/model.json").replaceWithText (goodModel); // differs from the archive
    const auto before = snapshotOf (data.folder);

    // Moves: model aside, collection aside, new model in, new collection in.
    for (int failingMove = 1; failingMove <= 4; ++failingMove)
    {
        SCOPED_TRACE (failingMove);
        int moves = 0;
        const auto mover = [&] (const juce::File& from, const juce::File& to)
        { return ++moves != failingMove && FileSwap::moveWithoutOverwriting (from, to); };

        EXPECT_EQ (BackupArchive::restore (zipFile, data.folder, nullptr, mover), "copy");
        EXPECT_EQ (snapshotOf (data.folder), before);
    }
}

TEST (BackupArchiveRestore, CancelAtEveryPollLeavesTheDataAsItWas)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto zipFile = scratch.child ("backup.zip");
    ASSERT_EQ (backUp (data.folder, zipFile), "");
    data.folder.getChildFile ("model/model.json").replaceWithText (goodModel);
    const auto before = snapshotOf (data.folder);

    CountingProgress dryRun;
    {
        ScratchFolder other;
        DataFolder otherData (other.child ("data"));
        ASSERT_EQ (BackupArchive::restore (zipFile, otherData.folder, &dryRun), "");
        EXPECT_FALSE (dryRun.wentBackwards);
        EXPECT_EQ (dryRun.last(), 1.0);
    }
    ASSERT_GT (dryRun.pollCount(), 7);

    for (int poll = 1; poll <= dryRun.pollCount(); ++poll)
    {
        SCOPED_TRACE (poll);
        CountingProgress cancelling (poll);
        EXPECT_EQ (BackupArchive::restore (zipFile, data.folder, &cancelling), "cancelled");
        EXPECT_EQ (snapshotOf (data.folder), before);
    }
}

//==============================================================================
TEST (BackupArchiveWrite, AMissingSampleFailsBeforeTheOldArchiveIsTouched)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto zipFile = scratch.child ("backup.zip");
    zipFile.replaceWithText ("the old archive");
    data.folder.getChildFile ("bankcollection/samples/Clap.wav").deleteFile();

    EXPECT_EQ (backUp (data.folder, zipFile), "notfound");
    EXPECT_EQ (zipFile.loadFileAsString(), "the old archive");
}

TEST (BackupArchiveWrite, CancelAtEveryPollKeepsTheOldArchiveAndLeavesNoTemporaryFile)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto out = scratch.child ("out");
    const auto zipFile = out.getChildFile ("backup.zip");
    // The user's "tmp" and our own leftover of that name: the archive goes through ".glorvak-tmp2".
    out.getChildFile ("tmp").createDirectory();
    out.getChildFile (".glorvak-tmp").createDirectory();

    CountingProgress dryRun;
    ASSERT_EQ (backUp (data.folder, zipFile, &dryRun), "");
    EXPECT_EQ (dryRun.last(), 1.0);
    EXPECT_FALSE (dryRun.wentBackwards);
    ASSERT_GT (dryRun.pollCount(), 2);

    zipFile.replaceWithText ("the old archive");

    for (int poll = 1; poll <= dryRun.pollCount(); ++poll)
    {
        SCOPED_TRACE (poll);
        CountingProgress cancelling (poll);
        EXPECT_EQ (backUp (data.folder, zipFile, &cancelling), "cancelled");
        EXPECT_EQ (zipFile.loadFileAsString(), "the old archive");
        EXPECT_EQ (pathsOf (snapshotOf (out)), juce::StringArray ({".glorvak-tmp", "backup.zip", "tmp"}));
    }
}

TEST (BackupArchiveWrite, AnUnwritableTargetIsAFailureAndNotASuccess)
{
    ScratchFolder scratch;
    const DataFolder data (scratch.child ("data"));
    const auto zipFile = scratch.child ("backup.zip");
    zipFile.createDirectory(); // a folder cannot be replaced by the archive
    zipFile.getChildFile ("inside").replaceWithText ("kept");

    EXPECT_EQ (backUp (data.folder, zipFile), "copy");
    EXPECT_EQ (zipFile.getChildFile ("inside").loadFileAsString(), "kept");
    EXPECT_EQ (backUp (data.folder, scratch.child ("no/such/folder/backup.zip")), "copy");
    EXPECT_EQ (pathsOf (snapshotOf (scratch.get())).joinIntoString (",").contains ("tmp"), false);
}

//==============================================================================
struct NameCase
{
    const char* name;
    const char* parts; // joined by "|"; empty: refused
};

const NameCase nameCases[] = {
    {"model\\model.json", "model|model.json"},
    {"model/samples/Kick.wav", "model|samples|Kick.wav"},
    {"./model//x", "model|x"},
    {"model/../x", ""},
    {"..", ""},
    {"/etc/passwd", ""},
    {"\\\\server\\share", ""},
    {"C:/x", ""},
    {"d:x", ""},
    {"model/a:b", ""},
    {"...", "..."},
    {"./", ""},
};

TEST (BackupArchive, EntryNamesThatLeaveTheFolderAreRefused)
{
    for (const auto& c : nameCases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (BackupArchive::splitEntryName (c.name).joinIntoString ("|"), c.parts);
    }
}

TEST (BackupArchive, ExtractionNeverGoesThroughALinkedFolder)
{
    ScratchFolder scratch;
    const auto target = scratch.child ("target");
    const auto outside = scratch.child ("outside");
    target.createDirectory();
    outside.createDirectory();
    ASSERT_TRUE (outside.createSymbolicLink (target.getChildFile ("model"), true));
    const auto zipFile = scratch.child ("a.zip");
    makeZip (zipFile, {{"model/x.wav", "data"}});

    int error = 0;
    auto* archive = zip_open (zipFile.getFullPathName().toRawUTF8(), ZIP_RDONLY, &error);
    ASSERT_NE (archive, nullptr);
    EXPECT_TRUE (BackupArchive::extractZipEntry (archive, 0, target)
                     .startsWith ("Parent directory leads through symlink"));
    zip_discard (archive);
    EXPECT_FALSE (outside.getChildFile ("x.wav").exists());
}
} // namespace
