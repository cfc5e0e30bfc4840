#include "support/ProgramUnderTest.h"

#include "common/volumes/RemovableVolumeList.h"

#include <gtest/gtest.h>

#include <cstdlib>

using glorvak::test::ProgramUser;

namespace
{
// The variables of a user, set in this process while a volume list of the program's own kind
// is made, as they are in the program's process.
juce::Array<common::RemovableVolumeList::Volume> volumesSeenWith (const ProgramUser& user)
{
    const auto environment = user.environment();
    const auto* name = glorvak::test::programVariables::volumeSourcesRoot;
    setenv (name, environment[name].toRawUTF8(), 1);
    common::RemovableVolumeList list;
    unsetenv (name);
    return list.getVolumes();
}
} // namespace

TEST (ProgramUser, AddedFoldersAreListedAsRemovableVolumesUnderTheirLabels)
{
    ProgramUser user;
    const auto first = user.addRemovableVolume ("GLORVAK");
    const auto second = user.addRemovableVolume ("Other Stick");
    EXPECT_TRUE (first.isDirectory());
    EXPECT_TRUE (second.isDirectory());

    const auto volumes = volumesSeenWith (user);
    ASSERT_EQ (volumes.size(), 2);

    EXPECT_EQ (volumes[0].rootFolder, first);
    EXPECT_EQ (volumes[0].displayName, "GLORVAK");
    EXPECT_EQ (volumes[1].rootFolder, second);
    EXPECT_EQ (volumes[1].displayName, "Other Stick");
    for (const auto& volume : volumes)
    {
        EXPECT_TRUE (volume.isRemovable);
        EXPECT_EQ (volume.fileSystemName, "vfat");
    }
    EXPECT_NE (volumes[0].deviceInstance, volumes[1].deviceInstance);
}

TEST (ProgramUser, WithoutTheVariableTheSystemsOwnTablesAreRead)
{
    unsetenv (glorvak::test::programVariables::volumeSourcesRoot);
    EXPECT_EQ (common::RemovableVolumeList::systemSourcesRoot(), juce::File ("/"));

    // A variable naming nothing usable is ignored, never half-used.
    for (const auto* value : {"relative/folder", "/no/such/folder"})
    {
        SCOPED_TRACE (value);
        setenv (glorvak::test::programVariables::volumeSourcesRoot, value, 1);
        EXPECT_EQ (common::RemovableVolumeList::systemSourcesRoot(), juce::File ("/"));
    }
    unsetenv (glorvak::test::programVariables::volumeSourcesRoot);
}
