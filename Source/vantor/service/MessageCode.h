#pragma once

namespace vantor::service
{
/** The user messages by code; MessageResolver turns them into translated texts. */
struct MessageCode
{
    enum Code : int
    {
        copyFailed = 1,
        fileMissing = 2,
        unsupportedFormat = 3,
        audioTooShort = 4,
        audioTooLong = 5,
        bankTooLong = 6,
        beatsRequired = 7,
        insufficientStorage = 8,
        collectionFull = 9,
        textTruncated = 10,
        generalError = 11
    };

    static constexpr int first = copyFailed;
    static constexpr int last = generalError;
};
} // namespace vantor::service
