#include "common/usage/UsageLogger.h"

#include "common/usage/CryptoFile.h"
#include "support/LoopbackHttpServer.h"
#include "support/MessagePump.h"

#include <gmock/gmock.h>

#include <atomic>
#include <regex>
#include <set>
#include <thread>

namespace
{
using common::UsageLogger;
using glorvak::test::LoopbackHttpServer;
using glorvak::test::pumpMessagesUntil;

juce::Array<juce::var> parseLines (const juce::MemoryBlock& text)
{
    juce::Array<juce::var> records;
    const auto lines = juce::StringArray::fromTokens (
        juce::String::fromUTF8 (static_cast<const char*> (text.getData()), (int)text.getSize()), "\r\n", "");

    for (const auto& line : lines)
        if (line.isNotEmpty())
            records.add (juce::JSON::parse (line));

    return records;
}

juce::StringArray namesOf (const juce::Array<juce::var>& records)
{
    juce::StringArray names;

    for (const auto& record : records)
        names.add (record["name"].toString());

    return names;
}

LoopbackHttpServer::Response answer (int status)
{
    LoopbackHttpServer::Response response;
    response.status = status;
    return response;
}

class UsageLoggerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (folder.createDirectory().wasOk()); }

    void TearDown() override
    {
        UsageLogger::endProcess();
        UsageLogger::setEnvironment (std::nullopt);
        folder.deleteRecursively();
    }

    void startRun (const juce::String& baseUrl, juce::int64 maxSessionBytes = 2 * 1024 * 1024)
    {
        UsageLogger::Environment environment;
        environment.logFolder = folder;
        environment.uploadUrl = baseUrl.isEmpty() ? juce::String() : baseUrl + "/api/log/v1/log";
        environment.productName = "GLORVAK Sample Manager";
        environment.productVersion = "1.0.0.0336";
        environment.osName = osName;
        environment.osVersion = "6.1.0";
        environment.now = [this] { return clock; };
        environment.processStart = [] { return 1000.0; };
        environment.maxSessionBytes = maxSessionBytes;

        UsageLogger::setEnvironment (environment);
        UsageLogger::start();
    }

    // A run that ends the way the program's does: stop, then process exit.
    void endRun (int numberOfBanks = 5, const juce::String& language = "en")
    {
        UsageLogger::stop (numberOfBanks, language);
        UsageLogger::endProcess();
    }

    static juce::String refusingUrl()
    {
        return "http://127.0.0.1:" + juce::String (LoopbackHttpServer::findRefusingPort());
    }

    juce::Array<juce::var> sessionRecords() const
    {
        const auto data = common::CryptoFile::getInstance()->readJsonRecords (sessionFile);
        return data == nullptr ? juce::Array<juce::var>() : parseLines (data->text);
    }

    juce::var status() const
    {
        return common::CryptoFile::getInstance()->readJsonFile (folder.getChildFile ("status"));
    }

    juce::File folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                            .getNonexistentChildFile ("usagelogger", "", false);
    juce::File sessionFile = folder.getChildFile ("$session");
    juce::File shutdownFile = folder.getChildFile ("$shutdown");
    juce::String osName = "Debian GNU/Linux 12 (bookworm)";
    double clock = 1002.5;
};

TEST_F (UsageLoggerTest, FirstStartMakesAClientAndReportsThePc)
{
    startRun (refusingUrl());
    EXPECT_FALSE (UsageLogger::isUploading()); // nothing from earlier runs

    const auto records = sessionRecords();
    ASSERT_EQ (records.size(), 1);
    const auto& pcInfo = records[0];

    juce::StringArray keys;

    for (const auto& property : pcInfo.getDynamicObject()->getProperties())
        keys.add (property.name.toString());

    EXPECT_EQ (keys.joinIntoString (","),
               "session_id,time,cid,uid,app_name,app_ver,action,category,name,str1,str2");
    EXPECT_TRUE (pcInfo["uid"].isVoid());
    EXPECT_EQ (pcInfo["action"], juce::var ("Static"));
    EXPECT_EQ (pcInfo["category"], juce::var ("BASIC"));
    EXPECT_EQ (pcInfo["name"], juce::var ("PC Info"));
    EXPECT_EQ (pcInfo["str1"], juce::var (osName));
    EXPECT_EQ (pcInfo["str2"], juce::var ("6.1.0"));
    EXPECT_EQ (pcInfo["app_name"], juce::var ("GLORVAK Sample Manager"));
    EXPECT_TRUE (std::regex_match (pcInfo["time"].toString().toStdString(),
                                   std::regex ("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}")));

    endRun();
    const auto saved = status();
    EXPECT_TRUE (saved["Cid"].toString().containsOnly ("0123456789abcdef"));
    EXPECT_EQ (saved["Cid"].toString().length(), 32);
    EXPECT_EQ (saved["Cid"], pcInfo["cid"]);
    EXPECT_EQ (saved["OsName"], juce::var (osName));
    EXPECT_EQ (saved["BankCollectionSize"], juce::var (5));
    EXPECT_EQ (saved["GuiLangId"], juce::var ("en"));
}

TEST_F (UsageLoggerTest, RunNsStartAndQuitRecordIsCompletedAndSentByRunNPlusOne)
{
    // Run N: no upload yet, its records stay in "$session".
    startRun (refusingUrl());
    UsageLogger::countBpmCalc();
    UsageLogger::countExport();
    UsageLogger::countExport();
    UsageLogger::logBankGeneral (3, 2);
    const auto runNSession = sessionRecords()[0]["session_id"];

    clock = 1100.0;
    UsageLogger::stop (5, "en");
    clock = 1100.75;
    UsageLogger::endProcess();

    juce::MemoryBlock shutdownBytes;
    ASSERT_TRUE (shutdownFile.loadFileAsData (shutdownBytes));
    const juce::uint8 expectedShutdown[] = {0, 0, 0, 0, 0, 0, 0xe8, 0x3f}; // 0.75, little-endian
    EXPECT_EQ (shutdownBytes, juce::MemoryBlock (expectedShutdown, sizeof (expectedShutdown)));
    EXPECT_TRUE (status()["$ActionStartQuitTime"].isObject());

    // Run N+1: the record is completed, appended and uploaded with everything before it.
    LoopbackHttpServer server (answer (200));
    clock = 2000.0;
    startRun (server.getBaseUrl());
    ASSERT_TRUE (pumpMessagesUntil ([] { return !UsageLogger::isUploading(); }));

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1u);
    EXPECT_TRUE (requests[0].target.startsWith (
        "/api/log/v1/log?platform=pelmora&client=GLORVAK%20Sample%20Manager&version=1.0.0.0336"));

    const auto parts = LoopbackHttpServer::parseMultipart (requests[0]);
    ASSERT_EQ (parts.size(), 1u);
    const auto sent = parseLines (parts[0].content);

    EXPECT_EQ (namesOf (sent).joinIntoString (","),
               "PC Info,General,BPM Calc,Export,Number of BANKs,Language,Start and Quit time");
    EXPECT_EQ (sent[3]["value1"], juce::var (2));
    EXPECT_EQ (sent[4]["value1"], juce::var (5));
    EXPECT_EQ (sent[5]["str1"], juce::var ("en"));

    const auto& startQuit = sent[6];
    EXPECT_EQ (startQuit["session_id"], runNSession);
    EXPECT_DOUBLE_EQ ((double)startQuit["value1"], 2.5);
    EXPECT_DOUBLE_EQ ((double)startQuit["value2"], 0.75);

    EXPECT_FALSE (shutdownFile.exists());
    EXPECT_TRUE (sessionRecords().isEmpty()); // accepted, so dropped

    // Same BANK count, language and PC as last time: nothing but the parked record.
    endRun (5, "en");
    EXPECT_TRUE (sessionRecords().isEmpty());
    EXPECT_NE (status()["$ActionStartQuitTime"]["session_id"], runNSession);
}

TEST_F (UsageLoggerTest, OnlyAnAcceptedUploadDropsTheRecords)
{
    struct Case
    {
        const char* name;
        int status; // 0: nothing listens
        int recordsLeft;
    };

    const Case cases[] = {{"accepted", 200, 0}, {"server error", 500, 4}, {"refused", 0, 4}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ASSERT_TRUE (folder.deleteRecursively() && folder.createDirectory().wasOk());
        startRun (refusingUrl());
        endRun();

        LoopbackHttpServer server (answer (c.status));
        startRun (c.status == 0 ? refusingUrl() : server.getBaseUrl());
        ASSERT_TRUE (pumpMessagesUntil ([] { return !UsageLogger::isUploading(); }));

        // The last run's "PC Info", "Number of BANKs" and "Language", and its completed "Start and Quit
        // time".
        EXPECT_EQ (sessionRecords().size(), c.recordsLeft);
        EXPECT_EQ (server.getNumRequests(), c.status == 0 ? 0 : 1);

        endRun();
    }
}

TEST_F (UsageLoggerTest, RecordsWrittenWhileTheUploadRunsStay)
{
    startRun (refusingUrl());
    endRun();

    auto held = answer (200);
    held.hold = LoopbackHttpServer::Response::Hold::beforeAnswer;
    LoopbackHttpServer server (held);
    startRun (server.getBaseUrl());
    ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getNumRequests() == 1; }));

    UsageLogger::logFileInfo (false, ".wav", 2304000, 48000, 24);
    UsageLogger::logFileInfo (false, ".aif", 2304000, 48000, 24);

    server.release();
    ASSERT_TRUE (pumpMessagesUntil ([] { return !UsageLogger::isUploading(); }));

    const auto records = sessionRecords();
    ASSERT_EQ (records.size(), 2);
    EXPECT_EQ (records[0]["str2"], juce::var ("WAV"));
    EXPECT_EQ (records[1]["str2"], juce::var ("AIF"));
}

TEST_F (UsageLoggerTest, TheSessionFileIsCappedOldestFirstAlsoWhileAnUploadRuns)
{
    constexpr juce::int64 cap = 3000;

    // Run N piles up far more than the cap while nothing accepts the records.
    startRun (refusingUrl(), cap);

    for (int i = 0; i < 40; ++i)
        UsageLogger::logBankInfo (i, 1.0, 4);

    EXPECT_LE (sessionFile.getSize(), cap);
    auto records = sessionRecords();
    ASSERT_FALSE (records.isEmpty());
    EXPECT_EQ (records.getLast()["str1"], juce::var ("39"));
    endRun();

    // Run N+1: the cap drops records from the front while the upload of the older ones is pending;
    // accepting it must not cut into what came after.
    auto held = answer (200);
    held.hold = LoopbackHttpServer::Response::Hold::beforeAnswer;
    LoopbackHttpServer server (held);
    startRun (server.getBaseUrl(), cap);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getNumRequests() == 1; }));

    for (int i = 0; i < 40; ++i)
        UsageLogger::logFileInfo (false, ".e" + juce::String (i), 0, 44100, 16);

    server.release();
    ASSERT_TRUE (pumpMessagesUntil ([] { return !UsageLogger::isUploading(); }));

    const auto data = common::CryptoFile::getInstance()->readJsonRecords (sessionFile);
    ASSERT_NE (data, nullptr);
    EXPECT_EQ (data->consumed, sessionFile.getSize());
    records = parseLines (data->text);
    ASSERT_FALSE (records.isEmpty());

    for (const auto& record : records)
        EXPECT_EQ (record["name"], juce::var ("File Info"));

    EXPECT_EQ (records.getLast()["str2"], juce::var ("E39"));
}

TEST_F (UsageLoggerTest, ConcurrentAppendsFromTwoThreadsLoseNothing)
{
    startRun (refusingUrl());
    constexpr int perThread = 150;

    const auto writer = [] (int bank)
    {
        for (int i = 0; i < perThread; ++i)
            UsageLogger::logSlotInfo (bank, i, false, 1.0, 0.0, 120.0, 4.0);
    };

    std::thread first (writer, 1);
    std::thread second (writer, 2);

    for (int i = 0; i < perThread; ++i)
        UsageLogger::logFileInfo (true, ".mp3", 0, 44100, 16);

    first.join();
    second.join();

    std::set<juce::String> seen;
    int fileInfos = 0;

    for (const auto& record : sessionRecords())
    {
        if (record["name"] == juce::var ("SLOT Info"))
            seen.insert (record["str1"].toString());
        else if (record["name"] == juce::var ("File Info"))
            ++fileInfos;
    }

    EXPECT_EQ (seen.size(), 2u * perThread);
    EXPECT_EQ (fileInfos, perThread);
}

TEST_F (UsageLoggerTest, StopWhileAnExportStillWritesLeavesOnlyWholeRecords)
{
    startRun (refusingUrl());
    std::atomic<bool> running{true};
    std::atomic<int> written{0};

    std::thread exporter (
        [&]
        {
            while (running)
            {
                UsageLogger::logBankInfo (1, 2.0, 3);
                UsageLogger::countExport();
                ++written;
            }
        });

    ASSERT_TRUE (pumpMessagesUntil ([&] { return written > 20; }));
    UsageLogger::stop (1, "de");
    running = false;
    exporter.join();

    const auto data = common::CryptoFile::getInstance()->readJsonRecords (sessionFile);
    ASSERT_NE (data, nullptr);
    EXPECT_EQ (data->consumed, sessionFile.getSize());

    for (const auto& record : parseLines (data->text))
        EXPECT_TRUE (record.isObject());
}

TEST_F (UsageLoggerTest, OutsideARunNothingIsWritten)
{
    UsageLogger::logBankInfo (1, 2.0, 3);
    UsageLogger::logFileInfo (false, ".wav", 0, 44100, 16);
    UsageLogger::countRestore();
    UsageLogger::stop (1, "en");
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 0);

    startRun (refusingUrl());
    UsageLogger::stop (1, "en");
    const auto before = sessionRecords().size();

    UsageLogger::logBankGeneral (1, 1);
    UsageLogger::logSlotInfo (1, 1, false, 1.0, 0.0, 0.0, 0.0);
    EXPECT_EQ (sessionRecords().size(), before);
}

TEST_F (UsageLoggerTest, WithoutAnEndpointNoRecordsPileUp)
{
    ASSERT_TRUE (common::CryptoFile::getInstance()->appendJsonRecord (sessionFile, "left over"));

    startRun ({});
    UsageLogger::logBankInfo (1, 2.0, 3);
    EXPECT_FALSE (UsageLogger::isUploading());
    EXPECT_FALSE (sessionFile.exists());

    endRun();
    EXPECT_FALSE (sessionFile.exists());
    EXPECT_TRUE (status()["Cid"].toString().isNotEmpty());
}

TEST (UsageLoggerSystemEnvironment, AnEndpointFromTheEnvironmentIsTakenOnlyOnThisMachine)
{
    const auto builtIn = UsageLogger::getSystemEnvironment().uploadUrl;
    const struct
    {
        const char* value;
        bool taken;
    } cases[] = {
        {"http://127.0.0.1:8080/api/log/v1/log", true},
        {"https://log.evil.example/api/log/v1/log", false},
        {"http://127.0.0.1:80@log.evil.example/api/log/v1/log", false},
        {"http://localhost:8080/api/log/v1/log", false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        setenv ("GLORVAK_USAGE_LOG_URL", c.value, 1);
        const auto environment = UsageLogger::getSystemEnvironment();
        unsetenv ("GLORVAK_USAGE_LOG_URL");

        EXPECT_EQ (environment.uploadUrl, c.taken ? juce::String (c.value) : builtIn);
    }
}

TEST_F (UsageLoggerTest, EventRecordsCarryTheirTextsAndNumbers)
{
    startRun (refusingUrl());
    UsageLogger::logSlotInfo (1, 2, true, 1.5, -3.0, 120.0, 4.0);
    UsageLogger::logSlotInfo (2, 4, true, 2.0, 0.0, 0.0, 0.0);
    UsageLogger::logSlotInfo (3, 3, false, 2.0, 0.0, 0.0, 0.0);
    UsageLogger::logFileInfo (true, ".mp3", 0, 44100, 16);
    UsageLogger::logFileInfo (false, "..flac", 320500, 96000, 24);
    UsageLogger::logBankInfo (7, 12.5, 3);

    struct Expected
    {
        const char* texts;
        const char* numbers;
    };

    const Expected expected[] = {
        {"1-2", "1.5,-3.0,120.0,4.0"}, {"2-4,LOOP", "2.0,0.0,0.0,0.0"}, {"3-3,1SHOT", "2.0,0.0,0.0,0.0"},
        {"PRESET,MP3,VBR", "44,16"},   {"USER,FLAC,320kbps", "96,24"},  {"7", "12.5,3"},
    };

    const auto records = sessionRecords();
    ASSERT_EQ (records.size(), 1 + (int)std::size (expected)); // after "PC Info"

    for (int i = 0; i < (int)std::size (expected); ++i)
    {
        SCOPED_TRACE (i);
        const auto& record = records[i + 1];
        juce::StringArray texts, numbers;

        for (int n = 1; record.hasProperty ("str" + juce::String (n)); ++n)
            texts.add (record[juce::Identifier ("str" + juce::String (n))]);

        for (int n = 1; record.hasProperty ("value" + juce::String (n)); ++n)
            numbers.add (juce::JSON::toString (record[juce::Identifier ("value" + juce::String (n))]));

        EXPECT_EQ (texts.joinIntoString (","), expected[i].texts);
        EXPECT_EQ (numbers.joinIntoString (","), expected[i].numbers);
    }
}
} // namespace
