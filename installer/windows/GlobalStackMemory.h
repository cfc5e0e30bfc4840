#pragma once

#include "PluginStack.h"

#include <windows.h>

namespace installer
{

// Stack entries live on the global heap: the installer frees what we push and gives us blocks
// that we free, both with GlobalFree.
class GlobalStackMemory final : public StackMemory
{
public:
    void* allocateZeroed (std::size_t bytes) override;
    void release (void* block) override;
};

// The checks below hold the data layout the installer and Windows expect of a 32-bit plug-in.
static_assert (sizeof (void*) == 4, "the installer loads 32-bit plug-ins only");
static_assert (stackTextOffset == 4, "a stack entry's text follows its 4-byte link");
static_assert (sizeof (wchar_t) == sizeof (char16_t), "Windows strings are UTF-16 code units");

} // namespace installer
