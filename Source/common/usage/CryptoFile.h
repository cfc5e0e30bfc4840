#pragma once

#include <juce_core/juce_core.h>
#include <juce_cryptography/juce_cryptography.h>
#include <juce_events/juce_events.h>

#include <memory>

namespace common
{
// Keeps the usage-statistics files unreadable in the user's folders: JSON values enciphered with
// Blowfish, either one value per file or a sequence of length-prefixed records.
//
// Threads: getInstance is safe anywhere. The cipher is only read after construction, so every
// operation may run on any thread; none of them takes a file lock. Callers order the writes to
// one file themselves (UsageLogger does so for "$session").
class CryptoFile : public juce::DeletedAtShutdown
{
public:
    // The deciphered JSON texts of a record file, each followed by CR LF, and how many bytes from the
    // start of the file were read to get them (what dropRecords removes after an upload).
    struct JsonArrayData
    {
        juce::MemoryBlock text;
        juce::int64 consumed = 0;
    };

    CryptoFile();
    ~CryptoFile() override;

    // Created on first use, deleted with JUCE's other singletons at shut-down.
    JUCE_DECLARE_SINGLETON (CryptoFile, false)

    // Replaces the file with one encrypted text; a failed write leaves the old file in place.
    bool writeJsonFile (juce::File file, const juce::var& value);

    // Void when the file cannot be opened or does not decipher to JSON.
    juce::var readJsonFile (juce::File file);

    // True only when the length and the text were both written; creates the file when missing.
    bool appendJsonRecord (juce::File file, const juce::var& value);

    // Every complete record in file order; null when the file cannot be opened. Never allocates
    // more than the file holds, whatever its length fields claim.
    std::shared_ptr<JsonArrayData> readJsonRecords (const juce::File& file);

    // Removes the first data.consumed bytes. The file is replaced only once the rest has been
    // copied in full, so a full disk loses no record.
    void dropRecords (juce::File file, const JsonArrayData& data);

    // Removes the oldest whole records until the file is at most maxBytes long; returns the number
    // of bytes removed from its front (0 when nothing had to go or the file could not be rewritten).
    juce::int64 dropOldestRecords (const juce::File& file, juce::int64 maxBytes);

    // The encrypted-text unit that every operation writes: padded to whole 8-byte blocks, each block
    // enciphered on its own as two little-endian 32-bit words.
    juce::MemoryBlock encipherText (const juce::String& text) const;

    // Deciphers whole blocks in place and returns how many bytes remain once a valid padding count
    // is removed. A size that is not a multiple of 8 is left untouched and kept whole.
    size_t decipherInPlace (void* data, size_t size) const;

private:
    bool replaceWithTail (const juce::File& file, juce::int64 offset);

    std::unique_ptr<juce::BlowFish> cipher;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CryptoFile)
};

// Base64 of the usage-log service's "user:password", for the Basic authorization header.
juce::String makeUploadCredential();
} // namespace common
