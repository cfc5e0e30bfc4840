#pragma once

// Names of the unit's folder on a removable volume and of its settings file. The settings file is
// "model.json" without the editor's keys: its other keys are those of ModelJsonKeys.h,
// BankJsonKeys.h and SlotJsonKeys.h.
namespace vantor::dataset::unitkeys
{
inline constexpr const char* makerFolder = "Quorvane";
inline constexpr const char* unitFolder = "GLORVAK";
inline constexpr const char* settingsFile = "GLORVAKSETTINGS.json";

// Written by older editors only; removed like the other editor keys.
inline constexpr const char* beatBpmLock = "beat_bpm_lock";
} // namespace vantor::dataset::unitkeys
