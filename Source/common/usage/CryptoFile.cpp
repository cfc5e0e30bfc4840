#include "common/usage/CryptoFile.h"

#include "common/FileReplacer.h"
#include "common/SafeJson.h"

#include <BuildInfo.h>

namespace common
{
namespace
{
// The passphrase of the statistics files; changing it makes every existing file unreadable.
constexpr char cipherKey[] = "quibrestolvid";
constexpr int blockSize = 8;
constexpr int outputBufferSize = 16384;

juce::uint32 readWord (const juce::uint8* bytes) noexcept
{
    return (juce::uint32)bytes[0] | ((juce::uint32)bytes[1] << 8) | ((juce::uint32)bytes[2] << 16) |
           ((juce::uint32)bytes[3] << 24);
}

void writeWord (juce::uint8* bytes, juce::uint32 word) noexcept
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = (juce::uint8) (word >> (8 * i));
}

// Each 8-byte block on its own (no chaining), as two little-endian words whatever the machine's order.
void applyToBlocks (const juce::BlowFish& cipher,
                    void (juce::BlowFish::*operation) (juce::uint32&, juce::uint32&) const noexcept,
                    juce::uint8* bytes, size_t size)
{
    for (size_t offset = 0; offset + (size_t)blockSize <= size; offset += (size_t)blockSize)
    {
        auto left = readWord (bytes + offset);
        auto right = readWord (bytes + offset + 4);
        (cipher.*operation) (left, right);
        writeWord (bytes + offset, left);
        writeWord (bytes + offset + 4, right);
    }
}

// A record's length field is a signed little-endian 32-bit number whatever the machine's order.
void writeLength (juce::uint8* bytes, juce::int32 length) noexcept
{
    writeWord (bytes, (juce::uint32)length);
}

juce::String toJsonText (const juce::var& value)
{
    return juce::JSON::toString (value, true);
}
} // namespace

JUCE_IMPLEMENT_SINGLETON (CryptoFile)

CryptoFile::CryptoFile()
    : cipher (std::make_unique<juce::BlowFish> (cipherKey, (int)sizeof (cipherKey) - 1))
{
}

CryptoFile::~CryptoFile()
{
    clearSingletonInstance();
}

juce::MemoryBlock CryptoFile::encipherText (const juce::String& text) const
{
    const auto utf8 = text.toUTF8();
    const auto textSize = utf8.sizeInBytes() - 1;
    const auto padding = (size_t)blockSize - textSize % (size_t)blockSize;

    juce::MemoryBlock block (textSize + padding);
    auto* bytes = static_cast<juce::uint8*> (block.getData());
    memcpy (bytes, utf8.getAddress(), textSize);
    memset (bytes + textSize, (int)padding, padding);

    applyToBlocks (*cipher, &juce::BlowFish::encrypt, bytes, block.getSize());

    return block;
}

size_t CryptoFile::decipherInPlace (void* data, size_t size) const
{
    if (size == 0 || size % (size_t)blockSize != 0)
        return size;

    auto* bytes = static_cast<juce::uint8*> (data);

    applyToBlocks (*cipher, &juce::BlowFish::decrypt, bytes, size);

    const auto padding = (size_t)bytes[size - 1];
    return padding >= 1 && padding <= (size_t)blockSize ? size - padding : size;
}

bool CryptoFile::writeJsonFile (juce::File file, const juce::var& value)
{
    const auto encrypted = encipherText (toJsonText (value));

    return FileReplacer::replace (file, [&] (juce::OutputStream& out)
                                  { return out.write (encrypted.getData(), encrypted.getSize()); });
}

juce::var CryptoFile::readJsonFile (juce::File file)
{
    juce::FileInputStream in (file);

    if (in.failedToOpen() || in.getTotalLength() <= 0)
        return {};

    juce::MemoryBlock block;
    in.readIntoMemoryBlock (block);

    const auto kept = decipherInPlace (block.getData(), block.getSize());

    if (kept == 0)
        return {};

    // Garbage that is not text cannot be JSON; checking first keeps the decoder inside the block.
    const auto text = SafeJson::textFromBytes (block.getData(), kept);
    return text.has_value() ? SafeJson::parse (*text) : juce::var();
}

bool CryptoFile::appendJsonRecord (juce::File file, const juce::var& value)
{
    juce::FileOutputStream out (file, outputBufferSize);

    if (out.failedToOpen())
        return false;

    const auto encrypted = encipherText (toJsonText (value));

    juce::uint8 lengthBytes[4];
    writeLength (lengthBytes, (juce::int32)encrypted.getSize());

    const auto start = out.getPosition();
    const auto end = start + (juce::int64)sizeof (lengthBytes) + (juce::int64)encrypted.getSize();

    if (out.write (lengthBytes, sizeof (lengthBytes)) &&
        out.write (encrypted.getData(), encrypted.getSize()) && FileReplacer::flushedInFull (out, end))
        return true;

    // A torn record would make the reader take the next record's bytes as its own: cut it off.
    out.setPosition (start);
    out.truncate();
    return false;
}

std::shared_ptr<CryptoFile::JsonArrayData> CryptoFile::readJsonRecords (const juce::File& file)
{
    juce::FileInputStream in (file);

    if (in.failedToOpen())
        return nullptr;

    auto data = std::make_shared<JsonArrayData>();
    const auto start = in.getPosition();
    const auto total = in.getTotalLength();

    juce::MemoryOutputStream text (data->text, false);
    juce::MemoryBlock record;

    while (in.getPosition() < total)
    {
        juce::uint8 lengthBytes[4];

        if (in.read (lengthBytes, 4) < 4)
            break;

        const auto length = (juce::int32)readWord (lengthBytes);

        if (length <= 0)
            break;

        // A length beyond the end of the file never allocates more than the file still holds.
        const auto available = juce::jmin ((juce::int64)length, total - in.getPosition());
        if (available <= 0)
            break;

        record.setSize ((size_t)available, false);

        if (in.read (record.getData(), (int)available) < length)
            break;

        const auto kept = decipherInPlace (record.getData(), record.getSize());
        text.write (record.getData(), kept);
        text.write ("\r\n", 2);
    }

    text.flush();
    data->consumed = in.getPosition() - start;
    return data;
}

void CryptoFile::dropRecords (juce::File file, const JsonArrayData& data)
{
    replaceWithTail (file, data.consumed);
}

juce::int64 CryptoFile::dropOldestRecords (const juce::File& file, juce::int64 maxBytes)
{
    juce::FileInputStream in (file);

    if (in.failedToOpen())
        return 0;

    const auto total = in.getTotalLength();
    juce::int64 offset = 0;

    // Walk the length fields only; a damaged field drops everything from it on, which can never be
    // read anyway.
    while (total - offset > maxBytes)
    {
        juce::uint8 lengthBytes[4];

        if (!in.setPosition (offset) || in.read (lengthBytes, 4) < 4)
        {
            offset = total;
            break;
        }

        const auto length = (juce::int32)readWord (lengthBytes);
        offset = length > 0 ? juce::jmin (total, offset + 4 + length) : total;
    }

    if (offset == 0)
        return 0;

    return replaceWithTail (file, offset) ? offset : 0;
}

bool CryptoFile::replaceWithTail (const juce::File& file, juce::int64 offset)
{
    juce::FileInputStream in (file);

    if (in.failedToOpen() || !in.setPosition (offset))
        return false;

    const auto remaining = in.getTotalLength() - offset;

    return FileReplacer::replace (
        file, [&] (juce::OutputStream& out)
        { return remaining <= 0 || out.writeFromInputStream (in, remaining) == remaining; });
}

juce::String makeUploadCredential()
{
    return juce::Base64::toBase64 (juce::String::fromUTF8 (buildinfo::usageLogCredential));
}
} // namespace common
