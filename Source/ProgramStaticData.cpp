#include "ProgramStaticData.h"

#include "common/AppSettings.h"
#include "common/BeatChoices.h"
#include "common/SettingsKey.h"
#include "common/reader/Mpg123DynamicLibraryHandle.h"
#include "common/reader/qm/FFmpegSourceReader.h"
#include "vantor/dataset/ErrorKind.h"
#include "vantor/ui/IconSvgs.h"

#include <atomic>

namespace
{
std::atomic<bool> setUpDone{false};

// Statics built on first use are released at exit in the reverse order of their completion, so
// touching them here, before main, fixes that order: each is released after everything built
// later, whatever touches it first at run time.
struct SetUpBeforeMain
{
    SetUpBeforeMain()
    {
        // The MP3 library's file name and handle; the handle unloads the library at exit, when JUCE's
        // shut-down has deleted every reader that held it.
        quelbix::Mpg123DynamicLibraryHandle::getLibraryName();
        quelbix::Mpg123DynamicLibraryHandle::getInstance();

        // The decoder library needs no start-up or shut-down of its own; only its logging and
        // its largest allocation are set before any reader can use it.
        qm::WindowsMediaCodec::FFmpegSourceReader::configureLibrary();

        // Not touched here: the application-information record reads the user's folders from
        // the environment when first asked, after main (a test program's main points HOME at a
        // private folder first); it is never destroyed, because the usage statistics' exit hook
        // still writes "$shutdown" into its log folder. The usage-statistics state is built when
        // the statistics start; its clean-up, run at exit, only writes that file, as stop (or,
        // without a stop, JUCE's shut-down) has already deleted everything else that JUCE's leak
        // checks count.

        common::AppSettings::getLanguageTable();

        for (int i = 0; i < vantor::ui::IconSvgs::numIds; ++i)
            vantor::ui::IconSvgs::get ((vantor::ui::IconSvgs::Id)i);

        // Inline objects of the headers above, built before this one.
        jassert (common::BeatChoices.size() == 7);
        jassert (common::SettingsKey::PinnedFolders.isValid());
        jassert (vantor::dataset::errorkind::cancelled.isNotEmpty());

        setUpDone = true;
    }
};

const SetUpBeforeMain setUpBeforeMain;
} // namespace

bool ProgramStaticData::isSetUp() noexcept
{
    return setUpDone;
}
