#pragma once

#include "common/reader/DynamicLibraryHandle.h"

#include <sys/types.h>

namespace quelbix
{
// The process-wide binding of libmpg123, loaded at run time so that the program starts (and
// reads every other format) without it. The functions are looked up by name once per load.
//
// Threads: as DynamicLibraryHandle. The function table is written under the lock when the module
// loads and unloads; a reader reads it only while it holds a reference.
class Mpg123DynamicLibraryHandle : public DynamicLibraryHandle
{
public:
    // libmpg123's types, with this platform's widths: its API takes long and off_t, both 64-bit
    // here (the library is built with 64-bit file offsets).
    struct Decoder; // mpg123_handle, opaque

    static_assert (sizeof (long) == 8 && sizeof (off_t) == 8,
                   "libmpg123 binding assumes LP64 with 64-bit off_t");

    struct Functions
    {
        int (*init)() = nullptr;
        Decoder* (*newDecoder) (const char* decoderName, int* error) = nullptr;
        int (*param) (Decoder*, int type, long value, double floatValue) = nullptr;
        int (*formatNone) (Decoder*) = nullptr;
        int (*format) (Decoder*, long rate, int channels, int encodings) = nullptr;
        int (*openFeed) (Decoder*) = nullptr;
        int (*feed) (Decoder*, const unsigned char* input, size_t size) = nullptr;
        int (*decodeFrame) (Decoder*, off_t* frameNumber, unsigned char** audio, size_t* bytes) = nullptr;
        int (*errcode) (Decoder*) = nullptr;
        void (*deleteDecoder) (Decoder*) = nullptr;
    };

    // libmpg123's constants that the reader uses.
    enum : int
    {
        ok = 0,
        needMore = -10,
        newFormat = -11,
        badOutputFormat = 1,

        paramVerbose = 0,
        paramFlags = 1,
        paramIndexSize = 15,

        flagQuiet = 0x20, // no messages of its own on standard error
        flagSeekBuffer = 0x100,
        flagFuzzy = 0x200,

        encodingSigned16 = 0xd0
    };

    static Mpg123DynamicLibraryHandle& getInstance();

    // The file name that load uses; "libmpg123.so.0" unless changed. Tests point it at a name
    // that does not exist to see the program without the library.
    static juce::String getLibraryName();
    static void setLibraryName (const juce::String& newName);

    // Takes a reference under the current library name.
    bool loadLibrary() { return load (getLibraryName()); }

    // Valid while the caller holds a reference; a function missing from the module is null.
    const Functions& getFunctions() const noexcept { return functions; }

private:
    Mpg123DynamicLibraryHandle() = default;

    void moduleLoaded() override;
    void moduleUnloading() override;

    Functions functions;
};
} // namespace quelbix
