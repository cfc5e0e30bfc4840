#pragma once

// The installer's side of the string stack, for the plug-ins' tests: entries laid out as the
// installer lays them out, every block allocated and released through one recording allocator.

#include "PluginStack.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace installer::test
{

class RecordingStackMemory final : public StackMemory
{
public:
    ~RecordingStackMemory() override
    {
        for (const auto& [block, bytes] : live)
            std::free (block);
    }

    void* allocateZeroed (std::size_t bytes) override
    {
        requests.push_back (bytes);
        if (refuse)
            return nullptr;
        return allocate (bytes);
    }

    void release (void* block) override
    {
        if (live.erase (block) == 0)
        {
            ++foreignReleases; // freed twice, or never ours
            return;
        }
        released.push_back (block); // recorded before the free: only its identity is kept
        std::free (block);
    }

    // Allocations of the installer's own entries, which are not requests of the plug-in.
    void* allocate (std::size_t bytes)
    {
        void* block = std::calloc (1, bytes);
        live[block] = bytes;
        return block;
    }

    std::size_t sizeOf (void* block) const { return live.at (block); }

    bool refuse = false;
    std::vector<std::size_t> requests;
    std::vector<void*> released;
    int foreignReleases = 0;

private:
    std::map<void*, std::size_t> live;
};

// A stack as the installer holds it, with its string size.
class RecordingStack
{
public:
    explicit RecordingStack (int stringSizeToUse = 1024)
        : stringSize (stringSizeToUse)
    {
    }

    PluginStack view() { return PluginStack (&top, stringSize, memory); }

    // Pushes like the installer: a text field of `fieldUnits` units (the string size unless given),
    // followed by `canaryUnits` units of 'Z' that a reader of the field must never reach. A text
    // as long as the field is left unterminated.
    StackEntry* push (const std::u16string& text, int fieldUnits = -1, std::size_t canaryUnits = 0)
    {
        const auto field = static_cast<std::size_t> (fieldUnits < 0 ? stringSize : fieldUnits);
        auto* entry = static_cast<StackEntry*> (
            memory.allocate (stackTextOffset + (field + canaryUnits) * sizeof (char16_t)));
        char16_t* units = entryText (entry);
        std::memcpy (units, text.data(), std::min (text.size(), field) * sizeof (char16_t));
        for (std::size_t i = field; i < field + canaryUnits; ++i)
            units[i] = u'Z';
        entry->next = top;
        top = entry;
        return entry;
    }

    // Pushes the texts so that the first of them is on top, as a script pushes last to first.
    void pushInOrder (const std::vector<std::u16string>& texts)
    {
        for (auto it = texts.rbegin(); it != texts.rend(); ++it)
            push (*it);
    }

    // The texts from the top down, each read within its entry's field.
    std::vector<std::u16string> texts() const
    {
        std::vector<std::u16string> result;
        for (StackEntry* entry = top; entry != nullptr; entry = entry->next)
            result.emplace_back (entryText (entry));
        return result;
    }

    StackEntry* top = nullptr;
    int stringSize;
    RecordingStackMemory memory;
};

inline std::u16string repeated (char16_t unit, std::size_t count)
{
    return std::u16string (count, unit);
}

} // namespace installer::test
