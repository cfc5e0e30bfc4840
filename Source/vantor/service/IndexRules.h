#pragma once

#include "vantor/dataset/WyxModel.h"
#include "vantor/dataset/WyxSlotList.h"

// Index rules that the service's operations share. Any thread.
namespace vantor::service::indexrules
{
constexpr int slotsPerBank = dataset::WyxSlotList::slotCount;
constexpr int banksInModel = dataset::WyxModel::bankCount;

// Indexes are compared unsigned, so a negative one is out of range too.
constexpr bool isBelow (int index, int count) noexcept
{
    return count > 0 && (unsigned int)index < (unsigned int)count;
}

// Only the third and fourth SLOT of a BANK may loop.
constexpr bool mayLoop (int slotIndex) noexcept
{
    return slotIndex == 2 || slotIndex == 3;
}
} // namespace vantor::service::indexrules
