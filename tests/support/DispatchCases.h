#pragma once

#include "support/MockVantorDataMediator.h"

#include <functional>
#include <initializer_list>

namespace glorvak::test
{
// One row of a "dispatcher call -> service operation" table: what the view does and which one
// service call (with its arguments) that must cause.
template <typename Dispatcher>
struct DispatchCase
{
    const char* name;
    std::function<void (Dispatcher&)> call;
    std::function<void (MockVantorDataMediator&)> expect;
};

// Runs every row against a fresh view model over a strict mock service, so that a call of any
// other operation, or a second call, fails the row.
template <typename ViewModel, typename Dispatcher>
void runDispatchCases (std::initializer_list<DispatchCase<Dispatcher>> cases)
{
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ::testing::StrictMock<MockVantorDataMediator> service;
        ViewModel viewModel (&service);
        c.expect (service);

        Dispatcher& dispatcher = viewModel;
        c.call (dispatcher);
        ::testing::Mock::VerifyAndClearExpectations (&service);
    }
}
} // namespace glorvak::test
