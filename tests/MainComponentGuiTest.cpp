#include "MainComponent.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST (MainComponent, StartsAtTheMinimumWindowSize)
{
    MainComponent component;
    EXPECT_EQ (component.getWidth(), 1280);
    EXPECT_EQ (component.getHeight(), 800);
}

TEST (TestEnvironment, UserDataFolderIsPrivateToTheTest)
{
    const char* dataHome = std::getenv ("XDG_DATA_HOME");
    ASSERT_NE (dataHome, nullptr);
    EXPECT_NE (juce::String (dataHome).indexOf ("glorvak-test-"), -1);
}
