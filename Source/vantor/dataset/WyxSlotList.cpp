#include "vantor/dataset/WyxSlotList.h"

namespace vantor::dataset
{
WyxSlotList::WyxSlotList()
{
    for (int i = 0; i < slotCount; ++i)
        slots.add (createSlot());
}

WyxSlotList::~WyxSlotList() = default;
} // namespace vantor::dataset
