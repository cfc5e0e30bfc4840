#include "PluginStack.h"

namespace installer
{

char16_t* entryText (StackEntry* entry)
{
    return reinterpret_cast<char16_t*> (reinterpret_cast<unsigned char*> (entry) + stackTextOffset);
}

std::size_t textLength (const char16_t* text)
{
    std::size_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

PluginStack::PluginStack (StackEntry** topToUse, int stringSizeToUse, StackMemory& memoryToUse)
    : top (topToUse)
    , stringSize (stringSizeToUse)
    , memory (memoryToUse)
{
}

bool PluginStack::pop (Buffer& buffer)
{
    if (top == nullptr || *top == nullptr)
        return false;

    StackEntry* entry = *top;
    const char16_t* text = entryText (entry);

    // The entry owns only its string size in units: an unterminated field must not lead the copy
    // into the next block.
    std::size_t limit = bufferUnits - 1;
    if (stringSize < 0)
        limit = 0;
    else if (static_cast<std::size_t> (stringSize) < limit)
        limit = static_cast<std::size_t> (stringSize);

    std::size_t length = 0;
    while (length < limit && text[length] != 0)
    {
        buffer[length] = text[length];
        ++length;
    }
    buffer[length] = 0;

    *top = entry->next;
    memory.release (entry);
    return true;
}

void PluginStack::push (const char16_t* text)
{
    // A field of less than one unit cannot even hold the terminator; 2 x size + 8 would also turn
    // a negative size into a huge or too small request.
    if (top == nullptr || stringSize < 1)
        return;

    const auto units = static_cast<std::size_t> (stringSize);
    auto* entry = static_cast<StackEntry*> (memory.allocateZeroed (2 * units + 8));
    if (entry == nullptr)
        return;

    char16_t* field = entryText (entry);
    std::size_t length = 0;
    while (length < units - 1 && text[length] != 0)
    {
        field[length] = text[length];
        ++length;
    }
    field[length] = 0;

    entry->next = *top;
    *top = entry;
}

} // namespace installer
