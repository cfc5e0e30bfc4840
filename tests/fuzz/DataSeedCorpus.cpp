// The data-file target's seeds: small valid files of each kind, made with the test fixtures and
// the program's own writers.
#include "DataSeedCorpus.h"

#include "DataFileFuzzPaths.h"
#include "common/updater/UpdateInfo.h"
#include "common/usage/CryptoFile.h"
#include "support/WholeSetFixtures.h"
#include "vantor/dataset/BackupArchive.h"

#include <cstdio>

namespace datafuzz
{
namespace
{
juce::MemoryBlock led (Path path, const juce::MemoryBlock& body)
{
    juce::MemoryBlock result;
    const auto byte = (juce::uint8)path;
    result.append (&byte, 1);
    result.append (body.getData(), body.getSize());
    return result;
}

juce::MemoryBlock bytesOf (const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    return bytes;
}

juce::MemoryBlock bytesOf (const juce::String& text)
{
    return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8());
}

std::vector<glorvak::test::SlotFixture> someSlots()
{
    glorvak::test::SlotFixture first;
    first.wav = sampleNames[0];
    first.frames = sampleFrames;
    first.start = 2;
    first.end = 12;
    first.bpm = 12000;
    first.gain = -3.5;
    first.loop = true;

    auto second = first;
    second.bank = 1;
    second.slot = 3;
    second.wav = sampleNames[1];
    second.dubkick = true;
    return {first, second};
}
} // namespace

int writeDataSeeds (const juce::File& folder)
{
    using namespace glorvak::test;
    using namespace vantor::dataset;
    folder.createDirectory();
    int missing = 0;

    auto save = [&] (const juce::String& name, Path path, const juce::MemoryBlock& body)
    {
        if (body.getSize() == 0 ||
            !folder.getChildFile (name).replaceWithData (led (path, body).getData(), body.getSize() + 1))
        {
            ++missing;
            std::fprintf (stderr, "seed %s not made\n", name.toRawUTF8());
        }
    };

    const juce::TemporaryFile work;
    const auto data = work.getFile();
    const auto modelFile = writeModelFolder (data, someSlots(), 3);
    const auto collectionFile = writeCollectionFolder (data, 2, someSlots());
    save ("model.json", model, bytesOf (modelFile));
    save ("bankcollection.json", collection, bytesOf (collectionFile));
    // The unit's file has the model's layout; the import needs only its names.
    save ("unit-settings.json", unitSettings, bytesOf (modelFile));

    juce::Array<BackupArchive::Entry> entries;

    for (const auto& file : data.findChildFiles (juce::File::findFiles, true, "*"))
        entries.add ({file, file.getRelativePathFrom (data).replaceCharacter ('/', '\\')});

    const auto zip = data.getSiblingFile (data.getFileName() + ".zip");
    BackupArchive::write (entries, zip, nullptr);
    save ("backup.zip", backup, bytesOf (zip));
    zip.deleteFile();
    data.deleteRecursively();

    save (
        "settings.json", settings,
        bytesOf (juce::String (R"({"WarnOverwriting": false, "WarnDeleting": true, "ShowTooltips": 1,)"
                               R"( "AutoUpdate": true, "GuiLangId": "ja", "SkipThisVersion": "1.0.0.0002",)"
                               R"( "BankCollectionOpen": true, "PinnedFolders": ["/home/a", "/media/b"]})")));

    // One enciphered file, then the same object as records, behind a byte choosing the trim size.
    auto* crypto = common::CryptoFile::getInstance();
    juce::var record (new juce::DynamicObject());
    record.getDynamicObject()->setProperty ("event", "start");
    record.getDynamicObject()->setProperty ("count", 3);
    crypto->writeJsonFile (work.getFile(), record);
    const auto whole = bytesOf (work.getFile());
    juce::MemoryBlock wholeLed (1, true);
    wholeLed.append (whole.getData(), whole.getSize());
    save ("crypto-file.bin", cryptoFile, wholeLed);
    work.getFile().deleteFile();

    for (int i = 0; i < 3; ++i)
        crypto->appendJsonRecord (work.getFile(), record);

    const auto records = bytesOf (work.getFile());
    juce::MemoryBlock recordsLed;
    const juce::uint8 trimTo = 1;
    recordsLed.append (&trimTo, 1);
    recordsLed.append (records.getData(), records.getSize());
    save ("crypto-records.bin", cryptoFile, recordsLed);
    work.getFile().deleteFile();

    save ("update-info.json", updateInfo,
          bytesOf (juce::String (
                       R"({"version": "1.0.1.0336", "download_url": {"win": "https://x.example/a.exe", ")") +
                   common::updater::UpdateInfo::platformKey +
                   R"(": "https://x.example/a.run"}, "release_notes": {"en": "Fixes", "ja": "修正"}})"));

    save ("mountinfo", mountTable,
          bytesOf (juce::String (
              "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
              "24 22 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw,size=8000k\n"
              "98 22 8:17 / /media/user/MY\\040DISK rw,nosuid,nodev,relatime shared:50 - vfat /dev/sdb1 "
              "rw,fmask=0022,dmask=0022,codepage=437\n"
              "99 22 179:1 /sub /media/card rw,relatime - exfat /dev/mmcblk0p1 rw\n")));

    return missing;
}
} // namespace datafuzz
