#include "vantor/dataset/JsonFileStore.h"

#include "common/FileReplacer.h"
#include "common/SafeJson.h"
#include "vantor/dataset/DiskSync.h"

#include <sys/stat.h>

namespace vantor::dataset
{
std::atomic<int> JsonFileStore::failingWrites{0};

namespace
{
// Far above any file of the program's (a full collection is a few hundred KB); a bigger file is
// not read into memory at all.
constexpr juce::int64 maxFileSize = 64 * 1024 * 1024;
} // namespace

JsonFileStore::ReadResult JsonFileStore::read (const juce::File& file, const char* arrayKey)
{
    ReadResult result;

    if (file == juce::File() || !file.exists())
        return result;

    result.status = ReadStatus::damaged;

    // Only a plain file is opened: reading a FIFO or a device would block or never end.
    struct stat info;

    if (::stat (file.getFullPathName().toRawUTF8(), &info) != 0 || !S_ISREG (info.st_mode) ||
        file.getSize() > maxFileSize)
        return result;

    juce::FileInputStream stream (file);

    if (!stream.openedOk())
        return result;

    juce::MemoryBlock bytes;
    stream.readIntoMemoryBlock (bytes);

    if (stream.getStatus().failed())
        return result;

    // Bytes that are no text (a torn write, another program's file) are damaged, never a string.
    const auto text = common::SafeJson::textFromBytes (bytes.getData(), bytes.getSize());

    if (!text.has_value())
        return result;

    // The program's own files nest five deep: a deeper one is damaged, and would overflow the
    // stack of the parser.
    const auto parsed = common::SafeJson::parse (*text);

    if (parsed.getDynamicObject() == nullptr || !parsed.getProperty (arrayKey, {}).isArray())
        return result;

    result.status = ReadStatus::ok;
    result.root = parsed;
    return result;
}

bool JsonFileStore::write (const juce::File& target, const juce::var& json)
{
    if (target == juce::File())
        return false;

    const auto folder = target.getParentDirectory();

    if (!folder.isDirectory() && !folder.createDirectory())
        return false;

    const bool replaced = common::FileReplacer::replace (target,
                                                         [&json] (juce::OutputStream& out)
                                                         {
                                                             juce::JSON::writeToStream (out, json, false, 15);
                                                             return failingWrites.load() == 0;
                                                         });

    // The rename is durable only once the folder is synced; what the caller does next (deleting
    // the samples the old file named, moving folders) must not reach the disk before it.
    return replaced && DiskSync::item (folder);
}

juce::File JsonFileStore::createAsideFolder (const juce::File& folder, const juce::String& prefix)
{
    const auto stamp = juce::Time::getCurrentTime().formatted ("%Y-%m-%d_%H-%M-%S");
    const auto aside = folder.getNonexistentChildFile (prefix + "-" + stamp, {}, true);

    if (!aside.createDirectory())
        return {};

    return aside;
}

juce::File JsonFileStore::keepAside (const juce::File& damagedFile, const juce::File& samplesFolder)
{
    const auto aside = createAsideFolder (damagedFile.getParentDirectory(), "damaged");

    if (aside == juce::File())
        return {};

    const auto asideSamples = aside.getChildFile (samplesFolder.getFileName());
    const bool hadSamples = samplesFolder.isDirectory();

    // Only an empty folder is removed on the way back: nothing moved may be lost.
    if (hadSamples && !samplesFolder.moveFileTo (asideSamples))
    {
        aside.deleteFile();
        return {};
    }

    if (!damagedFile.moveFileTo (aside.getChildFile (damagedFile.getFileName())))
    {
        if (hadSamples)
            asideSamples.moveFileTo (samplesFolder);

        aside.deleteFile();
        return {};
    }

    return aside;
}
} // namespace vantor::dataset
