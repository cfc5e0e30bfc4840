// The usage statistics of the real program over two runs (start, use, quit; start, quit), read
// from its log folder: "status" (the client and what was last reported, with the run's start and
// quit record parked for the next run), "$session" (the records waiting for their upload) and
// "$shutdown" (how long the last shut-down took). The files are enciphered; the test reads them
// with the program's own cipher.

#include "common/usage/CryptoFile.h"
#include "program/ProgramSteps.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace glorvak::test;

namespace
{
juce::Array<juce::var> parseRecordLines (const juce::MemoryBlock& text)
{
    juce::Array<juce::var> records;

    for (const auto& line : juce::StringArray::fromTokens (text.toString(), "\r\n", ""))
        if (line.isNotEmpty())
            records.add (juce::JSON::parse (line));

    return records;
}

juce::String namesOf (const juce::Array<juce::var>& records)
{
    juce::StringArray names;

    for (const auto& record : records)
        names.add (record["name"].toString());

    return names.joinIntoString (",");
}

juce::String asJson (const juce::var& value)
{
    return juce::JSON::toString (value, true);
}

class ProgramUsageStatistics : public ProgramTest
{
protected:
    juce::File logFile (const char* name) const { return user.logFolder().getChildFile (name); }

    juce::var status() const { return common::CryptoFile::getInstance()->readJsonFile (logFile ("status")); }

    juce::Array<juce::var> sessionRecords() const
    {
        const auto data = common::CryptoFile::getInstance()->readJsonRecords (logFile ("$session"));
        return data == nullptr ? juce::Array<juce::var>() : parseRecordLines (data->text);
    }

    juce::StringArray logFileNames() const
    {
        juce::StringArray names;
        for (const auto& file : user.logFolder().findChildFiles (juce::File::findFiles, false))
            names.add (file.getFileName());
        names.sort (false);
        return names;
    }

    // The seconds the last shut-down took, as the program wrote them; NaN when the file is not
    // the 8 bytes of one double.
    double shutdownSeconds() const
    {
        juce::MemoryBlock bytes;
        if (!logFile ("$shutdown").loadFileAsData (bytes) || bytes.getSize() != 8)
            return std::numeric_limits<double>::quiet_NaN();

        juce::uint64 bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | (juce::uint8)bytes[(size_t)i];

        double seconds = 0;
        std::memcpy (&seconds, &bits, sizeof (seconds));
        return seconds;
    }

    /** One run: start, rename the first BANK, quit with alt+F4. While it runs the
        condition is waited for (e.g. an upload). */
    void useOnce (const juce::String& bankName, const std::function<bool()>& whileRunning = nullptr)
    {
        ProgramRun run (user);
        const auto window = run.waitForMainWindow();
        ASSERT_TRUE (window.isValid()) << run.output();
        WindowLayout layout (window.bounds);
        ASSERT_TRUE (renameBank (run, layout.bankRowCentre (0), bankName));

        if (whileRunning != nullptr)
        {
            ASSERT_TRUE (run.waitUntil (whileRunning)) << run.output();
        }

        expectCleanEnd (run, Closing::withKeyboard);
    }
};
} // namespace

TEST_F (ProgramUsageStatistics, WithoutAnEndpointTheStatusAndTheShutdownTimeCarryOverAndNoRecordsPileUp)
{
    // As built by default: no usage-log endpoint, so no record is kept for an upload that never
    // comes, but the client stays the same and each run parks its start and quit record.
    ASSERT_NO_FATAL_FAILURE (useOnce ("First run"));
    EXPECT_EQ (logFileNames(), juce::StringArray ({"$shutdown", "status"}));
    const auto first = status();
    const auto cid = first["Cid"].toString();
    EXPECT_EQ (cid.length(), 32) << asJson (first);
    EXPECT_EQ (first["GuiLangId"].toString(), "en");
    EXPECT_EQ (first["BankCollectionSize"], juce::var (0));
    const auto firstParked = first["$ActionStartQuitTime"];
    ASSERT_TRUE (firstParked.isObject()) << asJson (first);
    EXPECT_EQ (firstParked["cid"].toString(), cid);
    EXPECT_GE (shutdownSeconds(), 0.0);

    ASSERT_NO_FATAL_FAILURE (useOnce ("Second run"));
    EXPECT_EQ (logFileNames(), juce::StringArray ({"$shutdown", "status"}));
    const auto second = status();
    EXPECT_EQ (second["Cid"].toString(), cid) << "the same client";
    EXPECT_EQ (second["OsName"], first["OsName"]);
    const auto secondParked = second["$ActionStartQuitTime"];
    ASSERT_TRUE (secondParked.isObject()) << asJson (second);
    EXPECT_NE (secondParked["session_id"], firstParked["session_id"]) << "parked by the second run";
    EXPECT_GE (shutdownSeconds(), 0.0);
}

TEST_F (ProgramUsageStatistics, WithAnEndpointThatFailsTheSecondRunSendsAndKeepsTheFirstRunsRecords)
{
    LoopbackHttpServer server (LoopbackHttpServer::Response::text (500, "busy"));
    ASSERT_TRUE (server.isListening());
    const juce::String endpoint ("/api/log/v1/log");
    user.setVariable (programVariables::usageLogUrl, server.url (endpoint));

    // First run: nothing earlier to send; its records wait in "$session".
    ASSERT_NO_FATAL_FAILURE (useOnce ("First run"));
    EXPECT_EQ (server.getNumRequests(), 0);
    EXPECT_EQ (logFileNames(), juce::StringArray ({"$session", "$shutdown", "status"}));

    const auto firstRecords = sessionRecords();
    EXPECT_EQ (namesOf (firstRecords), "PC Info,Number of BANKs,Language");
    const auto cid = status()["Cid"].toString();
    ASSERT_FALSE (firstRecords.isEmpty());
    const auto firstSession = firstRecords[0]["session_id"];

    for (const auto& record : firstRecords)
    {
        EXPECT_EQ (record["cid"].toString(), cid);
        EXPECT_EQ (record["session_id"], firstSession);
    }

    const auto parked = status()["$ActionStartQuitTime"];
    ASSERT_TRUE (parked.isObject());
    EXPECT_EQ (parked["session_id"], firstSession);
    const auto firstShutdown = shutdownSeconds();
    EXPECT_GE (firstShutdown, 0.0);

    // Second run: it completes the parked record with the shut-down time, sends everything, is
    // refused, and keeps it all.
    ASSERT_NO_FATAL_FAILURE (useOnce ("Second run", [&] { return server.getNumRequests() >= 1; }));

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1u);
    EXPECT_EQ (requests[0].method, "POST");
    EXPECT_EQ (requests[0].getPath(), endpoint);
    const auto parts = LoopbackHttpServer::parseMultipart (requests[0]);
    ASSERT_EQ (parts.size(), 1u);
    const auto sent = parseRecordLines (parts[0].content);
    ASSERT_EQ (namesOf (sent), "PC Info,Number of BANKs,Language,Start and Quit time");

    for (int i = 0; i < firstRecords.size(); ++i)
        EXPECT_EQ (asJson (sent[i]), asJson (firstRecords[i])) << "record " << i << " sent as written";

    EXPECT_EQ (sent[3]["session_id"], firstSession);
    EXPECT_EQ (sent[3]["value1"], parked["value1"]);
    EXPECT_DOUBLE_EQ ((double)sent[3]["value2"], firstShutdown);

    const auto kept = sessionRecords();
    ASSERT_EQ (kept.size(), sent.size()) << "same BANK count and language: the second run adds nothing else";
    for (int i = 0; i < kept.size(); ++i)
        EXPECT_EQ (asJson (kept[i]), asJson (sent[i])) << "record " << i << " kept";

    EXPECT_EQ (status()["Cid"].toString(), cid);
    EXPECT_NE (status()["$ActionStartQuitTime"]["session_id"], firstSession);
    EXPECT_GE (shutdownSeconds(), 0.0);
}
