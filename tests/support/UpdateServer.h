#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <map>

namespace glorvak::test
{
// A plain-HTTP server on 127.0.0.1 that answers each path with its own scripted response, for
// tests of code that fetches a document and then downloads a file. Unknown paths get 404.
//
// Threads: one thread accepts, a small pool answers (so a held answer does not block the
// others); every public method may be called from the test's thread; the routes and counters are
// guarded by one lock.
class UpdateServer : private juce::Thread
{
public:
    struct Response
    {
        int status = 200;
        juce::String extraHeaders; // lines ending with "\r\n"
        juce::MemoryBlock body;
        bool sendContentLength = true;
        juce::int64 announcedLength = -1; // when >= 0, the length announced instead of the real one
        bool holdUntilReleased = false;   // sends the head and the first half of the body, then waits

        static Response text (int status, const juce::String& body);
    };

    UpdateServer();
    ~UpdateServer() override;

    juce::String url (const juce::String& path) const; // "http://127.0.0.1:<port><path>"
    void setRoute (const juce::String& path, Response response);
    int getNumRequests (const juce::String& path) const;
    void release();

private:
    void run() override;
    void serve (juce::StreamingSocket& connection);

    juce::StreamingSocket listener;
    juce::ThreadPool pool{4};
    mutable juce::CriticalSection lock;
    std::map<juce::String, Response> routes;
    std::map<juce::String, int> counts;
    std::atomic<bool> released{false};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateServer)
};
} // namespace glorvak::test
