#pragma once

namespace common
{
/** Told after the GUI language changed and the new translations are installed; implementers
    translate their texts again. Called on the message thread. */
class LocaleObserver
{
public:
    virtual ~LocaleObserver() = default;
    virtual void localeChanged() = 0;
};
} // namespace common
