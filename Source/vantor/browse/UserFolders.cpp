#include "vantor/browse/UserFolders.h"

#include <cstdlib>

namespace vantor::browse
{
namespace
{
juce::String environment (const char* name)
{
    const char* value = std::getenv (name);
    return value != nullptr ? juce::String::fromUTF8 (value) : juce::String();
}

juce::File homeFolder()
{
    const auto home = environment ("HOME");
    return juce::File::isAbsolutePath (home) ? juce::File (home)
                                             : juce::File::getSpecialLocation (juce::File::userHomeDirectory);
}
} // namespace

juce::File UserFolders::parseUserDirs (const juce::String& text, const juce::String& key,
                                       const juce::File& home)
{
    juce::File found;

    for (auto line : juce::StringArray::fromLines (text))
    {
        line = line.trim();

        if (line.startsWithChar ('#') || !line.startsWith (key + "="))
            continue;

        auto value = line.fromFirstOccurrenceOf ("=", false, false).trim().unquoted();

        if (value.startsWith ("$HOME"))
        {
            const auto rest = value.substring (5);

            if (rest.isNotEmpty() && !rest.startsWithChar ('/'))
                continue;

            const auto below = rest.trimCharactersAtStart ("/");
            found = below.isEmpty() ? juce::File() : home.getChildFile (below);
        }
        else if (juce::File::isAbsolutePath (value))
        {
            found = juce::File (value);
            if (found == home)
                found = juce::File();
        }
        else
        {
            found = juce::File();
        }
    }

    return found;
}

juce::File UserFolders::find (const juce::String& key, const juce::String& fallbackName)
{
    const auto home = homeFolder();
    auto configHome = environment ("XDG_CONFIG_HOME");
    const auto config =
        juce::File::isAbsolutePath (configHome) ? juce::File (configHome) : home.getChildFile (".config");
    const auto dirsFile = config.getChildFile ("user-dirs.dirs");

    juce::File folder;
    if (dirsFile.existsAsFile() && dirsFile.loadFileAsString().contains (key + "="))
        folder = parseUserDirs (dirsFile.loadFileAsString(), key, home);
    else
        folder = home.getChildFile (fallbackName);

    return folder.isDirectory() ? folder : juce::File();
}

juce::File UserFolders::findMusicFolder()
{
    return find ("XDG_MUSIC_DIR", "Music");
}

juce::File UserFolders::findDesktopFolder()
{
    return find ("XDG_DESKTOP_DIR", "Desktop");
}
} // namespace vantor::browse
