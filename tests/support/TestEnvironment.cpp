#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace glorvak::test
{
namespace fs = std::filesystem;

PrivateUserFolders::PrivateUserFolders()
{
    std::string pattern = (fs::temp_directory_path() / "glorvak-test-XXXXXX").string();
    if (mkdtemp (pattern.data()) == nullptr)
        throw std::runtime_error ("cannot create the test's private folder");

    rootPath = pattern;

    const auto makeFolder = [this] (const char* name)
    {
        const auto folder = fs::path (rootPath) / name;
        fs::create_directories (folder);
        return folder.string();
    };

    setenv ("HOME", makeFolder ("home").c_str(), 1);
    setenv ("XDG_DATA_HOME", makeFolder ("data").c_str(), 1);
    setenv ("XDG_CONFIG_HOME", makeFolder ("config").c_str(), 1);
    setenv ("XDG_CACHE_HOME", makeFolder ("cache").c_str(), 1);

    // A private temporary folder too: test programs run side by side, and names picked with
    // getNonexistentChildFile in a shared /tmp can be picked by two processes at once.
    setenv ("TMPDIR", makeFolder ("tmp").c_str(), 1);
}

PrivateUserFolders::~PrivateUserFolders()
{
    std::error_code ignored;
    fs::remove_all (rootPath, ignored);
}

const char* dataFolder()
{
    return GLORVAK_TEST_DATA_DIR;
}
} // namespace glorvak::test
