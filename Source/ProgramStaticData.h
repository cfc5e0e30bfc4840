#pragma once

/** The program's process-wide static data, set up before main from one object of its source file
    and released at exit in the reverse order of set-up, after JUCE's shut-down.

    The source file is linked into the program as an object file, never taken from an archive:
    nothing calls into it, so a linker picking members out of a library would leave its set-up out.

    What it sets up, in order, and what stands elsewhere:
    - singleton holders of the settings store, the updater, the preview player, the reader factory
      and the encrypted-file helper: JUCE's lock and null pointer, static members of their own
      files and so ready before main; their instances are deleted at JUCE's shut-down (the
      updater by the application's), before any static is released;
    - setting keys and result-kind texts: inline in their headers, so ready before any static of a
      file that includes them;
    - the MP3 library handle and its file name, the decoder library's start-up (its logging
      silenced), the language table, the icon and title graphics and the beat choices: built here;
    - the application-information record and the usage-statistics state: built on first use,
      after main (see ProgramStaticData.cpp). */
class ProgramStaticData
{
public:
    /** True once the set-up has run, i.e. from before main onwards. */
    static bool isSetUp() noexcept;

private:
    ProgramStaticData() = delete;
};
