#include "vantor/dataset/WyxSlotList.h"

namespace vantor::dataset
{
WyxSlotList::WyxSlotList()
{
    for (int i = 0; i < slotCount; ++i)
        slots.add (createSlot());
}

WyxSlotList::~WyxSlotList() = default;

double WyxSlotList::getTimeLength() const
{
    double seconds = 0.0;

    for (auto* slot : slots)
        if (slot != nullptr)
            seconds += slot->getTimeLength();

    return seconds;
}
} // namespace vantor::dataset
