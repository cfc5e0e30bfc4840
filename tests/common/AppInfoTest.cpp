#include "common/AppInfo.h"

#include <BuildInfo.h>

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using common::AppInfo;

// What every folder of the record should be, for one environment.
struct FolderCase
{
    const char* name;
    const char* home;
    const char* xdgDataHome;
    const char* xdgCacheHome;
    const char* productName;
    const char* expectedUserData; // empty: no folder at all
    const char* expectedTemp;
};

const FolderCase folderCases[] = {
    {"XDG folders set", "/home/ann", "/srv/data", "/srv/cache", "GLORVAK Sample Manager",
     "/srv/data/Quorvane/GLORVAK Sample Manager", "/srv/cache/Quorvane/GLORVAK Sample Manager/tmp"},
    {"XDG folders unset fall back below home", "/home/ann", "", "", "GLORVAK Sample Manager",
     "/home/ann/.local/share/Quorvane/GLORVAK Sample Manager",
     "/home/ann/.cache/Quorvane/GLORVAK Sample Manager/tmp"},
    {"relative XDG folders are ignored", "/home/ann", "data", "./cache", "GLORVAK Sample Manager",
     "/home/ann/.local/share/Quorvane/GLORVAK Sample Manager",
     "/home/ann/.cache/Quorvane/GLORVAK Sample Manager/tmp"},
    {"empty product name uses the maker folder itself", "/home/ann", "/srv/data", "", "",
     "/srv/data/Quorvane", "/home/ann/.cache/Quorvane/tmp"},
    {"no home and no XDG folders gives no folders", "", "", "", "GLORVAK Sample Manager", "", ""},
    {"relative home is not a base", "ann", "", "", "GLORVAK Sample Manager", "", ""},
};

juce::File fileOrNone (const char* path)
{
    return *path == 0 ? juce::File() : juce::File (path);
}

TEST (AppInfoRecord, FolderLayoutFollowsXdgFoldersWithHomeFallback)
{
    for (const auto& c : folderCases)
    {
        SCOPED_TRACE (c.name);

        AppInfo::Environment environment;
        environment.home = c.home;
        environment.xdgDataHome = c.xdgDataHome;
        environment.xdgCacheHome = c.xdgCacheHome;
        environment.productName = c.productName;

        const auto record = AppInfo::makeRecord (environment);
        const auto userData = fileOrNone (c.expectedUserData);

        EXPECT_EQ (record.userDataFolder, userData);
        EXPECT_EQ (record.settingsFolder,
                   *c.expectedUserData == 0 ? juce::File() : userData.getChildFile ("settings"));
        EXPECT_EQ (record.logFolder, *c.expectedUserData == 0 ? juce::File() : userData.getChildFile ("log"));
        EXPECT_EQ (record.crashDumpFolder,
                   *c.expectedUserData == 0 ? juce::File() : userData.getChildFile ("crashdump"));
        EXPECT_EQ (record.tempFolder, fileOrNone (c.expectedTemp));
    }
}

TEST (AppInfoRecord, InstalledFilesLieBesideTheExecutable)
{
    AppInfo::Environment environment;
    environment.executableFile = juce::File ("/opt/quorvane/bin/GLORVAK_Sample_Manager");

    const auto record = AppInfo::makeRecord (environment);
    EXPECT_EQ (record.factorySamplesFolder, juce::File ("/opt/quorvane/bin/FactorySamples"));
    EXPECT_EQ (record.translationsFolder, juce::File ("/opt/quorvane/bin/Translations"));
    EXPECT_EQ (record.licenseNoticeFile, juce::File ("/opt/quorvane/bin/Software_License_Notice.txt"));

    const auto withoutExecutable = AppInfo::makeRecord (AppInfo::Environment());
    EXPECT_EQ (withoutExecutable.factorySamplesFolder, juce::File());
    EXPECT_EQ (withoutExecutable.licenseNoticeFile, juce::File());
}

TEST (AppInfoRecord, EndpointsAreEmptyWhenTheirServerIsSwitchedOff)
{
    AppInfo::Environment environment;
    EXPECT_EQ (AppInfo::makeRecord (environment).usageLogUrl, "");
    EXPECT_EQ (AppInfo::makeRecord (environment).updateInfoUrl, "");

    environment.usageLogServerUrl = "https://log.quorvane.example";
    environment.downloadServerUrl = "https://download.quorvane.example/";
    const auto record = AppInfo::makeRecord (environment);
    EXPECT_EQ (record.usageLogUrl, "https://log.quorvane.example/api/log/v1/log");
    EXPECT_EQ (record.updateInfoUrl,
               "https://download.quorvane.example/application/tessaline/update-info.json");

    EXPECT_EQ (AppInfo::makeEndpoint ("   ", "/x"), "");
    EXPECT_EQ (AppInfo::makeEndpoint ("http://127.0.0.1:8080//", "/x"), "http://127.0.0.1:8080/x");
}

TEST (AppInfoLoopback, OnlyAPortAndPathOnThisMachineAreTaken)
{
    const struct
    {
        const char* address;
        bool taken;
    } cases[] = {
        {"http://127.0.0.1:8080/update-info.json", true},
        {"http://127.0.0.1:1/", true},
        {"http://127.0.0.1:8080", false},
        {"http://127.0.0.1:/x", false},
        {"http://127.0.0.1:80@evil.example/x", false},
        {"http://127.0.0.1:80/x@evil.example", false},
        {"http://127.0.0.1:8o/x", false},
        {"http://127.0.0.1:123456/x", false},
        {"http://127.0.0.1.evil.example/x", false},
        {"http://127.0.0.1:80/a b", false},
        {"https://127.0.0.1:80/x", false},
        {"http://localhost:80/x", false},
        {"", false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.address);
        EXPECT_EQ (AppInfo::isLoopbackAddress (c.address), c.taken);

        setenv ("GLORVAK_TEST_LOOPBACK", c.address, 1);
        EXPECT_EQ (AppInfo::loopbackAddressFromVariable ("GLORVAK_TEST_LOOPBACK"),
                   c.taken ? juce::String (c.address) : juce::String());
        unsetenv ("GLORVAK_TEST_LOOPBACK");
    }
}

TEST (AppInfoRecord, OsFactsComeFromOsReleaseAndKernel)
{
    AppInfo::Environment environment;
    environment.osReleaseText = "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n";
    environment.kernelRelease = "6.1.0-18-amd64";

    const auto record = AppInfo::makeRecord (environment);
    EXPECT_EQ (record.osName, "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ (record.osVersion, "6.1.0-18-amd64");
}

//==============================================================================
struct OsReleaseCase
{
    const char* name;
    const char* text;
    const char* expectedOsName;
};

const OsReleaseCase osReleaseCases[] = {
    {"Debian 12",
     "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n"
     "VERSION=\"12 (bookworm)\"\nVERSION_CODENAME=bookworm\nID=debian\n"
     "HOME_URL=\"https://www.debian.org/\"\n",
     "Debian GNU/Linux 12 (bookworm)"},
    {"unquoted value", "PRETTY_NAME=Alpine\n", "Alpine"},
    {"single quotes keep backslashes", "PRETTY_NAME='A \\\"B\\\"'\n", "A \\\"B\\\""},
    {"double-quote escapes", "PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME \\`x\\`\"\n",
     "Say \"hi\" \\ $HOME `x`"},
    {"comments, blank lines, CRLF and spaces around the line",
     "# comment\r\n\r\n   PRETTY_NAME=\"Fedora Linux 39\"   \r\n", "Fedora Linux 39"},
    {"last assignment wins", "PRETTY_NAME=\"One\"\nPRETTY_NAME=\"Two\"\n", "Two"},
    {"equals sign inside the value", "PRETTY_NAME=\"a=b\"\n", "a=b"},
    {"no pretty name: name and version", "NAME=\"Arch Linux\"\nVERSION=\"rolling\"\n", "Arch Linux rolling"},
    {"name only", "NAME=Gentoo\n", "Gentoo"},
    {"empty pretty name falls back", "PRETTY_NAME=\"\"\nNAME=Void\n", "Void"},
    {"unterminated quote is skipped", "PRETTY_NAME=\"Broken\nNAME=Solid\n", "Solid"},
    {"unquoted blank inside value is malformed", "PRETTY_NAME=two words\nNAME=Solid\n", "Solid"},
    {"lower-case key is not a key", "pretty_name=nope\n", "Linux"},
    {"nothing usable", "", "Linux"},
    {"binary garbage", "\x01\x02=\x03\n=\n==\n\"", "Linux"},
};

TEST (AppInfoOsRelease, OsNameFromOsReleaseText)
{
    for (const auto& c : osReleaseCases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (AppInfo::osNameFromOsRelease (juce::String::fromUTF8 (c.text)),
                   juce::String (c.expectedOsName));
    }
}

TEST (AppInfoOsRelease, ReadsEtcThenUsrLibBelowTheGivenRoot)
{
    const auto root = juce::File::createTempFile ("root");
    ASSERT_TRUE (root.createDirectory());

    EXPECT_EQ (AppInfo::readOsReleaseText (root), "");

    ASSERT_TRUE (root.getChildFile ("usr/lib").createDirectory());
    ASSERT_TRUE (root.getChildFile ("usr/lib/os-release").replaceWithText ("NAME=Vendor\n"));
    EXPECT_EQ (AppInfo::osNameFromOsRelease (AppInfo::readOsReleaseText (root)), "Vendor");

    ASSERT_TRUE (root.getChildFile ("etc").createDirectory());
    ASSERT_TRUE (root.getChildFile ("etc/os-release").replaceWithText ("NAME=Admin\n"));
    EXPECT_EQ (AppInfo::osNameFromOsRelease (AppInfo::readOsReleaseText (root)), "Admin");

    root.deleteRecursively();
}

//==============================================================================
// The test main points the XDG folders at a private folder, so the live record lies there.
TEST (AppInfoLive, RecordOfThisProcess)
{
    EXPECT_EQ (AppInfo::getProductName(), juce::String (buildinfo::productName));
    EXPECT_EQ (AppInfo::getProductName(), "GLORVAK Sample Manager");
    EXPECT_EQ (AppInfo::getProductVersion(), juce::String (buildinfo::productVersion));
    EXPECT_EQ (juce::StringArray::fromTokens (AppInfo::getProductVersion(), ".", "").size(), 4);
    EXPECT_EQ (AppInfo::getLegalCopyright(), juce::String (buildinfo::legalCopyright));
    EXPECT_TRUE (AppInfo::getOsName().isNotEmpty());
    EXPECT_TRUE (AppInfo::getOsVersion().isNotEmpty());

    const auto dataHome = juce::File (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {}));
    EXPECT_EQ (AppInfo::getUserDataFolder(),
               dataHome.getChildFile ("Quorvane").getChildFile (buildinfo::productName));
    EXPECT_EQ (AppInfo::getCrashDumpFolder().getParentDirectory(), AppInfo::getUserDataFolder());

    const auto cacheHome = juce::File (juce::SystemStats::getEnvironmentVariable ("XDG_CACHE_HOME", {}));
    EXPECT_TRUE (AppInfo::getTempFolder().isAChildOf (cacheHome));

    const auto executable = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    EXPECT_EQ (AppInfo::getFactorySamplesFolder(), executable.getSiblingFile ("FactorySamples"));

    EXPECT_EQ (AppInfo::getUsageLogUrl(),
               AppInfo::makeEndpoint (buildinfo::usageLogServerUrl, "/api/log/v1/log"));
    EXPECT_EQ (
        AppInfo::getUpdateInfoUrl(),
        AppInfo::makeEndpoint (buildinfo::downloadServerUrl, "/application/tessaline/update-info.json"));

    const juce::String website (buildinfo::websiteUrl);
    EXPECT_EQ (AppInfo::getPrivacyPolicyUrl().toString (true),
               website.isEmpty() ? juce::String() : website + "/en/company/privacy-policy/");
    EXPECT_EQ (AppInfo::getProductPageUrl().toString (true),
               website.isEmpty() ? juce::String() : website + "/glorvak-sample-manager/");
}

TEST (AppInfoLive, FilledOnceAndNeverChangedByTheEnvironment)
{
    const auto before = AppInfo::getUserDataFolder();
    const auto oldValue = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});

    setenv ("XDG_DATA_HOME", "/somewhere/else", 1);
    AppInfo::initialise();
    const auto after = AppInfo::getUserDataFolder();
    setenv ("XDG_DATA_HOME", oldValue.toRawUTF8(), 1);

    EXPECT_EQ (before, after);
}

//==============================================================================
mode_t modeOf (const juce::File& folder)
{
    struct stat info
    {
    };
    lstat (folder.getFullPathName().toRawUTF8(), &info);
    return info.st_mode & 0777;
}

TEST (AppInfoPrivateFolder, CreatesEveryMissingLevelPrivate)
{
    const auto base = juce::File::createTempFile ("private");
    const auto folder = base.getChildFile ("a/b/c");

    ASSERT_TRUE (AppInfo::createPrivateFolder (folder));
    EXPECT_TRUE (folder.isDirectory());
    EXPECT_EQ (modeOf (base), 0700u);
    EXPECT_EQ (modeOf (base.getChildFile ("a/b")), 0700u);
    EXPECT_EQ (modeOf (folder), 0700u);

    // An existing folder that others can read is closed up.
    ASSERT_EQ (chmod (folder.getFullPathName().toRawUTF8(), 0755), 0);
    ASSERT_TRUE (AppInfo::createPrivateFolder (folder));
    EXPECT_EQ (modeOf (folder), 0700u);

    base.deleteRecursively();
}

TEST (AppInfoPrivateFolder, RefusesALinkOrFileInItsPlace)
{
    const auto base = juce::File::createTempFile ("private");
    ASSERT_TRUE (base.createDirectory());

    const auto elsewhere = base.getChildFile ("elsewhere");
    ASSERT_TRUE (elsewhere.createDirectory());
    const auto link = base.getChildFile ("link");
    ASSERT_EQ (symlink (elsewhere.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()), 0);
    EXPECT_FALSE (AppInfo::createPrivateFolder (link));

    const auto file = base.getChildFile ("file");
    ASSERT_TRUE (file.replaceWithText ("x"));
    EXPECT_FALSE (AppInfo::createPrivateFolder (file));
    EXPECT_FALSE (AppInfo::createPrivateFolder (file.getChildFile ("below")));

    EXPECT_FALSE (AppInfo::createPrivateFolder (juce::File()));

    base.deleteRecursively();
}

TEST (AppInfoPrivateFolder, TempFolderIsCreatedPrivate)
{
    ASSERT_TRUE (AppInfo::createTempFolder());
    EXPECT_TRUE (AppInfo::getTempFolder().isDirectory());
    EXPECT_EQ (modeOf (AppInfo::getTempFolder()), 0700u);
}
} // namespace
