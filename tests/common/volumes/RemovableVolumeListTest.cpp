#include "common/volumes/RemovableVolumeList.h"
#include "common/volumes/RemovableVolumeListLinux.h"

#include "support/MessagePump.h"

#include <gmock/gmock.h>

#include <atomic>
#include <unistd.h>

using common::RemovableVolumeList;
using common::RemovableVolumeListLinux;

namespace
{
using glorvak::test::pumpMessagesUntil;

// Lets the message loop run for a while, to show that nothing more arrives.
void pumpMessagesFor (int milliseconds)
{
    pumpMessagesUntil ([] { return false; }, milliseconds);
}

// A fake system below a temporary folder: a mount table, the sysfs folders of the disks, their
// "sys/dev/block" links and the "dev/disk/by-label" links, laid out as the kernel and udev do.
class FakeSystem
{
public:
    FakeSystem() { root.createDirectory(); }
    ~FakeSystem() { root.deleteRecursively(); }

    struct Disk
    {
        juce::String busPath; // below sys/devices, up to the "block" folder
        juce::String name;    // "sdb"
        juce::String major = "8";
        int minor = 0;
        bool removable = false;
        bool readOnly = false;
        juce::String vendor, model, cardName;
    };

    // Adds a disk and returns the "major:minor" of its partition number `partition` (0: the disk).
    juce::String addDisk (const Disk& disk, int partition = 1, bool partitionReadOnly = false)
    {
        auto diskFolder = root.getChildFile ("sys/devices/" + disk.busPath + "/block/" + disk.name);
        write (diskFolder.getChildFile ("removable"), disk.removable ? "1\n" : "0\n");
        write (diskFolder.getChildFile ("ro"), disk.readOnly ? "1\n" : "0\n");
        write (diskFolder.getChildFile ("dev"), disk.major + ":" + juce::String (disk.minor) + "\n");

        if (disk.vendor.isNotEmpty())
            write (diskFolder.getChildFile ("device/vendor"), disk.vendor + "  \n");
        if (disk.model.isNotEmpty())
            write (diskFolder.getChildFile ("device/model"), disk.model + "\n");
        if (disk.cardName.isNotEmpty())
            write (diskFolder.getChildFile ("device/name"), disk.cardName + "\n");

        auto deviceFolder = diskFolder;
        auto number = disk.major + ":" + juce::String (disk.minor);

        if (partition > 0)
        {
            auto partitionName =
                disk.name +
                (disk.name.getLastCharacter() >= '0' && disk.name.getLastCharacter() <= '9' ? "p" : "") +
                juce::String (partition);
            deviceFolder = diskFolder.getChildFile (partitionName);
            write (deviceFolder.getChildFile ("partition"), juce::String (partition) + "\n");
            write (deviceFolder.getChildFile ("ro"), partitionReadOnly ? "1\n" : "0\n");
            number = disk.major + ":" + juce::String (disk.minor + partition);
        }

        auto link = root.getChildFile ("sys/dev/block/" + number);
        link.getParentDirectory().createDirectory();
        EXPECT_TRUE (deviceFolder.createSymbolicLink (
            link, deviceFolder.getRelativePathFrom (link.getParentDirectory()), true));
        return number;
    }

    void addLabel (const juce::String& escapedLabel, const juce::String& deviceName)
    {
        auto folder = root.getChildFile ("dev/disk/by-label");
        folder.createDirectory();
        EXPECT_EQ (0, ::symlink (("../../" + deviceName).toRawUTF8(),
                                 folder.getChildFile (escapedLabel).getFullPathName().toRawUTF8()));
    }

    // One mount table line; the mount point as the kernel escapes it.
    void addMount (const juce::String& number, const juce::String& mountPoint, const juce::String& type,
                   const juce::String& options = "rw,nosuid,nodev", const juce::String& fsRoot = "/")
    {
        const auto id = nextMountId++;
        mountLines.add (juce::String (id) + " 1 " + number + " " + fsRoot + " " + mountPoint + " " + options +
                        " shared:" + juce::String (id) + " - " + type + " /dev/x rw,errors=remount-ro");
    }

    void writeMountTable()
    {
        // Replaced in one step, as the kernel's table changes: a reader never sees half a table.
        auto file = root.getChildFile ("proc/self/mountinfo");
        file.getParentDirectory().createDirectory();
        ASSERT_TRUE (file.replaceWithText (mountLines.joinIntoString ("\n") + "\n"));
    }

    static void write (const juce::File& file, const juce::String& text)
    {
        file.getParentDirectory().createDirectory();
        ASSERT_TRUE (file.replaceWithText (text));
    }

    juce::File root = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                          .getNonexistentChildFile ("volumes", "");
    juce::StringArray mountLines;
    int nextMountId = 20;
};

const juce::String usbBus = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0";
const juce::String sataBus = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";

struct Expected
{
    const char* displayName;
    const char* rootFolder;
    const char* label;
    const char* fileSystem;
    const char* friendlyName;
    bool removable;
};

void expectVolumes (const juce::Array<RemovableVolumeList::Volume>& volumes,
                    std::initializer_list<Expected> expected)
{
    ASSERT_EQ ((size_t)volumes.size(), expected.size());
    int i = 0;

    for (const auto& e : expected)
    {
        const auto& v = volumes.getReference (i++);
        SCOPED_TRACE (e.rootFolder);
        EXPECT_EQ (v.displayName, juce::String::fromUTF8 (e.displayName));
        EXPECT_EQ (v.rootFolder.getFullPathName(), juce::String::fromUTF8 (e.rootFolder));
        EXPECT_EQ (v.volumeLabel, juce::String::fromUTF8 (e.label));
        EXPECT_EQ (v.fileSystemName, e.fileSystem);
        EXPECT_EQ (v.diskFriendlyName, e.friendlyName);
        EXPECT_EQ (v.isRemovable, e.removable);
    }
}

// A machine with one of each kind of disk the list must tell apart.
void buildTypicalMachine (FakeSystem& system)
{
    auto internal = system.addDisk ({sataBus, "sda", "8", 0, false, false, "ATA", "Samsung SSD"}, 2);
    system.addMount (internal, "/", "ext4", "rw,relatime");
    system.addMount ("0:25", "/run", "tmpfs");
    system.addMount ("0:5", "/proc", "proc");

    // A USB stick that calls itself a fixed disk; its label holds blanks.
    auto stick = system.addDisk ({usbBus, "sdb", "8", 16, false, false, "SanDisk", "Cruzer Blade"});
    system.addLabel ("MY\\x20SAMPLES", "sdb1");
    system.addMount (stick, "/media/user/MY\\040SAMPLES", "vfat");
    system.addMount (stick, "/home/user/stick-again", "vfat"); // bind mount: listed once

    // An SD card in a card slot on the MMC bus, unlabelled.
    auto card = system.addDisk ({"pci0000:00/0000:00:1c.0/0000:02:00.0/mmc_host/mmc0/mmc0:aaaa", "mmcblk0",
                                 "179", 0, false, false, "", "", "SD32G"});
    system.addMount (card, "/media/user/3A5F-11C2", "exfat");

    // A stick mounted read-only, and one whose write-protect switch is on.
    auto readOnlyMount =
        system.addDisk ({usbBus + "/x", "sdc", "8", 32, true, false, "Kingston", "DataTraveler"});
    system.addMount (readOnlyMount, "/media/user/LOCKED", "vfat", "ro,nosuid,nodev");
    auto writeProtected =
        system.addDisk ({usbBus + "/y", "sdd", "8", 48, true, true, "Generic", "Card Reader"});
    system.addMount (writeProtected, "/media/user/PROTECTED", "vfat");

    // Loop devices: a snap image and a writable disk image.
    auto snap = system.addDisk ({"virtual", "loop0", "7", 0}, 0);
    system.addMount (snap, "/snap/core/1", "squashfs", "ro,nodev,relatime");
    auto image = system.addDisk ({"virtual", "loop1", "7", 1}, 0);
    system.addMount (image, "/mnt/image", "ext4");

    // An old-style removable disk that is not on USB (a removable flag is enough).
    auto zip = system.addDisk ({"pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0", "sde", "8", 64,
                                true, false, "IOMEGA", "ZIP 250"});
    system.addMount (zip, "/media/user/ZIP", "vfat");
    system.writeMountTable();
}
} // namespace

TEST (RemovableVolumeListLinux, ListsWritableVolumesOfRemovableDisksOnly)
{
    FakeSystem system;
    buildTypicalMachine (system);

    RemovableVolumeListLinux platform (system.root);
    expectVolumes (
        platform.findVolumes(),
        {
            {"3A5F-11C2", "/media/user/3A5F-11C2", "", "exfat", "SD32G", false},
            {"MY SAMPLES", "/media/user/MY SAMPLES", "MY SAMPLES", "vfat", "SanDisk Cruzer Blade", false},
            {"ZIP", "/media/user/ZIP", "", "vfat", "IOMEGA ZIP 250", true},
        });
}

TEST (RemovableVolumeListLinux, SameNamesAreToldApartByMountPoint)
{
    // Two sticks labelled SAMPLES: udev keeps one label link, the other shows its mount point's name.
    FakeSystem system;
    auto first = system.addDisk ({usbBus, "sdb", "8", 16, true});
    auto second = system.addDisk ({usbBus + "/b", "sdc", "8", 32, true});
    auto third = system.addDisk ({usbBus + "/c", "sdd", "8", 48, true});
    system.addLabel ("SAMPLES", "sdc1");
    system.addMount (second, "/media/user/SAMPLES1", "vfat");
    system.addMount (first, "/media/user/SAMPLES", "vfat");
    system.addMount (third, "/media/user/OTHER", "vfat");
    system.writeMountTable();

    expectVolumes (
        RemovableVolumeListLinux (system.root).findVolumes(),
        {
            {"OTHER", "/media/user/OTHER", "", "vfat", "", true},
            {"SAMPLES (/media/user/SAMPLES)", "/media/user/SAMPLES", "", "vfat", "", true},
            {"SAMPLES (/media/user/SAMPLES1)", "/media/user/SAMPLES1", "SAMPLES", "vfat", "", true},
        });
}

TEST (RemovableVolumeListLinux, MissingOrBrokenSystemFilesGiveAnEmptyList)
{
    FakeSystem system;
    EXPECT_TRUE (RemovableVolumeListLinux (system.root).findVolumes().isEmpty());

    // Garbage lines, and a device link that leads out of sysfs.
    auto stick = system.addDisk ({usbBus, "sdb", "8", 16, true});
    system.mountLines.add ("garbage");
    system.mountLines.add ("1 2 3 - - - -");
    system.mountLines.add (juce::String (juce::CharPointer_UTF8 ("\xff\xfe - \\")));
    system.addMount ("8:99", "/media/user/ELSEWHERE", "vfat");
    system.writeMountTable();
    auto outside = system.root.getChildFile ("sys/dev/block/8:99");
    ASSERT_EQ (0, ::symlink ("/tmp", outside.getFullPathName().toRawUTF8()));
    EXPECT_TRUE (RemovableVolumeListLinux (system.root).findVolumes().isEmpty());

    system.addMount (stick, "/media/user/STICK", "vfat");
    system.writeMountTable();
    EXPECT_EQ (RemovableVolumeListLinux (system.root).findVolumes().size(), 1);
}

TEST (RemovableVolumeListLinux, MountTableFieldsAreSeparatedBySingleBlanks)
{
    // An empty source ("mount -t tmpfs '' /mnt/x") leaves two blanks in a row; the super options
    // still follow it, and a line that ends early has none to read.
    const auto entries = RemovableVolumeListLinux::parseMountInfo (
        "50 30 0:45 / /mnt/x rw,relatime shared:1 master:2 propagate_from:3 unbindable a b c - tmpfs  "
        "ro,size=10\n"
        "51 30 0:46 / /mnt/y rw shared:4 master:5 propagate_from:6 unbindable d e f g - tmpfs /dev/y\n"
        "52 30 8:17 / /media/user/STICK rw shared:7 - vfat /dev/sdb1 rw,errors=remount-ro\n");

    ASSERT_EQ (entries.size(), 2u);
    EXPECT_EQ (entries[0].mountPoint, "/mnt/x");
    EXPECT_EQ (entries[0].fileSystemType, "tmpfs");
    EXPECT_EQ (entries[0].superOptions, "ro,size=10");
    EXPECT_EQ (entries[1].mountPoint, "/media/user/STICK");
    EXPECT_EQ (entries[1].superOptions, "rw,errors=remount-ro");
}

TEST (RemovableVolumeListLinux, Unescaping)
{
    EXPECT_EQ (RemovableVolumeListLinux::unescapeMountField ("/media/a\\040b\\011c\\134d"),
               "/media/a b\tc\\d");
    EXPECT_EQ (RemovableVolumeListLinux::unescapeMountField ("/trailing\\04"), "/trailing\\04");
    EXPECT_EQ (RemovableVolumeListLinux::unescapeUdevName ("MY\\x20DISK\\x2fX"), "MY DISK/X");
    EXPECT_EQ (RemovableVolumeListLinux::unescapeUdevName (juce::CharPointer_UTF8 ("\xe9\x9f\xb3\\x20A\\x2")),
               juce::String (juce::CharPointer_UTF8 ("\xe9\x9f\xb3 A\\x2")));
}

// A stick labelled in Latin-1 gives names that are not UTF-8, raw in the mount table or spelled as
// escapes. They once became strings that JUCE's code read past their end; such a line is skipped
// and such a name is empty, while the other lines stay.
TEST (RemovableVolumeListLinux, NamesThatAreNotUtf8AreDropped)
{
    const auto entries = RemovableVolumeListLinux::parseMountInfo (
        std::string ("64 30 8:81 / /media/user/X rw\0\xd1 shared:11 - vfat /dev/sdf1 rw\n", 62) +
        "60 30 8:17 / /media/user/CAF\\351 rw shared:7 - vfat /dev/sdb1 rw\n"
        "61 30 8:33 / /media/user/CAF\xe9 rw shared:8 - vfat /dev/sdc1 rw\n"
        "62 30 8:49 / /media/user/OK rw shared:9 - vfat /dev/sdd1 rw,\xd1\n"
        "63 30 8:65 / /media/user/STICK rw shared:10 - vfat /dev/sde1 rw\n");

    ASSERT_EQ (entries.size(), 2u);
    EXPECT_EQ (entries[0].mountPoint, "");
    EXPECT_EQ (entries[1].mountPoint, "/media/user/STICK");
    EXPECT_EQ (RemovableVolumeListLinux::unescapeMountField ("/media/\\351\\377"), "");
    EXPECT_EQ (RemovableVolumeListLinux::unescapeUdevName ("CAF\\xe9"), "");
}

//==============================================================================
namespace
{
struct ChangeCounter : juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

} // namespace

TEST (RemovableVolumeList, FollowsTheMountTableWithOneMessagePerChange)
{
    FakeSystem system;
    buildTypicalMachine (system);
    RemovableVolumeList list (std::make_unique<RemovableVolumeListLinux> (system.root, 20));
    ChangeCounter counter;
    list.addChangeListener (&counter);
    ASSERT_EQ (list.getVolumes().size(), 3);

    auto stick = system.addDisk ({usbBus + "/new", "sdf", "8", 80, true, false, "Lexar", "JumpDrive"});
    system.addMount (stick, "/media/user/NEW", "vfat");
    system.writeMountTable();

    ASSERT_TRUE (pumpMessagesUntil ([&] { return counter.count > 0; }));
    pumpMessagesFor (300);
    EXPECT_EQ (counter.count, 1);
    ASSERT_EQ (list.getVolumes().size(), 4);
    EXPECT_EQ (list.getVolumes()[2].displayName, "NEW"); // ordered by mount point

    // Mounts of other kinds change the table but not the list: no message.
    system.addMount ("0:40", "/run/user/1000/doc", "fuse.portal");
    system.writeMountTable();
    pumpMessagesFor (300);
    EXPECT_EQ (counter.count, 1);

    // Unplugging brings the list back, again with one message.
    system.mountLines.removeString (system.mountLines[system.mountLines.size() - 2]);
    system.writeMountTable();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return counter.count > 1; }));
    pumpMessagesFor (300);
    EXPECT_EQ (counter.count, 2);
    EXPECT_EQ (list.getVolumes().size(), 3);

    // An explicit refresh always tells the listeners.
    list.refresh();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return counter.count > 2; }));
    EXPECT_EQ (counter.count, 3);

    list.removeChangeListener (&counter);
}

TEST (RemovableVolumeList, DestroyingTheListWhileAChangeIsPendingIsSafe)
{
    FakeSystem system;
    buildTypicalMachine (system);
    ChangeCounter counter;

    {
        RemovableVolumeList list (std::make_unique<RemovableVolumeListLinux> (system.root, 10));
        list.addChangeListener (&counter);
        system.addMount (system.addDisk ({usbBus + "/new", "sdf", "8", 80, true}), "/media/user/NEW", "vfat");
        system.writeMountTable();
        juce::Thread::sleep (50); // let the watcher post its refresh, which must then be dropped
        list.removeChangeListener (&counter);
    }

    pumpMessagesFor (100);
    EXPECT_EQ (counter.count, 0);
}

TEST (RemovableVolumeList, TheRealSystemCanBeListed)
{
    // Whatever this machine has plugged in; the point is that reading the real tables works.
    RemovableVolumeList list;

    for (const auto& volume : list.getVolumes())
    {
        EXPECT_TRUE (volume.rootFolder.isDirectory());
        EXPECT_TRUE (volume.displayName.isNotEmpty());
    }
}
