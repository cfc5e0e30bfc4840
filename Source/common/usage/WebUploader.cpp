#include "common/usage/WebUploader.h"

#include "common/SafeJson.h"
#include "common/usage/CryptoFile.h"

namespace common
{
namespace
{
const char* const connectionError = "<Error><Message>connection error</Message></Error>";

// Error bodies come from outside: anything that is not UTF-8 is shown byte by byte with '?' for
// the bytes that are not ASCII, rather than handed to a decoder that expects valid text.
juce::String bodyToText (const juce::MemoryBlock& body)
{
    const auto* bytes = static_cast<const char*> (body.getData());
    const auto size = (int)body.getSize();

    if (size == 0)
        return {};

    // JUCE's own check stops at a 0 byte and passes whatever follows it.
    if (SafeJson::isUtf8Text (bytes, (size_t)size))
        return juce::String::fromUTF8 (bytes, size);

    juce::String text;
    text.preallocateBytes ((size_t)size);

    for (int i = 0; i < size; ++i)
        text += (bytes[i] & 0x80) == 0 ? bytes[i] : '?';

    return text;
}
} // namespace

WebUploader::WebUploader()
    : juce::Thread ("WebUploader")
{
}

WebUploader::~WebUploader()
{
    if (stream != nullptr)
        stream->cancel();

    stopThread (timeoutMs);
    cancelPendingUpdate();

    // Quitting while a request is pending reports nothing: the records simply stay for next time.
    completion = nullptr;
    stream.reset();
}

bool WebUploader::isBusy() const
{
    return isThreadRunning() || stream != nullptr;
}

juce::URL WebUploader::makeRequestUrl (const juce::String& url, const juce::String& client,
                                       const juce::String& version, const juce::MemoryBlock& data)
{
    const auto address = url + "?platform=pelmora" +
                         "&client=" + juce::URL::addEscapeChars (client, true, false) +
                         "&version=" + juce::URL::addEscapeChars (version, true, false);

    return juce::URL::createWithoutParsing (address).withDataToUpload ("log", "upload.log", data,
                                                                       "application/json");
}

bool WebUploader::upload (const juce::String& url, const juce::String& client, const juce::String& version,
                          const juce::MemoryBlock& data, Completion newCompletion)
{
    JUCE_ASSERT_MESSAGE_THREAD

    const auto refuse = [&newCompletion] (const char* reason)
    {
        if (newCompletion)
            newCompletion (juce::Result::fail (reason));

        return false;
    };

    // The running upload keeps its own completion.
    if (isBusy())
        return refuse ("still running");

    if (url.isEmpty())
        return refuse ("no endpoint");

    completion = std::move (newCompletion);

    stream = std::make_unique<juce::WebInputStream> (makeRequestUrl (url, client, version, data), true);
    stream->withCustomRequestCommand ("POST")
        .withExtraHeaders ("Authorization: Basic " + makeUploadCredential() + "\r\nAccept: */*")
        .withConnectionTimeout (timeoutMs);

    {
        const std::lock_guard<std::mutex> lock (answerLock);
        answerStatus = 0;
        answerBody.reset();
    }

    if (startThread())
        return true;

    stream.reset();
    const auto failed = std::move (completion);
    completion = nullptr;

    if (failed)
        failed (juce::Result::fail ("not started"));

    return false;
}

void WebUploader::run()
{
    const auto connected = stream->connect (nullptr);
    // A status line that arrived counts even when the transfer broke off afterwards; without one
    // (refused, timed out, cancelled) the status is 0.
    const auto status = connected ? juce::jmax (0, stream->getStatusCode()) : 0;

    // The error body is read here, capped, so that a slow reply never blocks the message thread.
    juce::MemoryBlock body;

    if (status != 0 && status != 200)
    {
        char buffer[4096];

        while (!threadShouldExit() && !stream->isExhausted() && (int)body.getSize() < maxResponseBodyBytes)
        {
            const auto wanted = juce::jmin ((int)sizeof (buffer), maxResponseBodyBytes - (int)body.getSize());
            const auto got = stream->read (buffer, wanted);

            if (got <= 0)
                break;

            body.append (buffer, (size_t)got);
        }
    }

    {
        const std::lock_guard<std::mutex> lock (answerLock);
        answerStatus = status;
        answerBody = std::move (body);
    }

    triggerAsyncUpdate();
}

void WebUploader::handleAsyncUpdate()
{
    JUCE_ASSERT_MESSAGE_THREAD

    waitForThreadToExit (timeoutMs);

    int status = 0;
    juce::String errorText;

    {
        const std::lock_guard<std::mutex> lock (answerLock);
        status = stream != nullptr ? answerStatus : 0;

        if (status != 200)
            errorText = status == 0 ? juce::String (connectionError) : bodyToText (answerBody);
    }

    stream.reset();

    juce::Logger::outputDebugString ("[UsageLogger] WebUploader: status=" + juce::String (status) +
                                     " errmsg=" + errorText.quoted());

    // Taken out first, so that a completion may start the next upload.
    auto finished = std::move (completion);
    completion = nullptr;

    if (finished)
        finished (status == 200 ? juce::Result::ok() : juce::Result::fail (errorText));
}
} // namespace common
