// Random-kill trials of the autosave and the whole-set operations, against the optimised build:
//
//   glorvak_crash_trials <operation> <trials> <work folder> [seed]
//
// Each trial prepares a data folder (and an archive or a unit folder), starts this program as a
// child that runs the operation, kills it with SIGKILL after a random time within the operation's
// length, does what the next start (and the next export or import) does, and checks that one whole
// state, old or new, is left, with every WAV the JSON files name present and whole and no leftover.
// Then it runs the operation once more, which must succeed. Prints one line of figures; the exit
// status is the number of failed trials (capped at 100).

#include "support/CrashScenarios.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace
{
using namespace glorvak;

// The child tells its parent through this descriptor, apart from anything printed on stdout.
constexpr int markDescriptor = 3;

void mark (char what)
{
    while (::write (markDescriptor, &what, 1) < 0 && errno == EINTR)
    {
    }
}

int runChild (crash::Operation operation, const juce::File& root)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    const crash::Layout layout (root);
    mark ('R');
    const auto result = crash::run (operation, layout);
    mark ('D');
    return result.isEmpty() ? 0 : 1;
}

struct Child
{
    pid_t pid = 0;
    int output = -1;
};

Child startChild (crash::Operation operation, const juce::File& root)
{
    int pipeEnds[2];

    if (::pipe (pipeEnds) != 0)
        return {};

    const auto self =
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName().toStdString();
    std::string mode = "--child", name = crash::nameOf (operation).toStdString(),
                path = root.getFullPathName().toStdString();
    char* argv[] = {const_cast<char*> (self.c_str()), mode.data(), name.data(), path.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_adddup2 (&actions, pipeEnds[1], markDescriptor);
    // The readers' diagnostics of the child would only clutter the figures.
    posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose (&actions, pipeEnds[0]);

    Child child;
    const auto spawned = posix_spawn (&child.pid, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy (&actions);
    ::close (pipeEnds[1]);

    if (spawned != 0)
    {
        ::close (pipeEnds[0]);
        return {};
    }

    child.output = pipeEnds[0];
    return child;
}

bool readMark (int descriptor, char expected)
{
    char mark = 0;
    return ::read (descriptor, &mark, 1) == 1 && mark == expected;
}

int waitFor (pid_t pid)
{
    int status = 0;

    while (::waitpid (pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;

    return status;
}

// Microseconds from the start of the operation to its end, in an undisturbed run.
juce::int64 measureOperation (crash::Operation operation, const juce::File& root)
{
    const crash::Layout layout (root);
    crash::prepare (operation, layout);
    const auto child = startChild (operation, root);

    if (child.pid == 0 || !readMark (child.output, 'R'))
        return -1;

    const auto start = std::chrono::steady_clock::now();
    const bool done = readMark (child.output, 'D');
    const auto end = std::chrono::steady_clock::now();
    ::close (child.output);
    const auto status = waitFor (child.pid);
    root.deleteRecursively();

    if (!done || !WIFEXITED (status) || WEXITSTATUS (status) != 0)
        return -1;

    return std::chrono::duration_cast<std::chrono::microseconds> (end - start).count();
}

int runTrials (crash::Operation operation, int trials, const juce::File& work, juce::int64 seed)
{
    work.createDirectory();
    const auto length = measureOperation (operation, work.getChildFile ("measure"));

    if (length < 0)
    {
        std::printf ("%s: the undisturbed run failed\n", crash::nameOf (operation).toRawUTF8());
        return 100;
    }

    juce::Random random (seed);
    int killed = 0, ended = 0, failures = 0;

    for (int trial = 0; trial < trials; ++trial)
    {
        const auto root = work.getChildFile ("trial");
        root.deleteRecursively();
        const crash::Layout layout (root);
        crash::prepare (operation, layout);
        const auto oldData = crash::filesBelow (layout.data);
        const auto oldUnit = crash::filesBelow (layout.volume);
        juce::MemoryBlock oldBackup;
        layout.backupFile.loadFileAsData (oldBackup);

        const auto child = startChild (operation, root);
        juce::String problem;

        if (child.pid == 0 || !readMark (child.output, 'R'))
        {
            problem = "the child did not start";
        }
        else
        {
            // Anywhere from the first instant to a little past the undisturbed end.
            const auto delay = (juce::int64) (random.nextDouble() * (double)length * 1.1);
            std::this_thread::sleep_for (std::chrono::microseconds (delay));
            ::kill (child.pid, SIGKILL);
            const auto status = waitFor (child.pid);
            ::close (child.output);

            if (WIFSIGNALED (status))
                ++killed;
            else if (WIFEXITED (status) && WEXITSTATUS (status) == 0)
                ++ended;
            else
                problem = "the child failed on its own";
        }

        if (problem.isEmpty())
            problem = crash::recoverAndCheck (operation, layout, oldData, oldUnit, oldBackup);

        if (problem.isEmpty() && operation != crash::Operation::autosave)
        {
            const auto again = crash::run (operation, layout);
            problem = again.isNotEmpty()
                          ? "the next run failed with " + again
                          : crash::recoverAndCheck (operation, layout, oldData, oldUnit, oldBackup);
        }

        if (problem.isNotEmpty())
        {
            ++failures;
            std::printf ("  trial %d: %s\n", trial + 1, problem.toRawUTF8());
        }
    }

    work.getChildFile ("trial").deleteRecursively();
    std::printf ("%-8s %d trials: %d killed during the operation, %d ended first, %d failures "
                 "(operation %.1f ms undisturbed)\n",
                 crash::nameOf (operation).toRawUTF8(), trials, killed, ended, failures,
                 (double)length / 1000.0);
    return std::min (failures, 100);
}
} // namespace

int main (int argc, char** argv)
{
    crash::Operation operation{};

    if (argc == 4 && juce::String (argv[1]) == "--child" && crash::operationNamed (argv[2], operation))
        return runChild (operation, juce::File (juce::String::fromUTF8 (argv[3])));

    if (argc < 4 || !crash::operationNamed (argv[1], operation))
    {
        std::fprintf (stderr,
                      "usage: %s autosave|backup|restore|export|import <trials> <work folder> [seed]\n",
                      argv[0]);
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto seed = argc > 4 ? juce::String (argv[4]).getLargeIntValue() : juce::Time::currentTimeMillis();
    return runTrials (operation, juce::String (argv[2]).getIntValue(),
                      juce::File (juce::String::fromUTF8 (argv[3])), seed);
}
