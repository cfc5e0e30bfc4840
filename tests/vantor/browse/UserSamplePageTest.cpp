#include "vantor/browse/UserSamplePage.h"

#include "common/AppInfo.h"
#include "common/AppSettingsSingleton.h"
#include "common/SettingsKey.h"
#include "vantor/browse/FileManagerLauncher.h"
#include "vantor/browse/UserFolders.h"

#include "support/MessagePump.h"
#include "support/ScratchFolder.h"
#include "vantor/browse/FakeVolumes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace
{
using namespace vantor::browse;
using glorvak::test::FakeVolumes;
using glorvak::test::pumpMessagesUntil;
using glorvak::test::ScratchFolder;

juce::StringArray topLevelNames (UserSamplePage& page)
{
    juce::StringArray names;
    auto* root = page.getTreeView().getRootItem();
    for (int i = 0; i < root->getNumSubItems(); ++i)
        names.add (root->getSubItem (i)->getUniqueName());
    return names;
}

juce::StringArray pinnedNames (UserSamplePage& page)
{
    juce::StringArray names;
    auto& pinned = page.getPinnedFoldersItem();
    for (int i = 0; i < pinned.getNumSubItems(); ++i)
        names.add (pinned.getSubItem (i)->getUniqueName());
    return names;
}

juce::var storedPins()
{
    return common::AppSettingsSingleton::getInstance()->getValue (common::SettingsKey::PinnedFolders, {});
}

struct PageFixture
{
    PageFixture()
    {
        common::AppSettingsSingleton::getInstance()->setValue (common::SettingsKey::PinnedFolders, {});
        page = std::make_unique<UserSamplePage> (volumes.makeList());
        page->setBounds (0, 0, 400, 600);
    }

    FakeVolumes volumes;
    std::unique_ptr<UserSamplePage> page;
};

TEST (UserSamplePage, TopLevelReadsPinnedFoldersMusicDesktopAndTheDrivesInTheListsOrder)
{
    ScratchFolder scratch;
    FakeVolumes volumes;
    volumes.set ({scratch.child ("a-card"), scratch.child ("b-stick")});
    scratch.child ("b-stick").createDirectory();
    scratch.child ("a-card").createDirectory();

    UserSamplePage page (volumes.makeList());
    EXPECT_EQ (page.getSourceNames().joinIntoString ("|"),
               "Music|Desktop|/|" + scratch.child ("a-card").getFullPathName() + "|" +
                   scratch.child ("b-stick").getFullPathName());
    const auto top = topLevelNames (page);
    ASSERT_GE (top.size(), 1);
    EXPECT_EQ (top[0], "PinnedFolders");
    EXPECT_EQ (top.size(), 6);
}

TEST (UserSamplePage, AVolumeArrivesAndLeavesAboutASecondAfterTheChange)
{
    ScratchFolder scratch;
    scratch.child ("stick").createDirectory();
    PageFixture f;
    const auto stick = scratch.child ("stick").getFullPathName();
    EXPECT_FALSE (f.page->getSourceNames().contains (stick));

    f.volumes.set ({scratch.child ("stick")});
    const auto changed = juce::Time::getMillisecondCounter();
    f.volumes.change();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return f.page->getSourceNames().contains (stick); }, 20000));
    // Not before the settle time (no upper bound: the machine may be busy).
    EXPECT_GE (juce::Time::getMillisecondCounter() - changed,
               (juce::uint32)UserSamplePage::volumeSettleMs - 50);
    EXPECT_EQ (f.page->getSourceNames().joinIntoString ("|"), "Music|Desktop|/|" + stick);

    f.volumes.set ({});
    f.volumes.change();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return !f.page->getSourceNames().contains (stick); }, 20000));
    EXPECT_FALSE (topLevelNames (*f.page).contains (stick));
}

// A volume that leaves while its folder is open on screen: its rows go before its items die.
// (Run under AddressSanitizer: a row left behind reads a deleted item.)
TEST (UserSamplePage, RowsOfAVolumeThatLeavesAreDroppedBeforeItsItemsDie)
{
    ScratchFolder scratch;
    scratch.child ("stick").createDirectory();
    for (int i = 0; i < 8; ++i)
        scratch.child ("stick/s" + juce::String (i) + ".wav").replaceWithText ("x");

    PageFixture f;
    f.volumes.set ({scratch.child ("stick")});
    f.volumes.change();
    const auto stick = scratch.child ("stick").getFullPathName();

    auto& tree = f.page->getTreeView();
    auto findStick = [&]() -> juce::TreeViewItem*
    {
        auto* root = tree.getRootItem();
        for (int i = 0; i < root->getNumSubItems(); ++i)
            if (root->getSubItem (i)->getUniqueName() == stick &&
                root->getSubItem (i)->mightContainSubItems())
                return root->getSubItem (i);
        return nullptr;
    };
    ASSERT_TRUE (pumpMessagesUntil ([&] { return findStick() != nullptr; }, 20000));
    findStick()->setOpen (true);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return findStick()->getNumSubItems() == 8; }));
    auto rowsOfStickFiles = [&]
    {
        int rows = 0;
        for (int y = 0; y < tree.getHeight(); y += 5)
            if (auto* item = tree.getItemAt (y))
                rows += item->getUniqueName().startsWith (stick + "/") ? 1 : 0;
        return rows;
    };
    ASSERT_TRUE (pumpMessagesUntil ([&] { return rowsOfStickFiles() > 0; }));

    // The volume leaves and the page follows at once, before any message is delivered.
    f.volumes.set ({});
    f.page->getVolumeList().refresh();
    f.page->refreshVolumes();

    // Every row the tree view still shows belongs to a live item.
    EXPECT_EQ (rowsOfStickFiles(), 0);

    if (auto* content = dynamic_cast<juce::TooltipClient*> (tree.getViewport()->getViewedComponent()))
        content->getTooltip();
}

TEST (UserSamplePage, PinsAndUnpinsAreStoredAndReadBackFromTheSettingsFile)
{
    ScratchFolder scratch;
    const auto folder = scratch.child ("Drums");
    folder.createDirectory();
    PageFixture f;
    auto* settings = common::AppSettingsSingleton::getInstance();
    const auto savesBefore = settings->getNumberOfSaves();

    f.page->pin (folder.getFullPathName());
    f.page->pin (folder.getFullPathName()); // already pinned: no second entry
    EXPECT_EQ (pinnedNames (*f.page), juce::StringArray (folder.getFullPathName()));
    ASSERT_TRUE (storedPins().isArray());
    EXPECT_EQ (storedPins().size(), 1);
    EXPECT_TRUE (f.page->getSourceNames().contains ("Drums"));

    ASSERT_TRUE (pumpMessagesUntil ([&] { return settings->getNumberOfSaves() > savesBefore; }, 30000));
    const auto file = common::AppInfo::getSettingsFolder().getChildFile ("settings.json");
    const auto json = juce::JSON::parse (file);
    ASSERT_TRUE (json[common::SettingsKey::PinnedFolders].isArray());
    EXPECT_EQ (json[common::SettingsKey::PinnedFolders][0].toString(), folder.getFullPathName());

    // A new page reads the pin back.
    {
        FakeVolumes volumes;
        UserSamplePage second (volumes.makeList());
        EXPECT_TRUE (pumpMessagesUntil (
            [&] { return pinnedNames (second) == juce::StringArray (folder.getFullPathName()); }));
    }

    f.page->unpin (folder.getFullPathName());
    EXPECT_TRUE (pinnedNames (*f.page).isEmpty());
    EXPECT_EQ (storedPins().size(), 0);
    EXPECT_FALSE (f.page->getSourceNames().contains ("Drums"));
    EXPECT_EQ (topLevelNames (*f.page)[0], "PinnedFolders") << "the entry stays, empty";
}

TEST (UserSamplePage, MenusOfferPinUnpinPreviewAndShowWhereTheyApply)
{
    ScratchFolder scratch;
    scratch.child ("stick/Loops").createDirectory();
    scratch.child ("stick/kick.wav").replaceWithText ("x");
    PageFixture f;
    f.volumes.set ({scratch.child ("stick")});
    f.volumes.change();
    f.page->pin (scratch.child ("stick/Loops").getFullPathName());

    auto texts = [&] (juce::TreeViewItem* item)
    {
        const auto menu = f.page->makeMenuFor (item);
        juce::PopupMenu::MenuItemIterator it (menu);
        juce::String s;
        while (it.next())
            s << (it.getItem().isSeparator ? juce::String ("-") : it.getItem().text)
              << (it.getItem().isEnabled ? "" : "(off)") << "|";
        return s;
    };

    auto findStick = [&]() -> juce::TreeViewItem*
    {
        auto* root = f.page->getTreeView().getRootItem();
        for (int i = 0; i < root->getNumSubItems(); ++i)
            if (root->getSubItem (i)->getUniqueName() == scratch.child ("stick").getFullPathName() &&
                root->getSubItem (i)->mightContainSubItems())
                return root->getSubItem (i);
        return nullptr;
    };
    ASSERT_TRUE (pumpMessagesUntil ([&] { return findStick() != nullptr; }, 20000));
    auto* stick = findStick();
    stick->setOpen (true);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return stick->getNumSubItems() == 2; }));

    EXPECT_EQ (texts (&f.page->getPinnedFoldersItem()), "");
    EXPECT_EQ (texts (nullptr), "");
    EXPECT_EQ (texts (stick), "Show in Explorer|") << "no Pin for a top-level entry";
    EXPECT_EQ (texts (stick->getSubItem (0)), "Pin(off)|-|Show in Explorer|") << "already pinned";
    EXPECT_EQ (texts (stick->getSubItem (1)), "Preview play|-|Show in Explorer|");
    ASSERT_EQ (f.page->getPinnedFoldersItem().getNumSubItems(), 1);
    EXPECT_EQ (texts (f.page->getPinnedFoldersItem().getSubItem (0)), "Unpin|-|Show in Explorer|");
}

TEST (UserSamplePage, ThePinnedNameIsTheTextAfterTheLastSlash)
{
    EXPECT_EQ (UserSamplePage::nameFromPath ("/home/u/Drums"), "Drums");
    EXPECT_EQ (UserSamplePage::nameFromPath ("/home/u/Drums/"), "");
    EXPECT_EQ (UserSamplePage::nameFromPath ("Drums"), "Drums");
    EXPECT_EQ (UserSamplePage::nameFromPath ("/"), "");
}

TEST (UserFolders, TheDesktopsUserDirsNameMusicAndDesktop)
{
    const juce::File home ("/home/u");
    struct Case
    {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"XDG_MUSIC_DIR=\"$HOME/Musik\"\n", "/home/u/Musik"},
        {"# comment\nXDG_MUSIC_DIR=\"/data/Music\"\n", "/data/Music"},
        {"XDG_MUSIC_DIR=\"$HOME/\"\n", ""},
        {"XDG_MUSIC_DIR=\"$HOME\"\n", ""},
        {"XDG_MUSIC_DIR=\"relative\"\n", ""},
        {"XDG_MUSIC_DIR=\"$HOMEX/a\"\n", ""},
        {"XDG_DESKTOP_DIR=\"$HOME/Desk\"\n", ""},
        {"XDG_MUSIC_DIR=\"$HOME/A\"\nXDG_MUSIC_DIR=\"$HOME/B\"\n", "/home/u/B"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        EXPECT_EQ (UserFolders::parseUserDirs (c.text, "XDG_MUSIC_DIR", home).getFullPathName(),
                   juce::String (c.expected));
    }
}

TEST (UserFolders, AFolderThatDoesNotExistIsAFailedLookup)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    const char* config = std::getenv ("XDG_CONFIG_HOME");
    const auto configFolder = config != nullptr ? juce::File (config) : home.getChildFile (".config");
    const auto dirs = configFolder.getChildFile ("user-dirs.dirs");
    dirs.getParentDirectory().createDirectory();
    ASSERT_TRUE (dirs.replaceWithText ("XDG_MUSIC_DIR=\"$HOME/Klang\"\nXDG_DESKTOP_DIR=\"$HOME/Nowhere\"\n"));
    home.getChildFile ("Klang").createDirectory();

    EXPECT_EQ (UserFolders::findMusicFolder(), home.getChildFile ("Klang"));
    EXPECT_EQ (UserFolders::findDesktopFolder(), juce::File());
    dirs.deleteFile();
    home.getChildFile ("Klang").deleteRecursively();
}

// "xdg-open" replaced by a stub first on PATH that writes down its arguments.
TEST (FileManagerLauncher, TheFolderArrivesAsOneArgumentWithoutAShellAndTheChildIsReaped)
{
    ScratchFolder scratch;
    const auto bin = scratch.child ("bin");
    bin.createDirectory();
    const auto record = scratch.child ("record.txt");
    const auto stub = bin.getChildFile ("xdg-open");
    stub.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$#\" > '" + record.getFullPathName() +
                              ".part'\n"
                              "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" +
                              record.getFullPathName() +
                              ".part'; done\n"
                              "mv '" +
                              record.getFullPathName() + ".part' '" + record.getFullPathName() + "'\n",
                          false, false, "\n");
    stub.setExecutePermission (true);

    const juce::String oldPath (std::getenv ("PATH"));
    setenv ("PATH", (bin.getFullPathName() + ":" + oldPath).toRawUTF8(), 1);

    const auto folder = scratch.child ("x$(touch pwned) \"q\"");
    ASSERT_TRUE (folder.createDirectory());
    const auto file = folder.getChildFile ("k.wav");
    file.replaceWithText ("x");

    for (const auto& target : {folder, file})
    {
        SCOPED_TRACE (target.getFullPathName());
        record.deleteFile();
        ASSERT_TRUE (FileManagerLauncher::showInFileManager (target));
        ASSERT_TRUE (pumpMessagesUntil (
            [&] { return record.existsAsFile() && FileManagerLauncher::getNumRunning() == 0; }, 30000));
        EXPECT_EQ (juce::StringArray::fromLines (record.loadFileAsString().trimEnd()),
                   juce::StringArray ("1", folder.getFullPathName()));
    }

    setenv ("PATH", oldPath.toRawUTF8(), 1);
    EXPECT_FALSE (scratch.child ("pwned").exists());
    EXPECT_FALSE (juce::File::getCurrentWorkingDirectory().getChildFile ("pwned").exists());

    // No child of this process is left as a zombie.
    const auto self = juce::String ((int)getpid());
    for (const auto& entry : juce::File ("/proc").findChildFiles (juce::File::findDirectories, false))
    {
        const auto stat = entry.getChildFile ("stat").loadFileAsString();
        const auto fields =
            juce::StringArray::fromTokens (stat.fromLastOccurrenceOf (")", false, false), false);
        if (fields.size() > 2 && fields[1] == self)
            EXPECT_NE (fields[0], "Z") << entry.getFileName();
    }
}
} // namespace
