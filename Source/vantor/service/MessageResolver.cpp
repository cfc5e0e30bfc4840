#include "vantor/service/MessageResolver.h"

#include "vantor/service/MessageCode.h"

namespace vantor::service
{
juce::String MessageResolver::getMessage (int code) const
{
    const juce::ScopedLock sl (lock);
    const auto found = texts.find (code);
    return found != texts.end() ? found->second : juce::String();
}

void MessageResolver::localeChanged()
{
    // Translated outside the lock: a sender on the worker thread waits only for the swap.
    std::unordered_map<int, juce::String> translated{
        {MessageCode::copyFailed, TRANS ("Failed to copy file.")},
        {MessageCode::fileMissing, TRANS ("The required file is missing.")},
        {MessageCode::unsupportedFormat, TRANS ("Unsupported file format.")},
        {MessageCode::audioTooShort,
         TRANS ("Audio file is too short. Please select a file that is at least 10 ms long.")},
        {MessageCode::audioTooLong,
         TRANS ("Audio file is too long. Please select a file that is 30 minutes or less.")},
        {MessageCode::bankTooLong,
         TRANS ("There is a BANK that exceeds 16 seconds. Please adjust to fit within "
                "the time limit and try again.")},
        {MessageCode::beatsRequired, TRANS ("Please enter the number of beats.")},
        {MessageCode::insufficientStorage,
         TRANS ("Insufficient storage space. Please free up space and try again.")},
        {MessageCode::collectionFull, TRANS ("The maximum number of saves has been reached.")},
        {MessageCode::textTruncated, TRANS ("Maximum character count exceeded. Text has been truncated.")},
        {MessageCode::generalError, TRANS ("An error has occurred.")},
    };

    const juce::ScopedLock sl (lock);
    texts.swap (translated);
}
} // namespace vantor::service
