#pragma once

// Top-level key of "bankcollection.json" and the names of its folder.
namespace vantor::dataset::collectionkeys
{
inline constexpr const char* folderName = "bankcollection";
inline constexpr const char* fileName = "bankcollection.json";

inline constexpr const char* bankCollection = "bankcollection";
} // namespace vantor::dataset::collectionkeys
