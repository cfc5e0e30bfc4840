#include "common/usage/WebUploader.h"

#include "common/usage/CryptoFile.h"
#include "support/LoopbackHttpServer.h"
#include "support/MessagePump.h"

#include <gmock/gmock.h>

#include <optional>

namespace
{
using glorvak::test::LoopbackHttpServer;
using glorvak::test::pumpMessagesUntil;

juce::MemoryBlock blockOf (const juce::String& text)
{
    return {text.toRawUTF8(), text.getNumBytesAsUTF8()};
}

LoopbackHttpServer::Response answer (int status, const juce::String& body = {})
{
    LoopbackHttpServer::Response response;
    response.status = status;
    response.reason = status == 200 ? "OK" : "Failed";
    response.body = blockOf (body);
    return response;
}

// One upload with its outcome, pumped on the message thread.
struct Outcome
{
    std::optional<juce::Result> result;

    common::WebUploader::Completion completion()
    {
        return [this] (const juce::Result& r) { result = r; };
    }

    bool arrive()
    {
        return pumpMessagesUntil ([this] { return result.has_value(); });
    }
};

const juce::String endpointPath = "/api/log/v1/log";

TEST (WebUploader, SendsTheRecordsAsOneMultipartPost)
{
    LoopbackHttpServer server (answer (200));
    ASSERT_TRUE (server.isListening());

    const auto records = blockOf ("{\"action\": \"Static\"}\r\n{\"action\": \"Count\"}\r\n");
    common::WebUploader uploader;
    Outcome outcome;

    ASSERT_TRUE (uploader.upload (server.getBaseUrl() + endpointPath, "GLORVAK Sample Manager", "1.0.0.0336",
                                  records, outcome.completion()));
    ASSERT_TRUE (outcome.arrive());
    EXPECT_TRUE (outcome.result->wasOk());

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1u);
    const auto& request = requests.front();

    EXPECT_EQ (request.method, "POST");
    EXPECT_EQ (request.target,
               endpointPath + "?platform=pelmora&client=GLORVAK%20Sample%20Manager&version=1.0.0.0336");
    EXPECT_EQ (request.headers["Authorization"], ("Basic " + common::makeUploadCredential()).trim());
    EXPECT_EQ (request.headers["Accept"], "*/*");
    EXPECT_TRUE (request.headers["Content-Type"].startsWith ("multipart/form-data; boundary="));

    const auto parts = LoopbackHttpServer::parseMultipart (request);
    ASSERT_EQ (parts.size(), 1u);
    EXPECT_EQ (parts[0].headers["Content-Disposition"], "form-data; name=\"log\"; filename=\"upload.log\"");
    EXPECT_EQ (parts[0].headers["Content-Type"], "application/json");
    EXPECT_EQ (parts[0].content, records);
}

TEST (WebUploader, EscapesEveryByteButLettersDigitsAndFourMarks)
{
    struct Case
    {
        const char* client;
        const char* escaped;
    };

    const Case cases[] = {{"GLORVAK Sample Manager", "GLORVAK%20Sample%20Manager"},
                          {"a_b-c.d~e", "a_b-c.d~e"},
                          {"Caf\xc3\xa9/?&=+", "Caf%C3%A9%2F%3F%26%3D%2B"}};

    for (const auto& c : cases)
    {
        const auto client = juce::String::fromUTF8 (c.client);
        SCOPED_TRACE (client);
        const auto url = common::WebUploader::makeRequestUrl ("http://127.0.0.1:1/x", client, "1.0", {});
        EXPECT_EQ (url.toString (true), "http://127.0.0.1:1/x?platform=pelmora&client=" +
                                            juce::String (c.escaped) + "&version=1.0");
    }
}

TEST (WebUploader, ReportsTheAnswerOfTheEndpoint)
{
    struct Case
    {
        const char* name;
        LoopbackHttpServer::Response response;
        bool ok;
        juce::String error;
    };

    const juce::String hugeBody = juce::String::repeatedString ("x", 1024 * 1024);

    const Case cases[] = {
        {"accepted", answer (200, "ignored"), true, {}},
        {"server error without body", answer (500), false, "Unknown Error"},
        {"refusal with body", answer (403, "<Error><Message>denied</Message></Error>"), false,
         "<Error><Message>denied</Message></Error>"},
        {"endless body is cut", answer (503, hugeBody), false,
         hugeBody.substring (0, common::WebUploader::maxResponseBodyBytes)},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        LoopbackHttpServer server (c.response);
        common::WebUploader uploader;
        Outcome outcome;

        ASSERT_TRUE (uploader.upload (server.getBaseUrl() + endpointPath, "c", "v", blockOf ("{}\r\n"),
                                      outcome.completion()));
        ASSERT_TRUE (outcome.arrive());
        EXPECT_EQ (outcome.result->wasOk(), c.ok);
        EXPECT_EQ (outcome.result->getErrorMessage(), c.error);
    }
}

TEST (WebUploader, ARefusedConnectionIsAConnectionError)
{
    const auto port = LoopbackHttpServer::findRefusingPort();
    ASSERT_NE (port, 0);

    common::WebUploader uploader;
    Outcome outcome;

    ASSERT_TRUE (uploader.upload ("http://127.0.0.1:" + juce::String (port) + endpointPath, "c", "v",
                                  blockOf ("{}\r\n"), outcome.completion()));
    ASSERT_TRUE (outcome.arrive());
    EXPECT_EQ (outcome.result->getErrorMessage(), "<Error><Message>connection error</Message></Error>");
}

TEST (WebUploader, RefusesASecondUploadWhileTheFirstRuns)
{
    auto held = answer (200);
    held.hold = LoopbackHttpServer::Response::Hold::beforeAnswer;
    LoopbackHttpServer server (held);
    common::WebUploader uploader;
    Outcome first, second;

    ASSERT_TRUE (uploader.upload (server.getBaseUrl() + endpointPath, "c", "v", blockOf ("{}\r\n"),
                                  first.completion()));
    EXPECT_FALSE (uploader.upload (server.getBaseUrl() + endpointPath, "c", "v", blockOf ("{}\r\n"),
                                   second.completion()));

    ASSERT_TRUE (second.result.has_value());
    EXPECT_EQ (second.result->getErrorMessage(), "still running");
    EXPECT_FALSE (first.result.has_value());

    ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getNumRequests() == 1; }));
    server.release();
    ASSERT_TRUE (first.arrive());
    EXPECT_TRUE (first.result->wasOk());
}

TEST (WebUploader, DeletingItWhileARequestIsPendingReportsNothing)
{
    auto held = answer (200);
    held.hold = LoopbackHttpServer::Response::Hold::beforeAnswer;
    LoopbackHttpServer server (held);
    Outcome outcome;

    {
        common::WebUploader uploader;
        ASSERT_TRUE (uploader.upload (server.getBaseUrl() + endpointPath, "c", "v", blockOf ("{}\r\n"),
                                      outcome.completion()));
        ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getNumRequests() == 1; }));
    }

    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_FALSE (outcome.result.has_value());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return server.clientGaveUp(); }));
}

TEST (WebUploader, WithoutAnEndpointNothingIsSent)
{
    common::WebUploader uploader;
    Outcome outcome;

    EXPECT_FALSE (uploader.upload ({}, "c", "v", blockOf ("{}\r\n"), outcome.completion()));
    ASSERT_TRUE (outcome.result.has_value());
    EXPECT_TRUE (outcome.result->failed());
}
} // namespace
