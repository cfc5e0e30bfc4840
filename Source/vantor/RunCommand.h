#pragma once

#include <memory>
#include <utility>

namespace vantor
{
/** Runs one user action the way every view model does: makes the command, executes it at once and
    deletes it, also when execute throws (the exception passes on). The result is dropped: the
    outcome reaches the views through the updates the service makes. */
template <typename Command, typename... Args>
void runCommand (Args&&... args)
{
    std::make_unique<Command> (std::forward<Args> (args)...)->execute();
}
} // namespace vantor
