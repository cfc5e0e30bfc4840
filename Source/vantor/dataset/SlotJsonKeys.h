#pragma once

// Keys of the slot object that "model.json", "bankcollection.json" and the unit's settings file
// carry inside each bank object, in the order they are written.
namespace vantor::dataset::slotkeys
{
inline constexpr const char* fileSize = "file_size";
inline constexpr const char* bpm = "bpm";
inline constexpr const char* sampleNum = "sample_num";
inline constexpr const char* startSample = "start_sample";
inline constexpr const char* endSample = "end_sample";
inline constexpr const char* timeLength = "time_length";
inline constexpr const char* beatLength = "beat_length";
inline constexpr const char* gain = "gain";
inline constexpr const char* channelNum = "channel_num";
inline constexpr const char* isLoop = "is_loop";
inline constexpr const char* isDubkickMode = "is_dubkick_mode";
inline constexpr const char* slotNumber = "slot_number";
inline constexpr const char* fileName = "file_name";
inline constexpr const char* displayFileName = "display_file_name";
inline constexpr const char* originalFileName = "original_file_name";
inline constexpr const char* slotName = "slot_name";
} // namespace vantor::dataset::slotkeys
