#pragma once

namespace vantor
{
/** One user action: holds the service and copies of its arguments and calls exactly one service
    operation. Made, executed and deleted at once on the message thread; no queue, no undo. */
class IVantorCommand
{
public:
    virtual ~IVantorCommand() = default;
    /** What the service operation returned. */
    virtual bool execute() = 0;
};
} // namespace vantor
