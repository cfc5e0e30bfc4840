#pragma once

#include "PluginStack.h"

namespace installer
{

// Texts made from the path of a program that the launcher starts. The path comes from the string
// stack, so it is at most PluginStack::bufferUnits - 1 code units long.
namespace ProgramPath
{

// The folder to start the program in: the drive and folder of `path`, in the way the Windows C
// runtime splits paths ("\" and "/" both separate, a drive is a letter and ":"), without the final
// separator. A root keeps its separator: "C:\app.exe" gives "C:\" (a bare "C:" would mean the
// current folder of drive C) and "\app.exe" gives "\". A path without a folder gives "".
void folderOf (const char16_t* path, PluginStack::Buffer& folder);

// The path in double quotes, so that a path with spaces stays one argument of the command line.
using CommandLine = char16_t[PluginStack::bufferUnits + 2];
void quoted (const char16_t* path, CommandLine& commandLine);

} // namespace ProgramPath
} // namespace installer
