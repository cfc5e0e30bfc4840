#include "installer/core/RecordingStack.h"

#include "ProgramPath.h"

#include <gtest/gtest.h>

namespace installer::test
{
namespace
{

struct FolderCase
{
    const char* name;
    std::u16string path;
    std::u16string folder;
};

class ProgramPathFolderTest : public testing::TestWithParam<FolderCase>
{
};

TEST_P (ProgramPathFolderTest, FolderIsDriveAndFolderWithoutTheFinalSeparatorButKeepsARoot)
{
    const auto& c = GetParam();
    PluginStack::Buffer folder;
    std::fill (std::begin (folder), std::end (folder), u'x');

    ProgramPath::folderOf (c.path.c_str(), folder);

    EXPECT_EQ (std::u16string (folder), c.folder);
}

const std::u16string longFolder = u"C:\\" + repeated (u'f', 1014); // 1017 units
const std::u16string longPath = longFolder + u"\\a.exe";           // 1023 units

INSTANTIATE_TEST_SUITE_P (
    Cases, ProgramPathFolderTest,
    testing::Values (
        FolderCase{"ProgramFiles", u"C:\\Program Files\\App\\app.exe", u"C:\\Program Files\\App"},
        // "C:" alone would be the current folder of drive C, not its root.
        FolderCase{"DriveRoot", u"C:\\app.exe", u"C:\\"},
        FolderCase{"RootOfTheCurrentDrive", u"\\app.exe", u"\\"}, FolderCase{"NoFolder", u"app.exe", u""},
        FolderCase{"DriveRelative", u"C:app.exe", u"C:"},
        FolderCase{"RelativeFolder", u"bin\\app.exe", u"bin"},
        FolderCase{"Unc", u"\\\\server\\share\\App\\app.exe", u"\\\\server\\share\\App"},
        FolderCase{"UncShareRoot", u"\\\\server\\share\\app.exe", u"\\\\server\\share"},
        FolderCase{"ForwardSlashes", u"C:/Program Files/App/app.exe", u"C:/Program Files/App"},
        FolderCase{"ForwardSlashRoot", u"C:/app.exe", u"C:/"},
        FolderCase{"MixedSeparators", u"C:\\Program Files/App\\app.exe", u"C:\\Program Files/App"},
        FolderCase{"PathOfAFolder", u"C:\\App\\", u"C:\\App"},
        FolderCase{"DotsInFolderNames", u"D:\\v1.2\\x.y\\setup", u"D:\\v1.2\\x.y"},
        FolderCase{"NonAscii", u"C:\\Programme\\Größe\\\u30c6\u30b9\u30c8.exe", u"C:\\Programme\\Größe"},
        FolderCase{"Empty", u"", u""}, FolderCase{"PathOf1023Units", longPath, longFolder},
        FolderCase{"FolderOf1023Units", u"C:\\" + repeated (u'g', 1019) + u"\\",
                   u"C:\\" + repeated (u'g', 1019)}),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (ProgramPathTest, QuotedCommandLineKeepsTheWholePathAsOneArgument)
{
    struct Case
    {
        std::u16string path;
        std::u16string commandLine;
    };
    const Case cases[] = {
        {u"C:\\Program Files\\App\\app.exe", u"\"C:\\Program Files\\App\\app.exe\""},
        {u"", u"\"\""},
        {longPath, u"\"" + longPath + u"\""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.path.size());
        ProgramPath::CommandLine commandLine;
        std::fill (std::begin (commandLine), std::end (commandLine), u'x');

        ProgramPath::quoted (c.path.c_str(), commandLine);

        EXPECT_EQ (std::u16string (commandLine), c.commandLine);
    }
}

} // namespace
} // namespace installer::test
