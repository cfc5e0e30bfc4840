#include "common/updater/Updater.h"
#include "common/updater/UpdateInfo.h"
#include "common/updater/UpdaterDownloader.h"
#include "common/updater/WebRequest.h"

#include "support/LoopbackHttpServer.h"

#include <gmock/gmock.h>

using common::updater::UpdateInfo;
using common::updater::Updater;
using common::updater::WebRequest;
using glorvak::test::LoopbackHttpServer;

namespace
{
Updater::Options optionsFor (const juce::String& infoUrl, bool allowLoopbackHttp = true)
{
    Updater::Options options;
    options.updateInfoUrl = infoUrl;
    options.productVersion = "1.0.0.0336";
    options.downloadFolder =
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("updater-test");
    options.allowLoopbackHttp = allowLoopbackHttp;
    options.launch = [] (const juce::StringArray&) { return false; };
    options.quit = [] {};
    return options;
}

const juce::String goodDocument = R"({
    "version": "1.0.1.0001",
    "download_url": { "win": "https://example.com/GlorvakSetup.exe", "linux": "https://example.com/glorvak-updater.run" },
    "release_notes": { "en": "Faster export.", "ja": "\u30a8\u30af\u30b9\u30dd\u30fc\u30c8\u304c\u901f\u304f" },
    "extra": [1, 2, 3]
})";
} // namespace

TEST (UpdateInfo, VersionsCompareByTextPartsFromTheLeft)
{
    const struct
    {
        const char* a;
        const char* b;
        bool newer;
    } cases[] = {
        {"1.0.0.0400", "1.0.0.0336", true},
        {"1.0.0.0336", "1.0.0.0400", false},
        {"1.0.0.0336", "1.0.0.0336", false},
        {"1.0.1.0001", "1.0.0.0336", true},
        {"1.0.10", "1.0.9", false},
        {"2", "10", true},
        {"1.0.0.0336.1", "1.0.0.0336", false},
        {"1.0.0.0336", "1.0.0.0336.1", false},
        {"", "1.0", false},
        {"1.0", "", false},
        {"1.0.0.0336", "1.0.0.03360", false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.a) + " vs " + c.b);
        EXPECT_EQ (UpdateInfo::compareVersions (c.a, c.b), c.newer);
    }
}

TEST (UpdateInfo, ReadsVersionThisPlatformsAddressAndNotes)
{
    const auto info = UpdateInfo::parse (goodDocument);
    ASSERT_TRUE (info.has_value());
    EXPECT_EQ (info->version, "1.0.1.0001");
    EXPECT_EQ (info->downloadUrl, "https://example.com/glorvak-updater.run");
    EXPECT_EQ (info->releaseNotes.at ("en"), "Faster export.");
    EXPECT_EQ (info->releaseNotes.at ("ja"), juce::String (juce::CharPointer_UTF8 (
                                                 "\xe3\x82\xa8\xe3\x82\xaf\xe3\x82\xb9\xe3\x83\x9d\xe3\x83"
                                                 "\xbc\xe3\x83\x88\xe3\x81\x8c\xe9\x80\x9f\xe3\x81\x8f")));
    EXPECT_EQ (info->releaseNotes.at ("fr"), "");
    EXPECT_EQ (info->releaseNotes.size(), 9u);

    const auto withoutAddresses =
        UpdateInfo::parse (R"({ "version": "2.0", "download_url": "https://x/y" })");
    ASSERT_TRUE (withoutAddresses.has_value());
    EXPECT_EQ (withoutAddresses->downloadUrl, "");
}

TEST (UpdateInfo, AnythingButAnObjectWithAVersionIsUnreadable)
{
    for (const auto* text : {"", "   ", "not json", "<html><body>502 Bad Gateway</body></html>", "[]", "{}",
                             R"({"version": ""})", R"({"version": null})", R"({"version": {"a": 1}})",
                             R"({"version": "1.0", )", "\"1.0.0\"", "42"})
    {
        SCOPED_TRACE (text);
        EXPECT_FALSE (UpdateInfo::parse (text).has_value());
    }
}

TEST (Updater, OnlyHttpsAddressesAreAccepted)
{
    const Updater product (optionsFor ({}, false));
    const Updater test (optionsFor ({}, true));

    const struct
    {
        const char* address;
        bool product, test;
    } cases[] = {
        {"https://download.example.com/app/updater.run", true, true},
        {"HTTPS://download.example.com/updater.run", true, true},
        {"http://download.example.com/updater.run", false, false},
        {"http://127.0.0.1:8080/updater.run", false, true},
        {"http://127.0.0.1.evil.com/updater.run", false, false},
        {"http://localhost:8080/updater.run", false, false},
        {"ftp://example.com/updater.run", false, false},
        {"file:///tmp/updater.run", false, false},
        {"https://user@evil.com/updater.run", false, false},
        {"https:///updater.run", false, false},
        {"https://example.com/with space.run", false, false},
        {"", false, false},
        {"example.com/updater.run", false, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.address);
        EXPECT_EQ (product.isAcceptableAddress (c.address), c.product);
        EXPECT_EQ (test.isAcceptableAddress (c.address), c.test);
    }
}

TEST (Updater, AVariableCanPointTheCheckOnlyAtThisMachine)
{
    const auto builtIn = Updater::Options::forThisProgram();
    ASSERT_FALSE (builtIn.allowLoopbackHttp);

    const struct
    {
        const char* value;
        bool taken;
    } cases[] = {
        {"http://127.0.0.1:8080/update-info.json", true},
        {"https://evil.example/update-info.json", false},
        {"http://127.0.0.1.evil.example/update-info.json", false},
        {"http://localhost:8080/update-info.json", false},
        {"http://127.0.0.1:80@evil.example/update-info.json", false},
        {"file:///tmp/update-info.json", false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        setenv ("GLORVAK_UPDATE_INFO_URL", c.value, 1);
        const auto options = Updater::Options::forThisProgram();
        unsetenv ("GLORVAK_UPDATE_INFO_URL");

        EXPECT_EQ (options.updateInfoUrl, c.taken ? juce::String (c.value) : builtIn.updateInfoUrl);
        EXPECT_EQ (options.allowLoopbackHttp, c.taken);
    }
}

TEST (UpdaterDownloader, FileNamesAreRefusedOrReducedToSafeCharacters)
{
    const struct
    {
        const char* address;
        const char* name; // empty: refused
    } cases[] = {
        {"https://example.com/files/glorvak-updater_1.0.run", "glorvak-updater_1.0.run"},
        {"https://example.com/files/Setup.exe?token=abc#top", "Setup.exe"},
        {"https://example.com/files/My%20Updater%20(1).run", "My_Updater__1_.run"},
        {"https://example.com/files/%C3%A9t%C3%A9.run", "_t_.run"},
        {"https://example.com/files/a+b.run", "a_b.run"},
        {"https://example.com/files/", ""},
        {"https://example.com", ""},
        {"https://example.com/files/..", ""},
        {"https://example.com/files/.", ""},
        {"https://example.com/files/...", ""},
        {"https://example.com/files/%2E%2E", ""},
        {"https://example.com/files/..%2F..%2Fbin%2Fsh", ""},
        {"https://example.com/files/a%5Cb.exe", ""},
        {"https://example.com/files/a%00b.run", ""},
        {"https://example.com/files/a%0Ab.run", ""},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.address);
        const auto name = Updater::Downloader::makeSafeFileName (juce::URL (c.address));

        EXPECT_EQ (name, c.name);
    }

    EXPECT_EQ (Updater::Downloader::makeSafeFileName (
                   juce::URL ("https://example.com/" + juce::String::repeatedString ("a", 256))),
               "");
}

TEST (UpdaterDownloader, FileSizes)
{
    EXPECT_EQ (Updater::Downloader::formatFileSize (0), "0.0 B");
    EXPECT_EQ (Updater::Downloader::formatFileSize (1023), "1023.0 B");
    EXPECT_EQ (Updater::Downloader::formatFileSize (1536), "1.5 KB");
    EXPECT_EQ (Updater::Downloader::formatFileSize (50 * 1024 * 1024), "50.0 MB");
    EXPECT_EQ (Updater::Downloader::formatFileSize ((juce::int64)3 << 30), "3.0 GB");
    EXPECT_EQ (Updater::Downloader::formatFileSize ((juce::int64)2048 << 30), "2048.0 GB");
}

TEST (Updater, UpdateMessageShowsNotesOnlyWhenThereAreSome)
{
    EXPECT_EQ (Updater::composeUpdateMessage ("1.0.0.0336", "1.0.1.0001", "Faster export."),
               "Current version: 1.0.0.0336\r\nNew version: 1.0.1.0001\r\n\r\nRelease Notes:\r\nFaster "
               "export.\r\n\r\n"
               "Would you like to update now?");
    EXPECT_EQ (Updater::composeUpdateMessage ("1.0.0.0336", "1.0.1.0001", ""),
               "Current version: 1.0.0.0336\r\nNew version: 1.0.1.0001\r\n\r\nWould you like to update now?");
}

//==============================================================================
TEST (Updater, FetchesTheDocumentOnlyFromAWorkingServer)
{
    LoopbackHttpServer server;
    server.setRoute ("/ok.json", LoopbackHttpServer::Response::text (200, goodDocument));
    server.setRoute ("/missing.json", LoopbackHttpServer::Response::text (404, goodDocument));
    server.setRoute ("/broken.json", LoopbackHttpServer::Response::text (500, goodDocument));
    server.setRoute ("/malformed.json",
                     LoopbackHttpServer::Response::text (200, "{ \"version\": \"1.0.1.0001\", "));
    server.setRoute ("/array.json", LoopbackHttpServer::Response::text (200, "[]"));
    auto redirect = LoopbackHttpServer::Response::text (302, "");
    redirect.extraHeaders = "Location: " + server.url ("/ok.json") + "\r\n";
    server.setRoute ("/moved.json", redirect);
    auto huge = LoopbackHttpServer::Response::text (200, goodDocument);
    huge.sendContentLength = false;
    huge.body.setSize (2 * 1024 * 1024, true);
    server.setRoute ("/huge.json", huge);

    const struct
    {
        const char* path;
        bool readable;
    } cases[] = {
        {"/ok.json", true},     {"/missing.json", false}, {"/broken.json", false}, {"/malformed.json", false},
        {"/array.json", false}, {"/moved.json", false},   {"/huge.json", false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.path);
        const Updater updater (optionsFor (server.url (c.path)));
        const auto info = updater.fetchUpdateInfo (nullptr);
        EXPECT_EQ (info.has_value(), c.readable);

        if (info.has_value())
        {
            EXPECT_TRUE (updater.isNewerVersion (*info));
        }
    }

    EXPECT_EQ (server.getNumRequests ("/ok.json"), 1); // the redirect was not followed

    const Updater refused (optionsFor ("http://127.0.0.1:" + juce::String (1) + "/ok.json"));
    EXPECT_FALSE (refused.fetchUpdateInfo (nullptr).has_value());

    // The product never talks plain HTTP, not even to this machine.
    const Updater product (optionsFor (server.url ("/ok.json"), false));
    EXPECT_FALSE (product.fetchUpdateInfo (nullptr).has_value());
    EXPECT_EQ (server.getNumRequests ("/ok.json"), 1);
}

TEST (Updater, ReadsALocalDocument)
{
    juce::TemporaryFile document (".json");
    ASSERT_TRUE (document.getFile().replaceWithText (goodDocument));
    const Updater updater (optionsFor (juce::URL (document.getFile()).toString (false), false));
    const auto info = updater.fetchUpdateInfo (nullptr);
    ASSERT_TRUE (info.has_value());
    EXPECT_EQ (info->version, "1.0.1.0001");
}

// A document whose bytes are not UTF-8 (an error page in Latin-1, a torn character at the end)
// once became a string that the JSON reader followed past its end; it is no document now, while
// one in UTF-16 with its mark still reads.
TEST (WebRequest, ReadsOnlyBytesThatAreText)
{
    juce::TemporaryFile document (".json");
    const auto read = [&] (const std::string& bytes)
    {
        EXPECT_TRUE (document.getFile().replaceWithData (bytes.data(), bytes.size()));
        return WebRequest::readText (juce::URL (document.getFile()), 1000, 1 << 20, nullptr);
    };

    EXPECT_FALSE (read ("{\"version\": \"1\"}\xd1").has_value());
    EXPECT_FALSE (read ("<html>Fehler: \xfc"
                        "berlastet</html>")
                      .has_value());
    EXPECT_EQ (read (std::string ("\xfe\xff\0{\0}", 6)), "{}");

    const auto text = read ("{\"version\": \"1.0.1\", \"release_notes\": {\"ja\": \"\xe4\xbf\xae\"}}");
    ASSERT_TRUE (text.has_value());
    EXPECT_EQ (UpdateInfo::parse (*text)->version, "1.0.1");
}

TEST (WebRequest, TransfersOnlyWholeAnswersWithinTheLimit)
{
    LoopbackHttpServer server;
    auto body = LoopbackHttpServer::Response::text (200, juce::String::repeatedString ("0123456789", 10000));
    server.setRoute ("/file", body);
    auto truncated = body;
    truncated.announcedLength = 200000;
    server.setRoute ("/truncated", truncated);
    auto unannounced = body;
    unannounced.sendContentLength = false;
    server.setRoute ("/unannounced", unannounced);

    const struct
    {
        const char* path;
        juce::int64 limit;
        WebRequest::Outcome outcome;
    } cases[] = {
        {"/file", 100000, WebRequest::Outcome::ok},
        {"/unannounced", 100000, WebRequest::Outcome::ok},
        {"/file", 99999, WebRequest::Outcome::tooLarge},
        {"/unannounced", 99999, WebRequest::Outcome::tooLarge},
        {"/truncated", 1000000, WebRequest::Outcome::incomplete},
        {"/nothing-here", 100000, WebRequest::Outcome::badStatus},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.path);
        juce::MemoryOutputStream out;
        juce::int64 lastDone = -1, lastTotal = -2;
        WebRequest request (juce::URL (server.url (c.path)), 3000, c.limit, nullptr);
        EXPECT_EQ (request.readInto (out,
                                     [&] (juce::int64 done, juce::int64 total)
                                     {
                                         lastDone = done;
                                         lastTotal = total;
                                     }),
                   c.outcome);

        if (c.outcome == WebRequest::Outcome::ok)
        {
            EXPECT_EQ (out.getDataSize(), 100000u);
            EXPECT_EQ (lastDone, 100000);
            EXPECT_EQ (lastTotal, juce::String (c.path) == "/file" ? 100000 : -1);
        }
    }
}

TEST (WebRequest, EndsAtOnceWhenItsThreadIsAskedToExit)
{
    LoopbackHttpServer server;
    auto slow = LoopbackHttpServer::Response::text (200, juce::String::repeatedString ("x", 100000));
    slow.hold = LoopbackHttpServer::Response::Hold::midBody;
    server.setRoute ("/slow", slow);

    struct Worker : juce::Thread
    {
        Worker (const juce::String& address)
            : juce::Thread ("worker")
            , url (address)
        {
        }
        void run() override
        {
            juce::MemoryOutputStream out;
            outcome = WebRequest (juce::URL (url), 20000, 1 << 20, this)
                          .readInto (out,
                                     [this] (juce::int64, juce::int64)
                                     {
                                         started = true; // connected; half the body is on its way
                                     });
        }
        juce::String url;
        std::atomic<bool> started{false};
        std::atomic<WebRequest::Outcome> outcome{WebRequest::Outcome::ok};
    } worker (server.url ("/slow"));

    worker.startThread();

    while (!worker.started && worker.isThreadRunning())
        juce::Thread::sleep (5);

    // The server holds the rest of the body until it is released, and the request's own time-out
    // is 20 s: only the cancellation ends the thread sooner.
    EXPECT_TRUE (worker.stopThread (15000));
    EXPECT_EQ (worker.outcome.load(), WebRequest::Outcome::cancelled);
}

TEST (UpdateInfo, DeeplyNestedDocumentIsUnreadableNotACrash)
{
    // Within the size limit, but nested far deeper than any real document.
    const auto depth = 500000;
    const auto text = "{\"version\": \"2.0\", \"x\": " + juce::String::repeatedString ("[", depth) +
                      juce::String::repeatedString ("]", depth) + "}";
    ASSERT_LE (text.getNumBytesAsUTF8(), (size_t)1024 * 1024);
    EXPECT_FALSE (UpdateInfo::parse (text).has_value());
}
