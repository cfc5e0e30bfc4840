#include "ProgramPath.h"

namespace installer
{
namespace ProgramPath
{
namespace
{
bool isSeparator (char16_t c)
{
    return c == u'\\' || c == u'/';
}
} // namespace

void folderOf (const char16_t* path, PluginStack::Buffer& folder)
{
    const std::size_t length = textLength (path);
    const std::size_t driveLength = length >= 2 && path[1] == u':' ? 2 : 0;

    // Everything up to and including the last separator after the drive is the folder.
    std::size_t end = driveLength;
    for (std::size_t i = driveLength; i < length; ++i)
        if (isSeparator (path[i]))
            end = i + 1;

    // Drop the final separator unless it is the folder's only one: "C:\" and "\" are roots.
    if (end > driveLength + 1)
        --end;

    if (end >= PluginStack::bufferUnits)
        end = PluginStack::bufferUnits - 1;

    for (std::size_t i = 0; i < end; ++i)
        folder[i] = path[i];
    folder[end] = 0;
}

void quoted (const char16_t* path, CommandLine& commandLine)
{
    constexpr std::size_t capacity = sizeof (CommandLine) / sizeof (char16_t);
    std::size_t out = 0;
    commandLine[out++] = u'"';
    for (std::size_t i = 0; path[i] != 0 && out < capacity - 2; ++i)
        commandLine[out++] = path[i];
    commandLine[out++] = u'"';
    commandLine[out] = 0;
}

} // namespace ProgramPath
} // namespace installer
