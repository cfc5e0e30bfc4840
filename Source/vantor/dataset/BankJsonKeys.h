#pragma once

// Keys of the bank object that "model.json", "bankcollection.json" and the unit's settings file
// are made of, in the order they are written.
namespace vantor::dataset::bankkeys
{
inline constexpr const char* bankNumber = "bank_number";
inline constexpr const char* bankName = "bank_name";
inline constexpr const char* slot = "slot";
} // namespace vantor::dataset::bankkeys
