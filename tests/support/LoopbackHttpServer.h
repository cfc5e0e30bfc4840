#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <vector>

namespace glorvak::test
{
// A plain-HTTP server on 127.0.0.1 for tests of code that talks to a web endpoint: it answers each
// connection with a scripted response and records the raw request it received. One connection is
// served at a time, each closed after its answer.
//
// Threads: the server's own thread accepts and answers; every public method may be called from
// the test's thread. The recorded requests and the script are guarded by one lock.
class LoopbackHttpServer : private juce::Thread
{
public:
    struct Response
    {
        int status = 200;
        juce::String reason = "OK";
        juce::String extraHeaders; // lines ending with "\r\n"
        juce::MemoryBlock body;
        // Keeps the connection open without answering until release() or the client gives up.
        bool holdUntilReleased = false;
    };

    struct Request
    {
        juce::String method;
        juce::String target;           // path and query as sent
        juce::StringPairArray headers; // names compared without case
        juce::MemoryBlock body;
        juce::MemoryBlock raw; // head and body exactly as received
    };

    LoopbackHttpServer(); // answers 200 with an empty body
    explicit LoopbackHttpServer (Response firstResponse);
    ~LoopbackHttpServer() override;

    bool isListening() const { return listening; }
    int getPort() const;
    juce::String getBaseUrl() const; // "http://127.0.0.1:<port>"

    // Applies to connections accepted after the call.
    void setResponse (Response response);

    // Lets held connections answer.
    void release();

    int getNumRequests() const { return numRequests; }
    std::vector<Request> getRequests() const;

    // True when a held connection was closed by the client before it was answered.
    bool clientGaveUp() const { return gaveUp; }

    // A port on 127.0.0.1 on which nothing listens: connecting there is refused.
    static int findRefusingPort();

    // The parameters of a multipart/form-data body, or an empty list when it is not one.
    struct FormPart
    {
        juce::StringPairArray headers;
        juce::MemoryBlock content;
    };
    static std::vector<FormPart> parseMultipart (const Request& request);

private:
    void run() override;
    void serve (juce::StreamingSocket& connection);

    juce::StreamingSocket listener;
    bool listening = false;

    juce::CriticalSection lock;
    Response script;
    std::vector<Request> requests;
    std::atomic<int> numRequests{0};
    std::atomic<bool> released{false};
    std::atomic<bool> gaveUp{false};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LoopbackHttpServer)
};
} // namespace glorvak::test
