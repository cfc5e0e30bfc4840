#include "vantor/ui/MessageBoxIconTypeComponent.h"

namespace vantor::ui
{
MessageBoxIconTypeComponent::MessageBoxIconTypeComponent()
{
    setSize (0, 0);
    setInterceptsMouseClicks (false, false);
}
} // namespace vantor::ui
