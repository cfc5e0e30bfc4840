#include "common/reader/Mpg123DynamicLibraryHandle.h"

namespace quelbix
{
namespace
{
juce::CriticalSection& nameLock()
{
    static juce::CriticalSection lock;
    return lock;
}

juce::String& libraryName()
{
    static juce::String name ("libmpg123.so.0");
    return name;
}

template <typename Function>
void lookUp (const DynamicLibraryHandle& library, Function& function, const char* name)
{
    function = reinterpret_cast<Function> (library.getFunction (name));
}
} // namespace

Mpg123DynamicLibraryHandle& Mpg123DynamicLibraryHandle::getInstance()
{
    static Mpg123DynamicLibraryHandle instance;
    return instance;
}

juce::String Mpg123DynamicLibraryHandle::getLibraryName()
{
    const juce::ScopedLock sl (nameLock());
    return libraryName();
}

void Mpg123DynamicLibraryHandle::setLibraryName (const juce::String& newName)
{
    const juce::ScopedLock sl (nameLock());
    libraryName() = newName;
}

void Mpg123DynamicLibraryHandle::moduleLoaded()
{
    lookUp (*this, functions.init, "mpg123_init");
    lookUp (*this, functions.newDecoder, "mpg123_new");
    lookUp (*this, functions.param, "mpg123_param");
    lookUp (*this, functions.formatNone, "mpg123_format_none");
    lookUp (*this, functions.format, "mpg123_format");
    lookUp (*this, functions.openFeed, "mpg123_open_feed");
    lookUp (*this, functions.feed, "mpg123_feed");
    lookUp (*this, functions.decodeFrame, "mpg123_decode_frame");
    lookUp (*this, functions.errcode, "mpg123_errcode");
    lookUp (*this, functions.deleteDecoder, "mpg123_delete");
}

void Mpg123DynamicLibraryHandle::moduleUnloading()
{
    functions = {};
}
} // namespace quelbix
