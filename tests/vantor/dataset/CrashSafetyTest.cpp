// A child process runs a whole-set operation or a series of edits with autosave and is killed with
// SIGKILL just before its Nth rename (or Nth edit); the next start must find one whole state, old
// or new, with every WAV the JSON files name present and whole, and nothing of the operation left.

#include "support/CrashScenarios.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
using namespace glorvak;
using crash::Operation;

constexpr const char* operationVariable = "GLORVAK_CRASH_OPERATION";
constexpr const char* rootVariable = "GLORVAK_CRASH_ROOT";
constexpr const char* killAtVariable = "GLORVAK_CRASH_KILL_AT";
constexpr const char* childTest = "CrashChild.DISABLED_RunsOneOperationUntilKilled";

int killAt = 0;
int movesSoFar = 0;
juce::File markerFolder;

[[noreturn]] void killThisProcess()
{
    markerFolder.getChildFile ("killed").create();
    ::kill (::getpid(), SIGKILL);
    std::abort();
}

void countMove()
{
    if (++movesSoFar == killAt)
        killThisProcess();
}

// Run only in the child, where the parent sets the variables.
TEST (CrashChild, DISABLED_RunsOneOperationUntilKilled)
{
    const auto* operationName = std::getenv (operationVariable);
    const auto* root = std::getenv (rootVariable);
    const auto* at = std::getenv (killAtVariable);
    Operation operation{};

    if (operationName == nullptr || root == nullptr || at == nullptr ||
        !crash::operationNamed (operationName, operation))
        GTEST_SKIP() << "started by the crash tests only";

    const crash::Layout layout{juce::File (root)};
    markerFolder = layout.root;
    killAt = std::atoi (at);
    vantor::dataset::FileSwap::setMoveHook (&countMove);

    const auto result = crash::run (operation, layout,
                                    [] (int step)
                                    {
                                        if (step + 1 == killAt)
                                            killThisProcess();
                                    });
    vantor::dataset::FileSwap::setMoveHook (nullptr);
    EXPECT_EQ (result, "");
    layout.root.getChildFile ("completed").create();
}

enum class Outcome
{
    killed,
    completed,
    failed
};

// Starts this test program as the child and waits for it, however long it takes.
Outcome runChild (Operation operation, const juce::File& root, int at)
{
    const auto self = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();
    std::vector<std::string> arguments{self.toStdString(), std::string ("--gtest_filter=") + childTest,
                                       "--gtest_also_run_disabled_tests"};
    std::vector<std::string> variables{
        std::string (operationVariable) + "=" + crash::nameOf (operation).toStdString(),
        std::string (rootVariable) + "=" + root.getFullPathName().toStdString(),
        std::string (killAtVariable) + "=" + std::to_string (at)};

    for (auto** entry = environ; *entry != nullptr; ++entry)
        variables.emplace_back (*entry);

    std::vector<char*> argv, envp;

    for (auto& argument : arguments)
        argv.push_back (argument.data());

    for (auto& variable : variables)
        envp.push_back (variable.data());

    argv.push_back (nullptr);
    envp.push_back (nullptr);

    // The child's report would only clutter the output: it goes to /dev/null.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);

    pid_t child = 0;
    const auto spawned = posix_spawn (&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy (&actions);

    if (spawned != 0)
        return Outcome::failed;

    int status = 0;

    while (::waitpid (child, &status, 0) < 0)
        if (errno != EINTR)
            return Outcome::failed;

    if (WIFSIGNALED (status) && WTERMSIG (status) == SIGKILL && root.getChildFile ("killed").exists())
        return Outcome::killed;

    if (WIFEXITED (status) && WEXITSTATUS (status) == 0 && root.getChildFile ("completed").exists())
        return Outcome::completed;

    return Outcome::failed;
}

struct Trial
{
    Outcome outcome = Outcome::failed;
    juce::String problem;
};

// One child killed at the given point, then the restart and the same operation once more.
Trial killAndRestart (Operation operation, int at)
{
    test::ScratchFolder scratch;
    const crash::Layout layout{scratch.child ("trial")};
    crash::prepare (operation, layout);

    const auto oldData = crash::filesBelow (layout.data);
    const auto oldUnit = crash::filesBelow (layout.volume);
    juce::MemoryBlock oldBackup;
    layout.backupFile.loadFileAsData (oldBackup);

    Trial trial;
    trial.outcome = runChild (operation, layout.root, at);
    layout.root.getChildFile ("killed").deleteFile();
    layout.root.getChildFile ("completed").deleteFile();

    if (trial.outcome == Outcome::failed)
        return trial;

    trial.problem = crash::recoverAndCheck (operation, layout, oldData, oldUnit, oldBackup);

    // The next run of the operation finds nothing in its way and ends in the new state.
    if (trial.problem.isEmpty() && operation != Operation::autosave)
    {
        const auto again = crash::run (operation, layout);
        trial.problem = again.isNotEmpty()
                            ? "the operation after the restart failed with " + again
                            : crash::recoverAndCheck (operation, layout, oldData, oldUnit, oldBackup);
    }

    return trial;
}

// Kills at the first, second, ... point until the child runs to the end; every restart must pass.
void killAtEveryPoint (Operation operation, int atLeast)
{
    int point = 1;

    for (;; ++point)
    {
        SCOPED_TRACE (crash::nameOf (operation) + " killed at point " + juce::String (point));
        const auto trial = killAndRestart (operation, point);
        ASSERT_NE (trial.outcome, Outcome::failed) << "the child neither finished nor died as planned";
        EXPECT_EQ (trial.problem, "");

        if (trial.outcome == Outcome::completed)
            break;
    }

    EXPECT_GT (point, atLeast) << "fewer kill points than the operation has renames";
}

class KillBeforeEveryRename : public ::testing::TestWithParam<std::pair<Operation, int>>
{
};

TEST_P (KillBeforeEveryRename, TheRestartFindsOneWholeStateAndNoLeftover)
{
    killAtEveryPoint (GetParam().first, GetParam().second);
}

// The second value is the least number of renames the operation makes on this data: the moves
// aside and in, or the one rename of the finished archive.
INSTANTIATE_TEST_SUITE_P (WholeSetOperations, KillBeforeEveryRename,
                          ::testing::Values (std::pair{Operation::restore, 4},
                                             std::pair{Operation::importFromUnit, 2},
                                             std::pair{Operation::exportToUnit, 10},
                                             std::pair{Operation::backup, 1}),
                          [] (const auto& info) { return crash::nameOf (info.param.first).toStdString(); });

TEST (CrashSafety, KilledBetweenEditsAndAutosavesEveryNamedWavIsThereAndNoSlotPlaysAnother)
{
    killAtEveryPoint (Operation::autosave, crash::autosaveSteps);
}
} // namespace
