#pragma once

#include "support/MockVantorDataMediator.h"

#include <gmock/gmock.h>

namespace glorvak::test
{
// A view model over a strict mock service, with one strict mock observer. A test fixture names how
// an observer joins and what it is sent on joining; listen() then registers the observer and takes
// that in, so the test sees only the notifications that follow.
template <typename ViewModel, typename Observer>
class ViewModelFixture : public ::testing::Test
{
protected:
    ::testing::StrictMock<MockVantorDataMediator> service;
    ViewModel viewModel{&service};
    ::testing::StrictMock<Observer> observer;

    void listen()
    {
        expectJoiningState (observer);
        join (observer);
        ::testing::Mock::VerifyAndClearExpectations (&observer);
    }

private:
    virtual void expectJoiningState (::testing::StrictMock<Observer>& newObserver) = 0;
    virtual void join (Observer& newObserver) = 0;
};
} // namespace glorvak::test
