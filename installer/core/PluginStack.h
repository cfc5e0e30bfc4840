#pragma once

#include <cstddef>

namespace installer
{

// One entry of the installer's string stack. The installer allocates each entry as one block: the
// pointer to the entry below, then a text field of the call's string size in UTF-16 code units.
// Only `next` is read through this type; the text is reached at offsetof (StackEntry, text), which
// is 4 bytes in the 32-bit plug-ins and 8 in a native 64-bit build.
struct StackEntry
{
    StackEntry* next;
    char16_t text[1];
};

constexpr std::size_t stackTextOffset = offsetof (StackEntry, text);

// The installer allocates entries with a fixed 8 bytes besides the text field; the pointer must fit.
static_assert (stackTextOffset <= 8, "a stack entry's text must start within its 8 spare bytes");

// Allocation of stack entries: the plug-ins bind it to the installer's global heap (entries the
// installer frees, and blocks it hands us, come from there); the tests bind it to a recording fake.
class StackMemory
{
public:
    virtual ~StackMemory() = default;

    // A zero-filled block of `bytes` bytes, or null when there is no memory.
    virtual void* allocateZeroed (std::size_t bytes) = 0;
    virtual void release (void* block) = 0;
};

// The installer's string stack for the length of one plug-in call. The stack and its entries
// belong to the installer; this only pops, pushes and frees entries the way the installer does.
class PluginStack
{
public:
    // Every text buffer a plug-in pops into holds this many code units, terminator included.
    static constexpr std::size_t bufferUnits = 1024;
    using Buffer = char16_t[bufferUnits];

    // `top` is the address of the installer's pointer to the top entry (null when the installer
    // gives none); `stringSize` is the size of each entry's text field in code units.
    PluginStack (StackEntry** top, int stringSize, StackMemory& memory);

    // Copies the top entry's text into `buffer` (at most 1023 units and never beyond the entry's
    // text field, then a zero), unlinks the entry and frees it. Returns false, leaving `buffer`
    // untouched, when there is no stack or it is empty.
    bool pop (Buffer& buffer);

    // Pushes a copy of `text`, cut to the string size less one unit for the terminator. Nothing
    // is pushed when there is no stack, no memory, or a string size without room for a terminator.
    void push (const char16_t* text);

private:
    StackEntry** top;
    int stringSize;
    StackMemory& memory;
};

// The text field of an entry, found by its offset so that the code does not depend on pointer size.
char16_t* entryText (StackEntry* entry);

// The number of code units before the terminating zero.
std::size_t textLength (const char16_t* text);

} // namespace installer
