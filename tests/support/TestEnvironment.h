#pragma once

#include <string>

namespace glorvak::test
{
// Points HOME, TMPDIR and the XDG folders at a fresh temporary folder for the life of the object and
// removes it afterwards. Created before JUCE starts, so everything JUCE asks the environment
// for already lands in the private folder.
class PrivateUserFolders
{
public:
    PrivateUserFolders();
    ~PrivateUserFolders();

    PrivateUserFolders (const PrivateUserFolders&) = delete;
    PrivateUserFolders& operator= (const PrivateUserFolders&) = delete;

    const std::string& root() const { return rootPath; }

private:
    std::string rootPath;
};

// Folder of the checked-in fixtures (tests/data).
const char* dataFolder();
} // namespace glorvak::test
