#include "common/CrashHandler.h"

#include "common/AppInfo.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace common
{
namespace
{
constexpr int caughtSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS};
constexpr std::size_t alternateStackSize = 256 * 1024;
constexpr int maximumFrames = 128;

// Everything the handler needs that would take allocation or locks to work out: filled by
// installCrashHandler on the message thread before other threads run, only read afterwards.
struct PreparedReport
{
    char folder[PATH_MAX] = {};
    char pathPrefix[PATH_MAX] = {}; // folder/product-version-
    char heading[1024] = {};        // product and version line
    long utcOffsetSeconds = 0;
    bool ready = false;
};

PreparedReport prepared;
std::atomic<bool> reportInProgress{false};

//==============================================================================
// Text building without allocation. With a file descriptor a full buffer is written out;
// without one the text is cut at the buffer's end.
template <std::size_t capacity>
class SignalSafeText
{
public:
    explicit SignalSafeText (int fileDescriptor = -1)
        : fd (fileDescriptor)
    {
    }

    ~SignalSafeText() { flush(); }

    SignalSafeText& add (const char* text)
    {
        for (; *text != 0; ++text)
            addChar (*text);

        return *this;
    }

    SignalSafeText& addDecimal (std::uint64_t value, int minimumDigits = 1)
    {
        char digits[24];
        int count = 0;

        do
        {
            digits[count++] = (char)('0' + value % 10);
            value /= 10;
        } while (value != 0 && count < (int)sizeof (digits));

        for (int i = count; i < minimumDigits; ++i)
            addChar ('0');

        while (count > 0)
            addChar (digits[--count]);

        return *this;
    }

    SignalSafeText& addSigned (std::int64_t value)
    {
        if (value < 0)
        {
            addChar ('-');
            return addDecimal ((std::uint64_t)0 - (std::uint64_t)value);
        }

        return addDecimal ((std::uint64_t)value);
    }

    SignalSafeText& addHex (std::uintptr_t value)
    {
        add ("0x");

        for (int shift = (int)sizeof (value) * 8 - 4; shift >= 0; shift -= 4)
            addChar ("0123456789abcdef"[(value >> shift) & 0xf]);

        return *this;
    }

    void flush()
    {
        if (fd >= 0)
            writeAll (fd, buffer, used);

        if (fd >= 0)
            used = 0;
    }

    const char* text()
    {
        buffer[used < capacity ? used : capacity - 1] = 0;
        return buffer;
    }

    static void writeAll (int fileDescriptor, const char* data, std::size_t size)
    {
        while (size > 0)
        {
            const auto written = ::write (fileDescriptor, data, size);

            if (written < 0 && errno == EINTR)
                continue;

            if (written <= 0)
                return;

            data += written;
            size -= (std::size_t)written;
        }
    }

private:
    void addChar (char c)
    {
        if (used + 1 >= capacity)
        {
            if (fd < 0)
                return;

            flush();
        }

        buffer[used++] = c;
    }

    int fd;
    char buffer[capacity] = {};
    std::size_t used = 0;
};

//==============================================================================
const char* signalName (int signalNumber)
{
    switch (signalNumber)
    {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        case SIGSYS:
            return "SIGSYS";
        case SIGTRAP:
            return "SIGTRAP";
        default:
            return "signal";
    }
}

struct CivilTime
{
    std::int64_t year;
    unsigned month, day, hour, minute, second;
};

// Calendar date of a day count since 1970-01-01 (proleptic Gregorian); localtime_r may take a
// lock and read files, so the handler does this arithmetic itself.
CivilTime civilTimeFromSeconds (std::int64_t seconds)
{
    auto days = seconds / 86400;
    auto secondOfDay = seconds % 86400;

    if (secondOfDay < 0)
    {
        secondOfDay += 86400;
        --days;
    }

    days += 719468;
    const auto era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = (unsigned)(days - era * 146097);
    const auto yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const auto dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const auto monthIndex = (5 * dayOfYear + 2) / 153;
    const auto day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const auto month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const auto year = (std::int64_t)yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    return {year,
            month,
            day,
            (unsigned)(secondOfDay / 3600),
            (unsigned)(secondOfDay / 60 % 60),
            (unsigned)(secondOfDay % 60)};
}

std::uintptr_t instructionPointer (const void* context)
{
    if (context == nullptr)
        return 0;

    const auto& machine = static_cast<const ucontext_t*> (context)->uc_mcontext;
#if defined(__x86_64__)
    return (std::uintptr_t)machine.gregs[REG_RIP];
#elif defined(__aarch64__)
    return (std::uintptr_t)machine.pc;
#else
    juce::ignoreUnused (machine);
    return 0;
#endif
}

void copyFileInto (const char* source, int destination)
{
    const auto input = ::open (source, O_RDONLY | O_CLOEXEC);
    if (input < 0)
        return;

    char chunk[4096];

    for (;;)
    {
        const auto count = ::read (input, chunk, sizeof (chunk));

        if (count < 0 && errno == EINTR)
            continue;

        if (count <= 0)
            break;

        SignalSafeText<16>::writeAll (destination, chunk, (std::size_t)count);
    }

    ::close (input);
}

void copyString (char* destination, std::size_t capacity, const char* source)
{
    std::strncpy (destination, source, capacity - 1);
    destination[capacity - 1] = 0;
}

//==============================================================================
void onCrashSignal (int signalNumber, siginfo_t* info, void* context)
{
    const auto savedErrno = errno;

    if (!reportInProgress.exchange (true))
    {
        writeMiniDump (info, context);
    }
    else
    {
        // Another thread is writing its report and will end the process; give it time.
        const timespec pause{0, 50 * 1000 * 1000};

        for (int i = 0; i < 200; ++i)
            nanosleep (&pause, nullptr);
    }

    // Let the signal do what it would have done without us: it stays blocked until this handler
    // returns, then ends the process (a fault simply recurs at the same instruction).
    struct sigaction defaultAction
    {
    };
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset (&defaultAction.sa_mask);
    sigaction (signalNumber, &defaultAction, nullptr);
    raise (signalNumber);

    errno = savedErrno;
}

bool installAlternateStack()
{
    stack_t current{};
    if (sigaltstack (nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0 &&
        current.ss_size >= alternateStackSize)
        return true;

    // Mapped, not static: a sanitizer runtime unmaps the stack it finds when a thread ends.
    void* memory =
        mmap (nullptr, alternateStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return false;

    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = alternateStackSize;
    stack.ss_flags = 0;
    return sigaltstack (&stack, nullptr) == 0;
}

void prepareReport()
{
    const auto folder = AppInfo::getCrashDumpFolder();

    prepared.ready = false;

    if (folder == juce::File())
        return;

    const auto prefix =
        folder.getFullPathName() + "/" + AppInfo::getProductName() + "-" + AppInfo::getProductVersion() + "-";
    const auto heading = AppInfo::getProductName() + " " + AppInfo::getProductVersion() + " crash report\n";

    copyString (prepared.folder, sizeof (prepared.folder), folder.getFullPathName().toRawUTF8());
    copyString (prepared.pathPrefix, sizeof (prepared.pathPrefix), prefix.toRawUTF8());
    copyString (prepared.heading, sizeof (prepared.heading), heading.toRawUTF8());

    const auto now = time (nullptr);
    tm local{};
    prepared.utcOffsetSeconds = localtime_r (&now, &local) != nullptr ? local.tm_gmtoff : 0;
    prepared.ready = true;
}
} // namespace

//==============================================================================
bool installCrashHandler()
{
    prepareReport();

    // The first backtrace() loads the unwinder, which allocates; do it here rather than in
    // the handler.
    void* frames[4];
    backtrace (frames, 4);

    bool installed = installAlternateStack();

    for (const auto signalNumber : caughtSignals)
    {
        struct sigaction action
        {
        };
        action.sa_sigaction = onCrashSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
        sigemptyset (&action.sa_mask);
        installed = sigaction (signalNumber, &action, nullptr) == 0 && installed;
    }

    return installed;
}

void crashHandler (void* signalInfo)
{
    if (signalInfo != nullptr)
        writeMiniDump (static_cast<const siginfo_t*> (signalInfo));
}

void writeMiniDump (const siginfo_t* signalInfo, const void* context)
{
    if (signalInfo == nullptr || !prepared.ready)
        return;

    // One level only: a missing user data folder means no report, as the folder's owner has
    // never run.
    if (::mkdir (prepared.folder, 0700) != 0 && errno != EEXIST)
        return;

    timespec now{};
    clock_gettime (CLOCK_REALTIME, &now);
    const auto local = civilTimeFromSeconds ((std::int64_t)now.tv_sec + prepared.utcOffsetSeconds);
    const auto processId = (std::int64_t)getpid();
    const auto threadId = (std::int64_t)syscall (SYS_gettid);

    SignalSafeText<PATH_MAX> path;
    path.add (prepared.pathPrefix)
        .addDecimal ((std::uint64_t)local.year, 4)
        .addDecimal (local.month, 2)
        .addDecimal (local.day, 2)
        .add ("-")
        .addDecimal (local.hour, 2)
        .addDecimal (local.minute, 2)
        .addDecimal (local.second, 2)
        .add ("-")
        .addSigned (processId)
        .add ("-")
        .addSigned (threadId)
        .add (".dmp");

    const auto fd = ::open (path.text(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;

    {
        SignalSafeText<4096> report (fd);
        report.add (prepared.heading)
            .add ("Signal: ")
            .addSigned (signalInfo->si_signo)
            .add (" (")
            .add (signalName (signalInfo->si_signo))
            .add ("), code ")
            .addSigned (signalInfo->si_code);

        // A signal sent by kill, raise or abort carries its sender, not a fault address.
        if (signalInfo->si_code <= 0)
            report.add ("\nSent by process: ").addSigned (signalInfo->si_pid);
        else
            report.add ("\nFault address: ").addHex ((std::uintptr_t)signalInfo->si_addr);

        if (const auto ip = instructionPointer (context); ip != 0)
            report.add ("\nInstruction pointer: ").addHex (ip);

        report.add ("\nProcess: ")
            .addSigned (processId)
            .add ("\nThread: ")
            .addSigned (threadId)
            .add ("\n\nBacktrace:\n");
    }

    void* frames[maximumFrames];
    const auto frameCount = backtrace (frames, maximumFrames);
    backtrace_symbols_fd (frames, frameCount, fd);

    SignalSafeText<64>::writeAll (fd, "\nLoaded modules:\n", std::strlen ("\nLoaded modules:\n"));
    copyFileInto ("/proc/self/maps", fd);

    fsync (fd);
    ::close (fd);
}
} // namespace common
