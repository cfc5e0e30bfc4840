#include "common/AppInfo.h"

#include <BuildInfo.h>

#include <cerrno>
#include <climits>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace common
{
namespace
{
constexpr const char* makerFolderName = "Quorvane";

juce::String environmentVariable (const char* name)
{
    const char* value = std::getenv (name);
    return value != nullptr ? juce::String::fromUTF8 (value) : juce::String();
}

juce::String homeFromPasswordDatabase()
{
    std::vector<char> buffer (16384);
    passwd entry{};
    passwd* found = nullptr;

    if (getpwuid_r (getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return juce::String::fromUTF8 (found->pw_dir);

    return {};
}

juce::File executableFromProc()
{
    std::vector<char> buffer (PATH_MAX + 1);
    const auto length = readlink ("/proc/self/exe", buffer.data(), buffer.size() - 1);

    if (length <= 0)
        return {};

    return juce::File (juce::String::fromUTF8 (buffer.data(), (int)length));
}

juce::String kernelReleaseFromUname()
{
    utsname names{};
    return uname (&names) == 0 ? juce::String::fromUTF8 (names.release) : juce::String();
}

// XDG base folders must be absolute; a relative value is ignored as the XDG rules ask.
juce::File xdgBaseFolder (const juce::String& variable, const juce::String& home, const char* fallback)
{
    if (juce::File::isAbsolutePath (variable))
        return juce::File (variable);

    if (juce::File::isAbsolutePath (home))
        return juce::File (home).getChildFile (fallback);

    return {};
}

// Without a base the folders stay empty: a relative or root-based path would make the program
// write into the working folder or the file-system root.
juce::File productFolder (const juce::File& base, const juce::String& productName)
{
    if (base == juce::File())
        return {};

    const auto maker = base.getChildFile (makerFolderName);
    return productName.isEmpty() ? maker : maker.getChildFile (productName);
}

juce::File childOrEmpty (const juce::File& folder, const char* name)
{
    return folder == juce::File() ? juce::File() : folder.getChildFile (name);
}

juce::URL websitePage (const char* path)
{
    const auto address = AppInfo::makeEndpoint (buildinfo::websiteUrl, path);
    return address.isEmpty() ? juce::URL() : juce::URL (address);
}

// Undoes the quoting of one os-release value: double quotes with backslash escapes, single
// quotes literal, or a bare word.
bool unquoteOsReleaseValue (juce::String::CharPointerType p, juce::String& value)
{
    juce::String result;

    while (!p.isEmpty())
    {
        const auto c = p.getAndAdvance();

        if (c == '"')
        {
            for (;;)
            {
                if (p.isEmpty())
                    return false;

                auto q = p.getAndAdvance();

                if (q == '"')
                    break;

                if (q == '\\')
                {
                    if (p.isEmpty())
                        return false;

                    const auto escaped = p.getAndAdvance();

                    if (escaped != '"' && escaped != '\\' && escaped != '$' && escaped != '`')
                        result << '\\';

                    q = escaped;
                }

                result << juce::String::charToString (q);
            }
        }
        else if (c == '\'')
        {
            for (;;)
            {
                if (p.isEmpty())
                    return false;

                const auto q = p.getAndAdvance();

                if (q == '\'')
                    break;

                result << juce::String::charToString (q);
            }
        }
        else if (c == '\\')
        {
            if (p.isEmpty())
                return false;

            result << juce::String::charToString (p.getAndAdvance());
        }
        else if (juce::CharacterFunctions::isWhitespace (c))
        {
            // An unquoted blank ends the value; anything after it but a comment is malformed.
            while (!p.isEmpty() && juce::CharacterFunctions::isWhitespace (*p))
                ++p;

            if (!p.isEmpty() && *p != '#')
                return false;

            break;
        }
        else
        {
            result << juce::String::charToString (c);
        }
    }

    value = result;
    return true;
}
} // namespace

//==============================================================================
const AppInfo::Record& AppInfo::record()
{
    // Never destroyed: static destructors that run at exit (the usage statistics write their
    // shut-down record then) still read their folders here.
    static const Record* const filled = new Record (makeRecord (readSystemEnvironment()));
    return *filled;
}

void AppInfo::initialise()
{
    record();
}

juce::String AppInfo::getOsName()
{
    return record().osName;
}
juce::String AppInfo::getOsVersion()
{
    return record().osVersion;
}
juce::String AppInfo::getProductName()
{
    return record().productName;
}
juce::String AppInfo::getProductVersion()
{
    return record().productVersion;
}
juce::String AppInfo::getLegalCopyright()
{
    return record().legalCopyright;
}
juce::String AppInfo::getUsageLogUrl()
{
    return record().usageLogUrl;
}
juce::String AppInfo::getUpdateInfoUrl()
{
    return record().updateInfoUrl;
}
juce::File AppInfo::getFactorySamplesFolder()
{
    return record().factorySamplesFolder;
}
juce::File AppInfo::getTranslationsFolder()
{
    return record().translationsFolder;
}
juce::File AppInfo::getLicenseNoticeFile()
{
    return record().licenseNoticeFile;
}
juce::File AppInfo::getUserDataFolder()
{
    return record().userDataFolder;
}
juce::File AppInfo::getSettingsFolder()
{
    return record().settingsFolder;
}
juce::File AppInfo::getLogFolder()
{
    return record().logFolder;
}
juce::File AppInfo::getCrashDumpFolder()
{
    return record().crashDumpFolder;
}
juce::File AppInfo::getTempFolder()
{
    return record().tempFolder;
}

juce::URL AppInfo::getPrivacyPolicyUrl()
{
    return websitePage ("/en/company/privacy-policy/");
}

juce::URL AppInfo::getProductPageUrl()
{
    return websitePage ("/glorvak-sample-manager/");
}

//==============================================================================
bool AppInfo::createTempFolder()
{
    return createPrivateFolder (getTempFolder());
}

bool AppInfo::createPrivateFolder (const juce::File& folder)
{
    if (folder == juce::File())
        return false;

    const auto parent = folder.getParentDirectory();

    if (parent != folder && !parent.isDirectory() && !createPrivateFolder (parent))
        return false;

    const auto path = folder.getFullPathName().toRawUTF8();

    if (mkdir (path, 0700) != 0 && errno != EEXIST)
        return false;

    // lstat so that a link planted at the folder's place is refused, not followed.
    struct stat info
    {
    };
    if (lstat (path, &info) != 0 || !S_ISDIR (info.st_mode) || info.st_uid != geteuid())
        return false;

    return (info.st_mode & 0777) == 0700 || chmod (path, 0700) == 0;
}

//==============================================================================
AppInfo::Environment AppInfo::readSystemEnvironment()
{
    Environment environment;

    environment.home = environmentVariable ("HOME");
    if (environment.home.isEmpty())
        environment.home = homeFromPasswordDatabase();

    environment.xdgDataHome = environmentVariable ("XDG_DATA_HOME");
    environment.xdgCacheHome = environmentVariable ("XDG_CACHE_HOME");
    environment.executableFile = executableFromProc();
    environment.osReleaseText = readOsReleaseText (juce::File ("/"));
    environment.kernelRelease = kernelReleaseFromUname();
    environment.productName = buildinfo::productName;
    environment.productVersion = buildinfo::productVersion;
    environment.legalCopyright = buildinfo::legalCopyright;
    environment.downloadServerUrl = buildinfo::downloadServerUrl;
    environment.usageLogServerUrl = buildinfo::usageLogServerUrl;
    return environment;
}

AppInfo::Record AppInfo::makeRecord (const Environment& environment)
{
    Record r;
    r.osName = osNameFromOsRelease (environment.osReleaseText);
    r.osVersion = environment.kernelRelease;
    r.productName = environment.productName;
    r.productVersion = environment.productVersion;
    r.legalCopyright = environment.legalCopyright;
    r.usageLogUrl = makeEndpoint (environment.usageLogServerUrl, "/api/log/v1/log");
    r.updateInfoUrl = makeEndpoint (environment.downloadServerUrl, "/application/tessaline/update-info.json");

    const auto executableFolder = environment.executableFile == juce::File()
                                      ? juce::File()
                                      : environment.executableFile.getParentDirectory();
    r.factorySamplesFolder = childOrEmpty (executableFolder, "FactorySamples");
    r.translationsFolder = childOrEmpty (executableFolder, "Translations");
    r.licenseNoticeFile = childOrEmpty (executableFolder, "Software_License_Notice.txt");

    const auto dataBase = xdgBaseFolder (environment.xdgDataHome, environment.home, ".local/share");
    r.userDataFolder = productFolder (dataBase, environment.productName);
    r.settingsFolder = childOrEmpty (r.userDataFolder, "settings");
    r.logFolder = childOrEmpty (r.userDataFolder, "log");
    r.crashDumpFolder = childOrEmpty (r.userDataFolder, "crashdump");

    const auto cacheBase = xdgBaseFolder (environment.xdgCacheHome, environment.home, ".cache");
    r.tempFolder = childOrEmpty (productFolder (cacheBase, environment.productName), "tmp");
    return r;
}

juce::String AppInfo::loopbackAddressFromVariable (const char* variableName)
{
    const auto address = environmentVariable (variableName);
    return isLoopbackAddress (address) ? address : juce::String();
}

bool AppInfo::isLoopbackAddress (const juce::String& address)
{
    const juce::String prefix ("http://127.0.0.1:");

    if (!address.startsWith (prefix))
        return false;

    // A port, then the path: "http://127.0.0.1:80@other.example/" names another host.
    const auto rest = address.substring (prefix.length());
    const auto port = rest.upToFirstOccurrenceOf ("/", false, false);
    return port.isNotEmpty() && port.length() <= 5 && port.containsOnly ("0123456789") &&
           rest.length() > port.length() && !rest.containsAnyOf ("@\\ \t\r\n");
}

//==============================================================================
juce::String AppInfo::readOsReleaseText (const juce::File& root)
{
    for (auto* relative : {"etc/os-release", "usr/lib/os-release"})
    {
        const auto file = root.getChildFile (relative);

        // A sane os-release is a few hundred bytes; refuse to read something huge.
        if (file.existsAsFile() && file.getSize() <= 65536)
            return file.loadFileAsString();
    }

    return {};
}

juce::StringPairArray AppInfo::parseOsRelease (const juce::String& osReleaseText)
{
    juce::StringPairArray pairs;

    for (const auto& rawLine : juce::StringArray::fromLines (osReleaseText))
    {
        const auto line = rawLine.trim();

        if (line.isEmpty() || line.startsWithChar ('#'))
            continue;

        const auto equals = line.indexOfChar ('=');
        if (equals <= 0)
            continue;

        const auto key = line.substring (0, equals);
        if (!key.containsOnly ("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"))
            continue;

        const auto valueText = line.substring (equals + 1);
        juce::String value;

        if (unquoteOsReleaseValue (valueText.getCharPointer(), value))
            pairs.set (key, value);
    }

    return pairs;
}

juce::String AppInfo::osNameFromOsRelease (const juce::String& osReleaseText)
{
    const auto pairs = parseOsRelease (osReleaseText);

    const auto prettyName = pairs["PRETTY_NAME"].trim();
    if (prettyName.isNotEmpty())
        return prettyName;

    const auto name = pairs["NAME"].trim();
    if (name.isNotEmpty())
        return (name + " " + pairs["VERSION"].trim()).trim();

    return "Linux";
}

juce::String AppInfo::makeEndpoint (const juce::String& base, const juce::String& path)
{
    auto trimmed = base.trim();

    while (trimmed.endsWithChar ('/'))
        trimmed = trimmed.dropLastCharacters (1);

    return trimmed.isEmpty() ? juce::String() : trimmed + path;
}
} // namespace common
