#include "installer/core/RecordingStack.h"

#include <gtest/gtest.h>

namespace installer::test
{
namespace
{

std::u16string popped (const PluginStack::Buffer& buffer)
{
    return std::u16string (buffer);
}

TEST (PluginStackTest, PopFromNoStackOrAnEmptyOneLeavesTheBufferUntouched)
{
    RecordingStackMemory memory;
    StackEntry* emptyTop = nullptr;
    struct Case
    {
        const char* name;
        StackEntry** top;
    };
    for (const Case& c : {Case{"no stack", nullptr}, Case{"empty stack", &emptyTop}})
    {
        SCOPED_TRACE (c.name);
        PluginStack stack (c.top, 1024, memory);
        PluginStack::Buffer buffer;
        std::fill (std::begin (buffer), std::end (buffer), u'x');

        EXPECT_FALSE (stack.pop (buffer));
        EXPECT_TRUE (
            std::all_of (std::begin (buffer), std::end (buffer), [] (char16_t u) { return u == u'x'; }));
        EXPECT_TRUE (memory.released.empty());
    }
}

struct PopCase
{
    const char* name;
    int stringSize;
    std::u16string text;
    int fieldUnits; // -1: the string size
    std::u16string expected;
};

class PluginStackPopTest : public testing::TestWithParam<PopCase>
{
};

// Every pop unlinks the top entry, frees that block once, and copies no more than the buffer
// holds and the entry owns.
TEST_P (PluginStackPopTest, CopiesTheTopTextWithinBufferAndFieldAndFreesItsBlock)
{
    const auto& c = GetParam();
    RecordingStack installerStack (c.stringSize);
    installerStack.push (u"below", 6);
    StackEntry* entry = installerStack.push (c.text, c.fieldUnits, 8);
    auto stack = installerStack.view();

    PluginStack::Buffer buffer;
    std::fill (std::begin (buffer), std::end (buffer), u'x');
    ASSERT_TRUE (stack.pop (buffer));

    EXPECT_EQ (popped (buffer), c.expected);
    EXPECT_EQ (installerStack.texts(), std::vector<std::u16string>{u"below"});
    ASSERT_EQ (installerStack.memory.released.size(), 1u);
    EXPECT_EQ (installerStack.memory.released.front(), entry);
    EXPECT_EQ (installerStack.memory.foreignReleases, 0);
}

INSTANTIATE_TEST_SUITE_P (
    Cases, PluginStackPopTest,
    testing::Values (
        PopCase{"OneEntry", 1024, u"C:\\Program Files\\App\\app.exe", -1, u"C:\\Program Files\\App\\app.exe"},
        PopCase{"EmptyText", 1024, u"", -1, u""},
        PopCase{"NonAsciiText", 1024, u"C:\\Programme\\Größe \u30c6\u30b9\u30c8\\a.exe", -1,
                u"C:\\Programme\\Größe \u30c6\u30b9\u30c8\\a.exe"},
        PopCase{"TextOf1023UnitsIsKeptWhole", 1024, repeated (u'a', 1023), -1, repeated (u'a', 1023)},
        PopCase{"LongerTextIsCutAt1023Units", 8192, repeated (u'b', 1500), -1, repeated (u'b', 1023)},
        PopCase{"UnterminatedFieldEndsAtTheStringSize", 8, repeated (u'c', 8), -1, repeated (u'c', 8)},
        PopCase{"UnterminatedFieldOfTheLargeSizeIsCutAt1023", 2048, repeated (u'd', 2048), -1,
                repeated (u'd', 1023)},
        PopCase{"NoFieldWithAStringSizeOfZero", 0, u"", 0, u""}),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (PluginStackTest, PopsEntriesInStackOrderUntilEmptyFreeingEachBlockOnce)
{
    RecordingStack installerStack;
    installerStack.pushInOrder ({u"caption", u"message", u"OK"});
    auto stack = installerStack.view();

    PluginStack::Buffer buffer = {};
    for (const std::u16string expected : {u"caption", u"message", u"OK"})
    {
        ASSERT_TRUE (stack.pop (buffer));
        EXPECT_EQ (popped (buffer), expected);
    }
    EXPECT_FALSE (stack.pop (buffer));
    EXPECT_EQ (popped (buffer), u"OK");
    EXPECT_EQ (installerStack.top, nullptr);
    EXPECT_EQ (installerStack.memory.released.size(), 3u);
    EXPECT_EQ (installerStack.memory.foreignReleases, 0);
}

struct PushCase
{
    const char* name;
    int stringSize;
    std::u16string text;
    bool pushed;
    std::u16string expected;
};

class PluginStackPushTest : public testing::TestWithParam<PushCase>
{
};

// A pushed entry is the installer's: 2 x string size + 8 zero-filled bytes, its text cut so that
// the terminator fits the field, linked above the old top.
TEST_P (PluginStackPushTest, AllocatesAnInstallerEntryAndCutsTheText)
{
    const auto& c = GetParam();
    RecordingStack installerStack (c.stringSize);
    StackEntry* below = installerStack.push (u"below", 6);
    installerStack.memory.requests.clear();
    auto stack = installerStack.view();

    stack.push (c.text.c_str());

    if (!c.pushed)
    {
        EXPECT_EQ (installerStack.top, below);
        EXPECT_TRUE (installerStack.memory.requests.empty());
        return;
    }

    ASSERT_NE (installerStack.top, below);
    EXPECT_EQ (installerStack.top->next, below);
    const auto bytes = static_cast<std::size_t> (2 * c.stringSize + 8);
    EXPECT_EQ (installerStack.memory.requests, std::vector<std::size_t>{bytes});
    EXPECT_EQ (installerStack.memory.sizeOf (installerStack.top), bytes);

    const char16_t* field = entryText (installerStack.top);
    EXPECT_EQ (std::u16string (field), c.expected);
    const auto* bytesAfterText = reinterpret_cast<const unsigned char*> (field + c.expected.size());
    const auto* end = reinterpret_cast<const unsigned char*> (installerStack.top) + bytes;
    EXPECT_TRUE (std::all_of (bytesAfterText, end, [] (unsigned char b) { return b == 0; }));

    // What the plug-in pushes, a later pop takes back whole.
    PluginStack::Buffer buffer = {};
    ASSERT_TRUE (stack.pop (buffer));
    EXPECT_EQ (popped (buffer), c.expected);
    EXPECT_EQ (installerStack.top, below);
}

INSTANTIATE_TEST_SUITE_P (
    Cases, PluginStackPushTest,
    testing::Values (PushCase{"Answer", 1024, u"YES", true, u"YES"},
                     PushCase{"AnswerFitsAStringSizeOf4", 4, u"YES", true, u"YES"},
                     PushCase{"LongerTextIsCutToTheStringSizeLessOne", 4, u"CANCEL", true, u"CAN"},
                     PushCase{"StringSize1HoldsOnlyTheTerminator", 1, u"NO", true, u""},
                     PushCase{"TextOfTheStringSizeLosesItsLastUnit", 8, u"12345678", true, u"1234567"},
                     PushCase{"StringSize0HasNoRoomForATerminator", 0, u"NO", false, u""},
                     PushCase{"NegativeStringSize", -3, u"NO", false, u""}),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (PluginStackTest, PushWithoutStackOrMemoryPushesNothing)
{
    RecordingStackMemory memory;
    PluginStack noStack (nullptr, 1024, memory);
    noStack.push (u"YES");
    EXPECT_TRUE (memory.requests.empty());

    RecordingStack installerStack;
    installerStack.memory.refuse = true;
    auto stack = installerStack.view();
    stack.push (u"YES");
    EXPECT_EQ (installerStack.memory.requests.size(), 1u);
    EXPECT_EQ (installerStack.top, nullptr);
}

} // namespace
} // namespace installer::test
