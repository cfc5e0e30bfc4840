#pragma once

namespace vantor::bank
{
/** A BANK index 0..14 of the working model, as the last argument of the value-first setters of
    the BANK view model. It must be spelled out at the call, so a value and an index given the
    wrong way round do not compile. Values outside 0..14 (negative ones too) are ignored. */
struct BankIndex
{
    constexpr explicit BankIndex (int index) noexcept
        : value (index)
    {
    }

    int value;
};
} // namespace vantor::bank
