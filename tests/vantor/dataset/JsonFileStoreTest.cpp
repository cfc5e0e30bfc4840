#include "vantor/dataset/JsonFileStore.h"

#include "vantor/dataset/DataSetTestHelpers.h"

#include <unistd.h>

namespace
{
using namespace vantor::dataset;
using glorvak::test::ScratchFolder;

juce::var smallObject()
{
    return juce::JSON::parse (R"({"bank": [1, 2, 3], "favorite": 2})");
}

int countFilesIn (const juce::File& folder)
{
    return folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"); // hidden ones too
}

TEST (JsonFileStoreWrite, ReplacesTheTargetWithMultiLineJson)
{
    ScratchFolder folder;
    const auto target = folder.child ("data/model.json");
    target.getParentDirectory().createDirectory();
    target.replaceWithText ("old");
    const auto oldFile = target.getFileIdentifier();

    ASSERT_TRUE (JsonFileStore::write (target, smallObject()));
    EXPECT_EQ (juce::JSON::toString (glorvak::test::readJson (target)), juce::JSON::toString (smallObject()));
    EXPECT_GT (juce::StringArray::fromLines (target.loadFileAsString()).size(), 3);
    EXPECT_NE (target.getFileIdentifier(), oldFile) << "a new file is renamed over the old one";
    EXPECT_EQ (countFilesIn (target.getParentDirectory()), 1);
}

// Real failures, not injected: a folder that cannot be made, a target that cannot be replaced.
TEST (JsonFileStoreWrite, FailuresLeaveTheTargetAsItWasAndNoTemporaryFile)
{
    ScratchFolder folder;
    const auto blocker = folder.child ("blocker");
    blocker.replaceWithText ("a file where a folder should be");
    EXPECT_FALSE (JsonFileStore::write (blocker.getChildFile ("model.json"), smallObject()));
    EXPECT_EQ (blocker.loadFileAsString(), "a file where a folder should be");

    const auto occupied = folder.child ("occupied/model.json");
    occupied.getChildFile ("inside.txt").create();
    EXPECT_FALSE (JsonFileStore::write (occupied, smallObject()));
    EXPECT_TRUE (occupied.getChildFile ("inside.txt").existsAsFile());
    EXPECT_EQ (countFilesIn (occupied.getParentDirectory()), 1);

    EXPECT_FALSE (JsonFileStore::write (juce::File(), smallObject()));
}

TEST (JsonFileStoreRead, TellsMissingGoodAndDamagedFilesApart)
{
    ScratchFolder folder;
    const auto file = folder.child ("f.json");
    EXPECT_EQ (JsonFileStore::read (file, "bank").status, JsonFileStore::ReadStatus::missing);
    EXPECT_EQ (JsonFileStore::read (juce::File(), "bank").status, JsonFileStore::ReadStatus::missing);

    const std::pair<const char*, JsonFileStore::ReadStatus> cases[] = {
        {R"({"bank": []})", JsonFileStore::ReadStatus::ok},
        {R"({"bank": {}})", JsonFileStore::ReadStatus::damaged},
        {R"({"other": []})", JsonFileStore::ReadStatus::damaged},
        {R"([{"bank": []}])", JsonFileStore::ReadStatus::damaged},
        {R"({"bank": [)", JsonFileStore::ReadStatus::damaged},
        {"null", JsonFileStore::ReadStatus::damaged},
        {" ", JsonFileStore::ReadStatus::damaged},
    };

    for (const auto& [text, expected] : cases)
    {
        SCOPED_TRACE (text);
        file.replaceWithText (text);
        EXPECT_EQ (JsonFileStore::read (file, "bank").status, expected);
    }

    file.deleteFile();
    file.createDirectory();
    EXPECT_EQ (JsonFileStore::read (file, "bank").status, JsonFileStore::ReadStatus::damaged);
}
} // namespace

namespace
{
// The toolkit's parser descends once per bracket: a damaged file of nothing but brackets must be
// refused before it is parsed, not overflow the stack.
TEST (JsonFileStoreRead, DeeplyNestedTextIsDamagedInsteadOfACrash)
{
    ScratchFolder folder;
    const auto file = folder.child ("f.json");
    const int depth = 1000000;

    for (const auto* open : {"[", "{\"a\":"})
    {
        SCOPED_TRACE (open);
        std::string text ("{\"bank\": [");

        for (int i = 0; i < depth; ++i)
            text += open;

        file.replaceWithText (juce::String (text));
        EXPECT_EQ (JsonFileStore::read (file, "bank").status, JsonFileStore::ReadStatus::damaged);
    }

    // The parser also takes single-quoted strings: brackets inside one close nothing.
    {
        std::string text ("{\"bank\": ['");
        text.append ((size_t)depth, ']');
        text += "', ";
        text.append ((size_t)depth, '[');
        file.replaceWithText (juce::String (text));
        EXPECT_EQ (JsonFileStore::read (file, "bank").status, JsonFileStore::ReadStatus::damaged);
    }

    // A huge file is not read into memory (sparse, so it takes no room on disk).
    file.replaceWithText (R"({"bank": []})");
    ASSERT_EQ (::truncate (file.getFullPathName().toRawUTF8(), (off_t)1 << 40), 0);
    EXPECT_EQ (JsonFileStore::read (file, "bank").status, JsonFileStore::ReadStatus::damaged);

    // Nesting as deep as any file of the program's own stays readable.
    file.replaceWithText (R"({"bank": [{"slot": [{"file_name": "it's [[[[.wav", "x": [[[[1]]]]}]}]})");
    EXPECT_EQ (JsonFileStore::read (file, "bank").status, JsonFileStore::ReadStatus::ok);
}
} // namespace

namespace
{
// Bytes that are not UTF-8 (a Latin-1 name, a torn multi-byte character at the end) once became a
// string that JUCE's code read past its end; they are a damaged file now. UTF-16 with its mark
// and UTF-8 with its mark still read.
TEST (JsonFileStoreRead, BytesThatAreNoTextAreDamagedInsteadOfACrash)
{
    ScratchFolder folder;
    const auto file = folder.child ("f.json");

    const std::pair<std::string, JsonFileStore::ReadStatus> cases[] = {
        {"{\"bank\": []}\xd1", JsonFileStore::ReadStatus::damaged},
        {"{\"bank\": [\"caf\xe9\"]}", JsonFileStore::ReadStatus::damaged},
        {"\xd1", JsonFileStore::ReadStatus::damaged},
        {std::string ("{\"bank\": []}\0\xd1", 14), JsonFileStore::ReadStatus::damaged},
        {"\xef\xbb\xbf{\"bank\": [\"caf\xc3\xa9\"]}", JsonFileStore::ReadStatus::ok},
        {std::string ("\xff\xfe{\0\"\0b\0a\0n\0k\0\"\0:\0[\0]\0}\0", 24), JsonFileStore::ReadStatus::ok},
    };

    for (const auto& [bytes, expected] : cases)
    {
        SCOPED_TRACE (juce::String::toHexString (bytes.data(), (int)bytes.size()));
        ASSERT_TRUE (file.replaceWithData (bytes.data(), bytes.size()));
        EXPECT_EQ (JsonFileStore::read (file, "bank").status, expected);
    }
}
} // namespace
