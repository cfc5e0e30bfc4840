#pragma once

#include <juce_core/juce_core.h>

namespace common
{
/** Facts about the program and the machine it runs on: product name, version and copyright,
    the operating system, the web endpoints, the folders beside the executable, the per-user data
    folders and the program's temporary folder.

    Threads: the record is filled once, on the first call of any getter (a thread-safe static),
    and is read-only afterwards, so every getter may be called from any thread.

    Folders on Linux:
    - executable folder: the folder of /proc/self/exe;
    - user data folder: $XDG_DATA_HOME/Quorvane/<productName> ($XDG_DATA_HOME falling back to
      ~/.local/share), with "settings", "log" and "crashdump" below it;
    - temporary folder: $XDG_CACHE_HOME/Quorvane/<productName>/tmp ($XDG_CACHE_HOME falling back
      to ~/.cache). It lives below the user's home, never under the shared /tmp, and on disk
      rather than in the RAM-backed $XDG_RUNTIME_DIR because clipboard copies of SLOTs can be
      large WAV files. Whoever writes into it first calls createTempFolder(), which makes it
      with mode 0700.
    No getter creates a folder; each user creates the folder it writes into.

    An empty server base address in the build settings switches its feature off: the endpoint
    getters then return an empty text and the web-page getters an empty URL. */
class AppInfo
{
public:
    static void initialise();

    static juce::String getOsName();
    static juce::String getOsVersion();
    static juce::String getProductName();
    static juce::String getProductVersion();
    static juce::String getLegalCopyright();
    static juce::String getUsageLogUrl();
    static juce::String getUpdateInfoUrl();

    static juce::File getFactorySamplesFolder();
    static juce::File getTranslationsFolder();
    static juce::File getLicenseNoticeFile();

    static juce::File getUserDataFolder();
    static juce::File getSettingsFolder();
    static juce::File getLogFolder();
    static juce::File getCrashDumpFolder();
    static juce::File getTempFolder();

    static juce::URL getPrivacyPolicyUrl();
    static juce::URL getProductPageUrl();

    /** Creates the temporary folder, and missing parents, private to the user (mode 0700).
        False when it cannot be made, or when something that is not the user's own folder
        already stands at its place. */
    static bool createTempFolder();

    /** Creates a folder with its missing parents, each new one with mode 0700, and makes sure
        the folder itself is a real folder (not a link) owned by the user with mode 0700. */
    static bool createPrivateFolder (const juce::File& folder);

    //==============================================================================
    // The pieces the record is built from, open so that tests can build a record from an
    // environment of their own.

    struct Record
    {
        juce::String osName;
        juce::String osVersion;
        juce::String productName;
        juce::String productVersion;
        juce::String legalCopyright;
        juce::String usageLogUrl;
        juce::String updateInfoUrl;
        juce::File factorySamplesFolder;
        juce::File translationsFolder;
        juce::File licenseNoticeFile;
        juce::File userDataFolder;
        juce::File settingsFolder;
        juce::File logFolder;
        juce::File crashDumpFolder;
        juce::File tempFolder;
    };

    /** What the record is made of. Empty texts mean "not set". */
    struct Environment
    {
        juce::String home;         // $HOME, or the password database's home folder
        juce::String xdgDataHome;  // $XDG_DATA_HOME
        juce::String xdgCacheHome; // $XDG_CACHE_HOME
        juce::File executableFile; // the running program
        juce::String osReleaseText;
        juce::String kernelRelease;
        juce::String productName;
        juce::String productVersion;
        juce::String legalCopyright;
        juce::String downloadServerUrl;
        juce::String usageLogServerUrl;
    };

    /** The environment of this process: variables, /proc/self/exe, os-release below "/",
        uname and the build settings. */
    static Environment readSystemEnvironment();

    static Record makeRecord (const Environment& environment);

    /** The text of root/etc/os-release, else root/usr/lib/os-release, else empty. */
    static juce::String readOsReleaseText (const juce::File& root);

    /** The key/value pairs of an os-release text (shell-like quoting; comments and malformed
        lines are skipped). */
    static juce::StringPairArray parseOsRelease (const juce::String& osReleaseText);

    /** PRETTY_NAME, else NAME and VERSION, else "Linux". */
    static juce::String osNameFromOsRelease (const juce::String& osReleaseText);

    /** base + path, or empty when base is empty (the feature is off). Trailing slashes of the
        base are dropped. */
    static juce::String makeEndpoint (const juce::String& base, const juce::String& path);

    /** The address in an environment variable when it is "http://127.0.0.1:<port>/<path>", else
        empty. Tests of the whole program point an endpoint at a server of their own this way;
        nothing else is taken, so the variable can never send the program to another machine. */
    static juce::String loopbackAddressFromVariable (const char* variableName);

    /** The same test on a given text. */
    static bool isLoopbackAddress (const juce::String& address);

private:
    static const Record& record();

    AppInfo() = delete;
};
} // namespace common
