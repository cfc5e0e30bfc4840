#include "common/CrashHandler.h"
#include "common/AppInfo.h"

#include <gmock/gmock.h>

#include <regex>
#include <thread>
#include <unistd.h>

// Every crash happens in a child process that gtest forks for a death test; the test program
// itself never installs the handler.
namespace
{
using common::AppInfo;

constexpr std::uintptr_t faultAddress = 0x10;

[[noreturn]] void crashHere()
{
    common::installCrashHandler();
    *reinterpret_cast<volatile int*> (faultAddress) = 1;
    std::abort();
}

[[noreturn]] void crashInAnotherThread()
{
    common::installCrashHandler();
    std::thread ([] { *reinterpret_cast<volatile int*> (faultAddress) = 1; }).join();
    std::abort();
}

int recurseForever (volatile int depth)
{
    volatile char frame[1024];
    frame[0] = (char)depth;
    return recurseForever (depth + 1) + frame[0];
}

[[noreturn]] void overflowTheStack()
{
    common::installCrashHandler();
    recurseForever (0);
    std::abort();
}

[[noreturn]] void abortHere()
{
    common::installCrashHandler();
    std::abort();
}

// "YYYYMMDD-HHMMSS" of now, local time, as the report name carries it.
std::string localStamp()
{
    return juce::Time::getCurrentTime().formatted ("%Y%m%d-%H%M%S").toStdString();
}

struct Report
{
    juce::File file;
    std::string stamp;
    long processId = 0;
    long threadId = 0;
    juce::String text;
};

class CrashHandlerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET (death_test_style, "fast");
        ASSERT_TRUE (AppInfo::getUserDataFolder().isAChildOf (
            juce::File (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {}))));

        AppInfo::getUserDataFolder().deleteRecursively();
        ASSERT_TRUE (AppInfo::getUserDataFolder().createDirectory());
        before = localStamp();
    }

    void TearDown() override { AppInfo::getUserDataFolder().deleteRecursively(); }

    // The single report in the crash-dump folder, its name taken apart.
    Report onlyReport()
    {
        const auto files = AppInfo::getCrashDumpFolder().findChildFiles (juce::File::findFiles, false);
        EXPECT_EQ (files.size(), 1);
        if (files.size() != 1)
            return {};

        const std::regex pattern (
            "^" + std::regex_replace (prefix(), std::regex (R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
            R"(-(\d{8}-\d{6})-(\d+)-(\d+)\.dmp$)");
        const auto name = files[0].getFileName().toStdString();

        std::smatch match;
        EXPECT_TRUE (std::regex_match (name, match, pattern)) << name;
        if (match.size() != 4)
            return {};

        Report report{files[0], match[1].str(), std::stol (match[2].str()), std::stol (match[3].str()),
                      files[0].loadFileAsString()};

        EXPECT_GE (report.stamp, before);
        EXPECT_LE (report.stamp, localStamp());
        EXPECT_NE (report.processId, (long)getpid()) << "the report must come from the child";
        EXPECT_THAT (report.text.toStdString(),
                     ::testing::HasSubstr ("Process: " + std::to_string (report.processId) + "\n"));
        EXPECT_THAT (report.text.toStdString(),
                     ::testing::HasSubstr ("Thread: " + std::to_string (report.threadId) + "\n"));
        return report;
    }

    static std::string prefix()
    {
        return (AppInfo::getProductName() + "-" + AppInfo::getProductVersion()).toStdString();
    }

    std::string before;
};

std::string section (const juce::String& text, const char* heading)
{
    return text.fromFirstOccurrenceOf (heading, false, false)
        .upToFirstOccurrenceOf ("\n\n", false, false)
        .toStdString();
}

TEST_F (CrashHandlerTest, SegmentationFaultLeavesANamedReportAndStillKillsTheProcess)
{
    ASSERT_FALSE (AppInfo::getCrashDumpFolder().exists());

    EXPECT_EXIT (crashHere(), ::testing::KilledBySignal (SIGSEGV), "");

    const auto report = onlyReport();
    EXPECT_EQ (report.processId, report.threadId) << "the main thread crashed";

    using ::testing::HasSubstr;
    const auto text = report.text.toStdString();
    EXPECT_THAT (text, ::testing::StartsWith (prefix().replace (prefix().find ('-'), 1, " ")));
    EXPECT_THAT (text, HasSubstr ("Signal: 11 (SIGSEGV)"));
    EXPECT_THAT (text, HasSubstr ("Fault address: 0x0000000000000010\n"));

    // The backtrace walks from the handler through this program's frames (module and offset,
    // to be resolved against the module map), and the module map lists the program.
    const auto program = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    const auto backtrace = section (report.text, "Backtrace:\n");
    EXPECT_GE (juce::StringArray::fromLines (backtrace).size(), 3);
    EXPECT_THAT (backtrace,
                 ::testing::ContainsRegex (program.getFileName().toStdString() + "\\(\\+0x[0-9a-f]+\\)"));
    EXPECT_THAT (report.text.fromFirstOccurrenceOf ("Loaded modules:\n", false, false).toStdString(),
                 ::testing::ContainsRegex ("r-xp .* " + program.getFullPathName().toStdString() + "\n"));
}

TEST_F (CrashHandlerTest, CrashInAnotherThreadNamesThatThread)
{
    EXPECT_EXIT (crashInAnotherThread(), ::testing::KilledBySignal (SIGSEGV), "");

    const auto report = onlyReport();
    EXPECT_NE (report.processId, report.threadId);
    EXPECT_THAT (report.text.toStdString(), ::testing::HasSubstr ("Signal: 11 (SIGSEGV)"));
}

TEST_F (CrashHandlerTest, StackOverflowIsReportedFromTheAlternateStack)
{
    EXPECT_EXIT (overflowTheStack(), ::testing::KilledBySignal (SIGSEGV), "");

    const auto report = onlyReport();
    EXPECT_THAT (report.text.toStdString(), ::testing::HasSubstr ("Signal: 11 (SIGSEGV)"));

    // The handler ran although the thread's own stack was full: the backtrace shows the same
    // recursive frame over and over.
    auto frames = juce::StringArray::fromLines (section (report.text, "Backtrace:\n"));
    const auto lastFrame = frames[frames.size() - 1];
    frames.removeString (lastFrame);
    EXPECT_GT (juce::StringArray::fromLines (section (report.text, "Backtrace:\n")).size() - frames.size(),
               50);
}

TEST_F (CrashHandlerTest, AbortIsReportedAndEndsWithSigabrt)
{
    EXPECT_EXIT (abortHere(), ::testing::KilledBySignal (SIGABRT), "");

    const auto report = onlyReport();
    EXPECT_THAT (report.text.toStdString(), ::testing::HasSubstr ("Signal: 6 (SIGABRT)"));
    EXPECT_THAT (report.text.toStdString(),
                 ::testing::HasSubstr ("Sent by process: " + std::to_string (report.processId) + "\n"));
}

TEST_F (CrashHandlerTest, NoUserDataFolderMeansNoFolderAndNoReport)
{
    ASSERT_TRUE (AppInfo::getUserDataFolder().deleteRecursively());

    EXPECT_EXIT (crashHere(), ::testing::KilledBySignal (SIGSEGV), "");

    EXPECT_FALSE (AppInfo::getUserDataFolder().exists());
}

TEST_F (CrashHandlerTest, NullSignalInfoWritesNothing)
{
    common::crashHandler (nullptr);
    EXPECT_FALSE (AppInfo::getCrashDumpFolder().exists());
}
} // namespace
