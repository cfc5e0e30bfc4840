#pragma once

#include <juce_core/juce_core.h>

// The keys of "settings.json". Inline so that every user, also a static object of another file,
// sees one interned identifier that is ready before it is first used.
namespace common::SettingsKey
{
inline const juce::Identifier SkipThisVersion{"SkipThisVersion"};
inline const juce::Identifier WarnOverwriting{"WarnOverwriting"};
inline const juce::Identifier WarnDeleting{"WarnDeleting"};
inline const juce::Identifier ShowTooltips{"ShowTooltips"};
inline const juce::Identifier AutoUpdate{"AutoUpdate"};
inline const juce::Identifier GuiLangId{"GuiLangId"};
inline const juce::Identifier BankCollectionOpen{"BankCollectionOpen"};
inline const juce::Identifier PinnedFolders{"PinnedFolders"};
} // namespace common::SettingsKey
