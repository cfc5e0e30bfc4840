#pragma once

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <memory>
#include <mutex>

namespace common
{
// Sends the usage records of earlier runs to the usage-log endpoint: one multipart POST, made on the
// thread "WebUploader", with the outcome handed back on the message thread.
//
// Threads: upload, handleAsyncUpdate, the completion and the destructor run on the message thread.
// run() runs on "WebUploader" and touches only the stream, which the message thread leaves alone
// while the thread runs (apart from cancelling it in the destructor), and the answer fields, which
// answerLock guards.
class WebUploader : private juce::Thread, private juce::AsyncUpdater
{
public:
    using Completion = std::function<void (const juce::Result&)>;

    static constexpr int timeoutMs = 4000;

    // The body of an error answer is only read this far, so a hostile or broken server cannot make
    // the program swallow an endless reply.
    static constexpr int maxResponseBodyBytes = 64 * 1024;

    WebUploader();
    ~WebUploader() override;

    // Starts one upload; true when the thread was started. Refused at once, with the completion
    // called with a failure, while another upload runs or when no endpoint is given.
    bool upload (const juce::String& url, const juce::String& client, const juce::String& version,
                 const juce::MemoryBlock& data, Completion completion);

    // True from a started upload until its completion has been called.
    bool isBusy() const;

    // The request address: the endpoint with the platform, client and version in its query, kept
    // in the address rather than turned into form fields.
    static juce::URL makeRequestUrl (const juce::String& url, const juce::String& client,
                                     const juce::String& version, const juce::MemoryBlock& data);

private:
    void run() override;
    void handleAsyncUpdate() override;

    std::unique_ptr<juce::WebInputStream> stream;
    Completion completion;

    std::mutex answerLock;
    int answerStatus = 0;
    juce::MemoryBlock answerBody;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WebUploader)
};
} // namespace common
