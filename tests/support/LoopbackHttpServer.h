#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <map>
#include <vector>

namespace glorvak::test
{
// A plain-HTTP server on 127.0.0.1 for tests of code that talks to a web endpoint: it answers each
// connection with a scripted response (one per path, or one for every other path) and records the
// raw request it received. Each connection is closed after its answer.
//
// Threads: one thread accepts, a small pool answers (so a held answer does not block the others);
// every public method may be called from the test's thread. The recorded requests and the script
// are guarded by one lock.
class LoopbackHttpServer : private juce::Thread
{
public:
    struct Response
    {
        enum class Hold
        {
            no,
            beforeAnswer, // sends nothing
            midBody       // sends the head and the first half of the body
        };

        int status = 200;
        juce::String reason = "OK";
        juce::String extraHeaders; // lines ending with "\r\n"
        juce::MemoryBlock body;
        bool sendContentLength = true;
        juce::int64 announcedLength = -1; // when >= 0, the length announced instead of the real one
        // Keeps the connection open until release() or the client gives up.
        Hold hold = Hold::no;

        static Response text (int status, const juce::String& body);
    };

    struct Request
    {
        juce::String method;
        juce::String target;           // path and query as sent
        juce::StringPairArray headers; // names compared without case
        juce::MemoryBlock body;
        juce::MemoryBlock raw; // head and body exactly as received

        juce::String getPath() const; // the target without its query
    };

    LoopbackHttpServer(); // answers 404 to every path without a route
    explicit LoopbackHttpServer (Response otherPaths);
    ~LoopbackHttpServer() override;

    bool isListening() const { return listening; }
    int getPort() const;
    juce::String getBaseUrl() const;                   // "http://127.0.0.1:<port>"
    juce::String url (const juce::String& path) const; // getBaseUrl() + path

    // Apply to connections accepted after the call.
    void setResponse (Response otherPaths);
    void setRoute (const juce::String& path, Response response);

    // Lets held connections answer.
    void release();

    int getNumRequests() const;
    int getNumRequests (const juce::String& path) const;
    std::vector<Request> getRequests() const;

    // True when a held connection was closed by the client before it was answered in full.
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
    bool readRequest (juce::StreamingSocket& connection, Request& request);
    bool waitForRelease (juce::StreamingSocket& connection);

    juce::StreamingSocket listener;
    bool listening = false;
    juce::ThreadPool pool{4};

    mutable juce::CriticalSection lock;
    Response fallback;
    std::map<juce::String, Response> routes;
    std::vector<Request> requests;
    std::atomic<bool> released{false};
    std::atomic<bool> gaveUp{false};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LoopbackHttpServer)
};
} // namespace glorvak::test
