#include "common/AppSettingsSingleton.h"

namespace common
{
JUCE_IMPLEMENT_SINGLETON (AppSettingsSingleton)

AppSettingsSingleton::AppSettingsSingleton() = default;

AppSettingsSingleton::~AppSettingsSingleton()
{
    clearSingletonInstance();
}
} // namespace common
