#pragma once

namespace vantor::service
{
/** Shows a user message given by its code (see MessageCode). May be called from any thread. */
class ISendErrorMessage
{
public:
    enum Kind
    {
        error = 0,
        notice = 1
    };

    virtual ~ISendErrorMessage() = default;
    virtual void sendErrorMessage (int code, int kind) = 0;
};
} // namespace vantor::service
