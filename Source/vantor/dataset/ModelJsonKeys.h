#pragma once

// Top-level keys of "model.json", in the order they are written, and the names of its folder.
namespace vantor::dataset::modelkeys
{
inline constexpr const char* folderName = "model";
inline constexpr const char* fileName = "model.json";

inline constexpr const char* favorite = "favorite";
inline constexpr const char* bank = "bank";
} // namespace vantor::dataset::modelkeys
