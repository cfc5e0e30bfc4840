#pragma once

#include "vantor/service/IVantorCommand.h"
#include "vantor/service/IVantorDataMediator.h"

#include <tuple>

namespace vantor::service
{
/** What every command shares: it holds the service and copies of the arguments, and its execute
    is the one service operation with them (and, when given, afterSuccess once the operation did
    its work, e.g. a usage count). A command is then a class that names its operation:

        class CopySlotCmd : public service::ServiceCommand<&service::IVantorDataMediator::copySlot>
        {
        public:
            using ServiceCommandOf::ServiceCommandOf;
        };

    and is made with the service and the operation's arguments, in the operation's order. */
template <typename Operation, Operation operation, void (*afterSuccess)()>
class ServiceCommandOf;

template <typename... Args, bool (IVantorDataMediator::*operation) (const Args&...), void (*afterSuccess)()>
class ServiceCommandOf<bool (IVantorDataMediator::*) (const Args&...), operation, afterSuccess>
    : public IVantorCommand
{
public:
    explicit ServiceCommandOf (IVantorDataMediator* serviceToUse, const Args&... argumentsToUse)
        : service (serviceToUse)
        , arguments (argumentsToUse...)
    {
    }

    bool execute() override
    {
        const bool done = std::apply (
            [this] (const Args&... values) { return (service->*operation) (values...); }, arguments);

        if (done)
            afterSuccess();

        return done;
    }

private:
    IVantorDataMediator* service; // not owned; the service outlives every command
    std::tuple<Args...> arguments;
};

/** What a command without anything to do after its operation does. */
inline void nothingAfterSuccess() {}

/** The command of one service operation; see ServiceCommandOf. */
template <auto operation, void (*afterSuccess)() = &nothingAfterSuccess>
using ServiceCommand = ServiceCommandOf<decltype (operation), operation, afterSuccess>;
} // namespace vantor::service
