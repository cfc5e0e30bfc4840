#include "installer/core/RecordingStack.h"

#include "NoticeBox.h"

#include <gtest/gtest.h>

namespace installer::test
{
namespace
{

// Shows a dialog by "pressing" the given controls one after another, as the dialog procedure
// would pass them on, until one ends the dialog. Records what each shown dialog displayed.
class FakeNoticeDialogs final : public NoticeDialogs
{
public:
    FakeNoticeDialogs (const NoticeBox& boxToWatch, PluginStack& stackToUse)
        : box (boxToWatch)
        , stack (stackToUse)
    {
    }

    struct Shown
    {
        NoticeDialog dialog;
        std::u16string caption, message, firstLabel, secondLabel;
        bool ended = false;
    };

    std::intptr_t run (NoticeDialog dialog) override
    {
        const auto& texts = box.texts();
        shown.push_back ({dialog, texts.caption, texts.message, texts.firstLabel, texts.secondLabel});
        if (cannotCreate)
            return -1;
        for (const int id : presses)
            if (NoticeBox::command (dialog, id, stack))
            {
                shown.back().ended = true;
                break;
            }
        return 0;
    }

    std::vector<int> presses{NoticeBox::firstButtonId};
    bool cannotCreate = false;
    std::vector<Shown> shown;

private:
    const NoticeBox& box;
    PluginStack& stack;
};

struct ShowCase
{
    const char* name;
    std::vector<std::u16string> values; // top first
    std::vector<int> presses;
    std::intptr_t result;
    bool shown;
    NoticeDialog dialog;
    std::vector<std::u16string> stackAfter; // top first
};

class NoticeBoxShowTest : public testing::TestWithParam<ShowCase>
{
};

TEST_P (NoticeBoxShowTest, PopsTheTextsChoosesTheDialogAndPushesTheAnswer)
{
    const auto& c = GetParam();
    RecordingStack installerStack;
    installerStack.pushInOrder (c.values);
    auto stack = installerStack.view();
    NoticeBox box;
    FakeNoticeDialogs dialogs (box, stack);
    dialogs.presses = c.presses;

    EXPECT_EQ (box.show (stack, dialogs), c.result);

    ASSERT_EQ (dialogs.shown.size(), c.shown ? 1u : 0u);
    if (c.shown)
    {
        const auto& shown = dialogs.shown.front();
        EXPECT_EQ (shown.dialog, c.dialog);
        EXPECT_EQ (shown.caption, c.values.at (0));
        EXPECT_EQ (shown.message, c.values.at (1));
        EXPECT_EQ (shown.firstLabel, c.values.at (2));
        EXPECT_EQ (shown.secondLabel, c.values.size() > 3 ? c.values.at (3) : u"");
    }
    EXPECT_EQ (installerStack.texts(), c.stackAfter);
    EXPECT_EQ (installerStack.memory.foreignReleases, 0);
}

using Values = std::vector<std::u16string>;
constexpr auto one = NoticeDialog::oneButton;
constexpr auto two = NoticeDialog::twoButtons;

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Cases, NoticeBoxShowTest,
    testing::Values (
        //        name                                         values (top first)                                       presses          result shown dialog stack after
        ShowCase {"NoValues",                                  {},                                                      {1},             1, false, one, {}},
        ShowCase {"OnlyCaption",                               {u"Caption"},                                            {1},             1, false, one, {}},
        ShowCase {"NoFirstLabelConsumesTheTwoValues",          {u"Caption", u"Message"},                                {1},             1, false, one, {}},
        ShowCase {"ThreeValuesGiveOneButton",                  {u"Caption", u"Message", u"OK"},                         {1},             0, true,  one, {u"YES"}},
        ShowCase {"EmptySecondLabelGivesOneButton",            {u"Caption", u"Message", u"OK", u"", u"script's"},       {1},             0, true,  one, {u"YES", u"script's"}},
        ShowCase {"SecondLabelGivesTwoButtonsFirstPressed",    {u"Caption", u"Message", u"Yes", u"No", u"script's"},    {1},             0, true,  two, {u"YES", u"script's"}},
        ShowCase {"SecondButtonOrEscapeOrCloseBoxAnswersNo",   {u"Caption", u"Message", u"Yes", u"No"},                 {2},             0, true,  two, {u"NO"}},
        ShowCase {"OtherControlsOfTwoButtonsAnswerNothing",    {u"Caption", u"Message", u"Yes", u"No"},                 {1007, 1008, 0, 1}, 0, true, two, {u"YES"}},
        ShowCase {"OneButtonIgnoresEscapeAndTheCloseBox",      {u"Caption", u"Message", u"OK"},                         {2, 2007, 2008, 1}, 0, true, one, {u"YES"}},
        ShowCase {"TextsOfEveryLength",                        {repeated (u'c', 1023), u"", u"Yes", repeated (u's', 1023)}, {2},         0, true,  two, {u"NO"}}),
    [] (const auto& info) { return std::string (info.param.name); });
// clang-format on

// The answer to each control id in each dialog, and whether the dialog ends with it.
TEST (NoticeBoxTest, CommandAnswersOnlyForItsDialogsButtons)
{
    struct Case
    {
        NoticeDialog dialog;
        int controlId;
        bool ends;
        std::vector<std::u16string> pushed;
    };
    const Case cases[] = {
        {NoticeDialog::twoButtons, 1, true, {u"YES"}}, {NoticeDialog::twoButtons, 2, true, {u"NO"}},
        {NoticeDialog::twoButtons, 1007, false, {}},   {NoticeDialog::oneButton, 1, true, {u"YES"}},
        {NoticeDialog::oneButton, 2, false, {}},       {NoticeDialog::oneButton, 2007, false, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << static_cast<int> (c.dialog) << " id " << c.controlId);
        RecordingStack installerStack;
        auto stack = installerStack.view();

        EXPECT_EQ (NoticeBox::command (c.dialog, c.controlId, stack), c.ends);
        EXPECT_EQ (installerStack.texts(), c.pushed);
    }
}

// The answers fit the smallest string size a script can have them in.
TEST (NoticeBoxTest, AnswersFitAStringSizeOf4)
{
    for (const int id : {1, 2})
    {
        RecordingStack installerStack (4);
        installerStack.pushInOrder ({u"Cap", u"Msg", u"Yes", u"No"});
        auto stack = installerStack.view();
        NoticeBox box;
        FakeNoticeDialogs dialogs (box, stack);
        dialogs.presses = {id};

        box.show (stack, dialogs);

        EXPECT_EQ (installerStack.texts(), std::vector<std::u16string>{id == 1 ? u"YES" : u"NO"});
    }
}

TEST (NoticeBoxTest, DialogThatCannotBeCreatedReturnsMinusOneAndPushesNothing)
{
    RecordingStack installerStack;
    installerStack.pushInOrder ({u"Caption", u"Message", u"Yes", u"No"});
    auto stack = installerStack.view();
    NoticeBox box;
    FakeNoticeDialogs dialogs (box, stack);
    dialogs.cannotCreate = true;

    EXPECT_EQ (box.show (stack, dialogs), -1);
    EXPECT_TRUE (installerStack.texts().empty());
    EXPECT_TRUE (installerStack.memory.requests.empty());
}

// One loaded plug-in serves several calls: a second label from an earlier call must not turn a
// three-value call into a two-button dialog with that stale label.
TEST (NoticeBoxTest, MissingSecondLabelAfterATwoButtonCallGivesOneButton)
{
    NoticeBox box;
    RecordingStack installerStack;
    auto stack = installerStack.view();
    FakeNoticeDialogs dialogs (box, stack);

    installerStack.pushInOrder ({u"Update", u"Install the update?", u"Install", u"Later"});
    box.show (stack, dialogs);
    PluginStack::Buffer answer = {};
    ASSERT_TRUE (stack.pop (answer)); // as the script does
    EXPECT_EQ (std::u16string (answer), u"YES");
    installerStack.pushInOrder ({u"Done", u"The program is installed.", u"Close"});
    box.show (stack, dialogs);

    ASSERT_EQ (dialogs.shown.size(), 2u);
    EXPECT_EQ (dialogs.shown[0].dialog, NoticeDialog::twoButtons);
    EXPECT_EQ (dialogs.shown[1].dialog, NoticeDialog::oneButton);
    EXPECT_EQ (dialogs.shown[1].caption, u"Done");
    EXPECT_EQ (dialogs.shown[1].secondLabel, u"");
    EXPECT_EQ (installerStack.texts(), std::vector<std::u16string>{u"YES"});
}

} // namespace
} // namespace installer::test
