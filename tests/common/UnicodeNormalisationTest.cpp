#include "common/UnicodeNormalisation.h"

#include <gmock/gmock.h>

namespace
{
using namespace common;

juce::String utf8 (const char* bytes)
{
    return juce::String::fromUTF8 (bytes);
}

struct NfcCase
{
    const char* name;
    const char* input;
    const char* expected;
};

const NfcCase nfcCases[] = {
    {"e with combining acute", "e\xcc\x81", "\xc3\xa9"},
    {"already composed", "\xc3\xa9", "\xc3\xa9"},
    {"plain ASCII", "Kick 01.wav", "Kick 01.wav"},
    {"empty", "", ""},
    {"several marks in a path", "/home/ann/Cafe\xcc\x81/A\xcc\x8a.wav", "/home/ann/Caf\xc3\xa9/\xc3\x85.wav"},
    {"Hangul jamo compose", "\xe1\x84\x80\xe1\x85\xa1", "\xea\xb0\x80"},
    {"Angstrom sign becomes A with ring", "\xe2\x84\xab", "\xc3\x85"},
    {"marks reordered canonically", "a\xcc\x87\xcc\xa3", "\xe1\xba\xa1\xcc\x87"},
    {"Japanese dakuten", "\xe3\x81\x8b\xe3\x82\x99", "\xe3\x81\x8c"},
    {"emoji untouched", "\xf0\x9f\x8e\xb5", "\xf0\x9f\x8e\xb5"},
};

TEST (UnicodeNormalisation, TextComesBackInFormC)
{
    for (const auto& c : nfcCases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (normaliseToNfc (utf8 (c.input)), utf8 (c.expected));
    }
}

TEST (UnicodeNormalisation, InvalidUtf8ComesBackUnchanged)
{
    const char* invalid[] = {"\xff\xfe", "abc\xc3", "\xed\xa0\x80", "\xc0\xaf"};

    for (const auto* bytes : invalid)
    {
        const auto text = juce::String (juce::CharPointer_UTF8 (bytes));
        SCOPED_TRACE (text.toRawUTF8());
        EXPECT_EQ (normaliseToNfc (text), text);
    }
}

class NormaliseToNfcFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (folder.createDirectory()); }
    void TearDown() override { folder.deleteRecursively(); }

    juce::File folder = juce::File::createTempFile ("nfc");
};

TEST_F (NormaliseToNfcFile, GivesTheComposedPath)
{
    const auto decomposed = folder.getFullPathName() + utf8 ("/Cafe\xcc\x81.wav");
    const auto composed = folder.getChildFile (utf8 ("Caf\xc3\xa9.wav"));

    EXPECT_EQ (normaliseToNfcFile (decomposed), composed);

    ASSERT_TRUE (composed.replaceWithText ("x"));
    EXPECT_EQ (normaliseToNfcFile (decomposed), composed);
    EXPECT_EQ (normaliseToNfcFile (composed.getFullPathName()), composed);
}

TEST_F (NormaliseToNfcFile, KeepsAFileStoredUnderADecomposedName)
{
    // A name written by a system that stores decomposed forms: the bytes on disk are what
    // count, and the composed path would not find the file.
    const auto decomposed = folder.getChildFile (utf8 ("Cafe\xcc\x81.wav"));
    ASSERT_TRUE (decomposed.replaceWithText ("x"));

    const auto result = normaliseToNfcFile (decomposed.getFullPathName());
    EXPECT_EQ (result, decomposed);
    EXPECT_TRUE (result.existsAsFile());
}

TEST_F (NormaliseToNfcFile, EmptyAndRelativePaths)
{
    EXPECT_EQ (normaliseToNfcFile (""), juce::File());
    EXPECT_EQ (normaliseToNfcFile (utf8 ("a/e\xcc\x81")),
               juce::File::getCurrentWorkingDirectory().getChildFile (utf8 ("a/\xc3\xa9")));
}
} // namespace
