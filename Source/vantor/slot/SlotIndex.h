#pragma once

namespace vantor::slot
{
/** A SLOT index 0..3 of the current BANK, as the last argument of the value-first setters of the
    SLOT and pad view models. It must be spelled out at the call, so a value and an index given
    the wrong way round do not compile. Values outside 0..3 (negative ones too) are ignored by
    the setters. */
struct SlotIndex
{
    constexpr explicit SlotIndex (int index) noexcept
        : value (index)
    {
    }

    int value;
};
} // namespace vantor::slot
