#include "common/usage/CryptoFile.h"

#include <gmock/gmock.h>

#include <csignal>
#include <sys/resource.h>
#include <vector>

namespace
{
using Bytes = std::vector<juce::uint8>;

// Expected cipher texts were computed apart from this code with the Blowfish of Python's
// "cryptography" package (key "quibrestolvid", ECB), each 4-byte word byte-swapped before and after
// to give the little-endian word order of our files.
const Bytes glorvakCipher{0xa0, 0xf0, 0xa4, 0xe7, 0xdc, 0xbc, 0xf6, 0xba,
                          0xad, 0xa9, 0xa4, 0x5f, 0x40, 0x0d, 0x0a, 0xbd}; // "\"GLORVAK\""
const Bytes emptyCipher{0x47, 0xe6, 0x66, 0xa0, 0x3f, 0x7e, 0xe0, 0x63};
const Bytes eightCharsCipher{0xf0, 0x0e, 0xf0, 0x17, 0x5d, 0xcf, 0xf5, 0x1b,
                             0x47, 0xe6, 0x66, 0xa0, 0x3f, 0x7e, 0xe0, 0x63}; // "12345678"
const Bytes sevenCharsCipher{0xcd, 0x73, 0x25, 0xed, 0x57, 0x4c, 0x9c, 0xc1}; // "1234567"
const Bytes arrayCipher{0xd7, 0xeb, 0xc8, 0xa7, 0x38, 0x05, 0xb4, 0x79,
                        0x65, 0x83, 0x2c, 0x63, 0xc0, 0x93, 0xb8, 0x58}; // ["GLORVAK"]
const Bytes nonAsciiCipher{0xde, 0x88, 0xd9, 0xd0, 0xf3, 0x97, 0x21, 0x25,
                           0x30, 0x8e, 0x90, 0x4f, 0x73, 0x7e, 0x78, 0xa2}; // {"k":"é"}

Bytes toBytes (const juce::MemoryBlock& block)
{
    const auto* data = static_cast<const juce::uint8*> (block.getData());
    return {data, data + block.getSize()};
}

Bytes lengthField (juce::int32 length)
{
    const auto value = (juce::uint32)length;
    return {(juce::uint8)value, (juce::uint8) (value >> 8), (juce::uint8) (value >> 16),
            (juce::uint8) (value >> 24)};
}

Bytes concat (std::initializer_list<Bytes> parts)
{
    Bytes result;

    for (const auto& part : parts)
        result.insert (result.end(), part.begin(), part.end());

    return result;
}

Bytes record (const Bytes& cipherText)
{
    return concat ({lengthField ((juce::int32)cipherText.size()), cipherText});
}

Bytes readFile (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    return toBytes (block);
}

void writeFile (const juce::File& file, const Bytes& bytes)
{
    file.deleteFile();
    juce::FileOutputStream out (file);

    if (!bytes.empty())
        out.write (bytes.data(), bytes.size());
}

juce::String textOf (const common::CryptoFile::JsonArrayData& data)
{
    return juce::String::fromUTF8 (static_cast<const char*> (data.text.getData()), (int)data.text.getSize());
}

class CryptoFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (folder.createDirectory().wasOk()); }
    void TearDown() override { folder.deleteRecursively(); }

    common::CryptoFile& crypto = *common::CryptoFile::getInstance();
    juce::File folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                            .getNonexistentChildFile ("cryptofile", "", false);
    juce::File session = folder.getChildFile ("$session");
};

TEST (BlowFishCore, MatchesPublishedEcbVectors)
{
    struct Vector
    {
        juce::uint64 key, plain, cipher;
    };

    // Eric Young's test set of Schneier's Blowfish, big-endian words as published.
    const Vector vectors[] = {{0x0000000000000000, 0x0000000000000000, 0x4EF997456198DD78},
                              {0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0x51866FD5B85ECB8A},
                              {0x3000000000000000, 0x1000000000000001, 0x7D856F9A613063F2},
                              {0x0123456789ABCDEF, 0x1111111111111111, 0x61F9C3802281B096}};

    for (const auto& v : vectors)
    {
        juce::uint8 key[8];

        for (int i = 0; i < 8; ++i)
            key[i] = (juce::uint8) (v.key >> (56 - 8 * i));

        juce::BlowFish cipher (key, 8);
        auto left = (juce::uint32) (v.plain >> 32);
        auto right = (juce::uint32)v.plain;
        cipher.encrypt (left, right);

        EXPECT_EQ (((juce::uint64)left << 32) | right, v.cipher);
    }
}

TEST_F (CryptoFileTest, EnciphersKnownTextsToExactBytes)
{
    struct Case
    {
        const char* text;
        const Bytes& expected;
    };

    // The empty text and a text of exactly 8 bytes both gain a whole block of padding.
    const Case cases[] = {{"\"GLORVAK\"", glorvakCipher},
                          {"", emptyCipher},
                          {"12345678", eightCharsCipher},
                          {"{\"k\":\"\xc3\xa9\"}", nonAsciiCipher}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        auto block = crypto.encipherText (juce::String::fromUTF8 (c.text));
        EXPECT_EQ (toBytes (block), c.expected);

        const auto kept = crypto.decipherInPlace (block.getData(), block.getSize());
        EXPECT_EQ (juce::String::fromUTF8 (static_cast<const char*> (block.getData()), (int)kept),
                   juce::String::fromUTF8 (c.text));
    }
}

TEST_F (CryptoFileTest, WritesWholeFileAndRecordsInTheirExactLayout)
{
    const auto whole = folder.getChildFile ("status");
    const juce::var array (juce::Array<juce::var>{"GLORVAK"});
    ASSERT_TRUE (crypto.writeJsonFile (whole, array));
    EXPECT_EQ (readFile (whole), arrayCipher);
    EXPECT_EQ (juce::JSON::toString (crypto.readJsonFile (whole)), juce::JSON::toString (array));

    ASSERT_TRUE (crypto.appendJsonRecord (session, "GLORVAK"));
    EXPECT_EQ (readFile (session), record (glorvakCipher));

    ASSERT_TRUE (crypto.appendJsonRecord (session, "GLORVAK"));
    EXPECT_EQ (readFile (session), concat ({record (glorvakCipher), record (glorvakCipher)}));
}

TEST_F (CryptoFileTest, RoundTripsValuesAndRejectsWhatIsNotOurs)
{
    auto object = std::make_unique<juce::DynamicObject>();
    object->setProperty ("name", juce::String::fromUTF8 ("Caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac"));
    object->setProperty ("value", 1.25);
    const juce::var value (object.release());

    const auto whole = folder.getChildFile ("status");
    ASSERT_TRUE (crypto.writeJsonFile (whole, value));
    ASSERT_TRUE (crypto.writeJsonFile (whole, value)); // replacing an existing file
    EXPECT_EQ (juce::JSON::toString (crypto.readJsonFile (whole)), juce::JSON::toString (value));
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1);

    struct Damage
    {
        const char* name;
        Bytes bytes;
    };

    const Damage damages[] = {
        {"missing", {}},
        {"empty", {}},
        {"cut inside a block", Bytes (glorvakCipher.begin(), glorvakCipher.begin() + 11)},
        {"cut after one block", Bytes (glorvakCipher.begin(), glorvakCipher.begin() + 8)},
        {"plain text", {'"', 'a', '"'}},
        {"invalid UTF-8 after deciphering", {0xff, 0xfe, 0xfd, 0xfc, 0xfb, 0xfa, 0xf9, 0xf8}},
        {"nested far too deep", toBytes (crypto.encipherText (juce::String::repeatedString ("[", 200000)))},
    };

    for (const auto& damage : damages)
    {
        SCOPED_TRACE (damage.name);
        const auto file = folder.getChildFile ("damaged");
        file.deleteFile();

        if (juce::String (damage.name) != "missing")
            writeFile (file, damage.bytes);

        EXPECT_TRUE (crypto.readJsonFile (file).isVoid());
    }
}

TEST_F (CryptoFileTest, ReadsDamagedRecordFilesWithoutCrashing)
{
    const auto good = record (glorvakCipher);
    const auto goodSize = (juce::int64)good.size();
    const juce::String goodText = "\"GLORVAK\"\r\n";

    struct Case
    {
        const char* name;
        Bytes file;
        juce::String text;
        juce::int64 consumed;
    };

    const Case cases[] = {
        {"empty file", {}, "", 0},
        {"two good records", concat ({good, good}), goodText + goodText, 2 * goodSize},
        {"length field cut short", concat ({good, {16, 0}}), goodText, goodSize + 2},
        {"record cut short", concat ({good, lengthField (16), {1, 2, 3, 4, 5}}), goodText, goodSize + 9},
        {"zero length", concat ({good, lengthField (0), good}), goodText, goodSize + 4},
        {"negative length", concat ({good, lengthField (-8), good}), goodText, goodSize + 4},
        {"most negative length", concat ({good, lengthField (INT32_MIN), good}), goodText, goodSize + 4},
        {"huge length", concat ({good, lengthField (0x7fffffff), good}), goodText, 2 * goodSize + 4},
        {"length not a multiple of 8", concat ({lengthField (5), {'h', 'e', 'l', 'l', 'o'}, good}),
         "hello\r\n" + goodText, 9 + goodSize},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        writeFile (session, c.file);

        const auto data = crypto.readJsonRecords (session);
        ASSERT_NE (data, nullptr);
        EXPECT_EQ (textOf (*data), c.text);
        EXPECT_EQ (data->consumed, c.consumed);
    }

    EXPECT_EQ (crypto.readJsonRecords (folder.getChildFile ("missing")), nullptr);
}

TEST_F (CryptoFileTest, EveryTruncatedPrefixYieldsItsCompleteRecords)
{
    const auto first = record (glorvakCipher);
    const auto second = record (nonAsciiCipher);
    const auto whole = concat ({first, second});

    for (size_t cut = 0; cut <= whole.size(); ++cut)
    {
        SCOPED_TRACE (cut);
        writeFile (session, Bytes (whole.begin(), whole.begin() + (std::ptrdiff_t)cut));

        const auto data = crypto.readJsonRecords (session);
        ASSERT_NE (data, nullptr);

        juce::String expected;

        if (cut >= first.size())
            expected << "\"GLORVAK\"\r\n";

        if (cut == whole.size())
            expected << juce::String::fromUTF8 ("{\"k\":\"\xc3\xa9\"}") << "\r\n";

        EXPECT_EQ (textOf (*data), expected);
        EXPECT_EQ (data->consumed, (juce::int64)cut);
    }
}

TEST_F (CryptoFileTest, DropRecordsKeepsWhatWasAppendedAfterReading)
{
    ASSERT_TRUE (crypto.appendJsonRecord (session, "GLORVAK"));
    ASSERT_TRUE (crypto.appendJsonRecord (session, "GLORVAK"));
    const auto data = crypto.readJsonRecords (session);
    ASSERT_NE (data, nullptr);

    ASSERT_TRUE (crypto.appendJsonRecord (session, 12345678));
    crypto.dropRecords (session, *data);

    EXPECT_EQ (readFile (session), record (eightCharsCipher));
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1);
}

TEST_F (CryptoFileTest, DropRecordsOfACutFileLeavesItEmpty)
{
    writeFile (session, concat ({record (glorvakCipher), lengthField (16), {1, 2, 3}}));
    const auto data = crypto.readJsonRecords (session);
    ASSERT_NE (data, nullptr);

    crypto.dropRecords (session, *data);

    EXPECT_TRUE (session.existsAsFile());
    EXPECT_EQ (session.getSize(), 0);
}

TEST_F (CryptoFileTest, DropRecordsChoosesAFreeScratchNameAndLeavesTheTakenOneAlone)
{
    const auto taken = folder.getChildFile ("$session.tmp");
    ASSERT_TRUE (taken.replaceWithText ("someone else's"));

    ASSERT_TRUE (crypto.appendJsonRecord (session, "GLORVAK"));
    ASSERT_TRUE (crypto.appendJsonRecord (session, 1234567));
    auto data = *crypto.readJsonRecords (session);
    data.consumed = (juce::int64)record (glorvakCipher).size();

    crypto.dropRecords (session, data);

    EXPECT_EQ (readFile (session), record (sevenCharsCipher));
    EXPECT_EQ (taken.loadFileAsString(), "someone else's");
    EXPECT_FALSE (folder.getChildFile ("$session(2).tmp").exists());
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 2);
}

// A process file-size limit makes every write past it fail the way a full disk does.
class FileSizeLimit
{
public:
    explicit FileSizeLimit (rlim_t bytes)
    {
        previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        getrlimit (RLIMIT_FSIZE, &previous);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        setrlimit (RLIMIT_FSIZE, &limited);
    }

    ~FileSizeLimit()
    {
        setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, previousHandler);
    }

private:
    rlimit previous{};
    void (*previousHandler) (int) = nullptr;
};

TEST_F (CryptoFileTest, ACopyThatFailsOnAFullDiskLosesNoRecord)
{
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE (crypto.appendJsonRecord (session, "GLORVAK"));

    const auto before = readFile (session);
    auto data = *crypto.readJsonRecords (session);
    data.consumed = (juce::int64)record (glorvakCipher).size();

    const auto status = folder.getChildFile ("status");
    const juce::var array (juce::Array<juce::var>{"GLORVAK"});
    ASSERT_TRUE (crypto.writeJsonFile (status, array));

    {
        FileSizeLimit limit (1000);
        crypto.dropRecords (session, data);
        EXPECT_EQ (crypto.dropOldestRecords (session, 2000), 0);
    }

    {
        // Room for half a record: the torn part must not stay behind.
        FileSizeLimit limit ((rlim_t)before.size() + 10);
        EXPECT_FALSE (crypto.appendJsonRecord (session, "GLORVAK"));
    }

    {
        FileSizeLimit limit (10);
        EXPECT_FALSE (crypto.writeJsonFile (status, juce::var (juce::Array<juce::var>{1, 2, 3})));
    }

    EXPECT_EQ (readFile (session), before);
    EXPECT_EQ (readFile (status), arrayCipher);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 2);
}

TEST_F (CryptoFileTest, DropOldestRecordsKeepsTheNewestWholeRecords)
{
    const auto one = (juce::int64)record (glorvakCipher).size(); // 20 bytes

    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE (crypto.appendJsonRecord (session, "GLORVAK"));

    ASSERT_TRUE (crypto.appendJsonRecord (session, 1234567));

    EXPECT_EQ (crypto.dropOldestRecords (session, 1000), 0);
    EXPECT_EQ (crypto.dropOldestRecords (session, 2 * one + 12), 3 * one);
    EXPECT_EQ (readFile (session),
               concat ({record (glorvakCipher), record (glorvakCipher), record (sevenCharsCipher)}));

    // A damaged length field cannot be walked past: everything from it goes.
    writeFile (session, concat ({lengthField (-1), record (glorvakCipher)}));
    EXPECT_EQ (crypto.dropOldestRecords (session, 10), 4 + one);
    EXPECT_EQ (session.getSize(), 0);
}
} // namespace
