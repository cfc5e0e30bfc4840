#pragma once

#include <juce_core/juce_core.h>

namespace vantor::browse
{
/** The user's Music and Desktop folders as the desktop names them: the XDG_MUSIC_DIR and
    XDG_DESKTOP_DIR lines of "user-dirs.dirs" in $XDG_CONFIG_HOME (~/.config when unset or not
    absolute), else ~/Music and ~/Desktop. A folder that does not exist is a failed lookup: the
    empty juce::File. Threads: any. */
struct UserFolders
{
    static juce::File findMusicFolder();
    static juce::File findDesktopFolder();

    /** The folder named by key ("XDG_MUSIC_DIR") in the text of a user-dirs.dirs file, with
        "$HOME" replaced by home; empty when the key is absent, the value is neither "$HOME/..." nor
        absolute, or names the home folder itself (the desktop's way of switching a folder off). */
    static juce::File parseUserDirs (const juce::String& text, const juce::String& key,
                                     const juce::File& home);

    /** The lookup of one key with its fallback below home; empty unless it is an existing folder. */
    static juce::File find (const juce::String& key, const juce::String& fallbackName);
};
} // namespace vantor::browse
