#include "GlobalStackMemory.h"

namespace installer
{

void* GlobalStackMemory::allocateZeroed (std::size_t bytes)
{
    return GlobalAlloc (GPTR, bytes);
}

void GlobalStackMemory::release (void* block)
{
    GlobalFree (block);
}

} // namespace installer
