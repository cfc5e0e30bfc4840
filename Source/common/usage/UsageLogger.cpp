#include "common/usage/UsageLogger.h"

#include "common/AppInfo.h"
#include "common/TimeHelpers.h"
#include "common/usage/CryptoFile.h"
#include "common/usage/PersistentStatus.h"
#include "common/usage/WebUploader.h"

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace common
{
namespace
{
const juce::Identifier startQuitKey ("$ActionStartQuitTime");

enum Counter
{
    bpmCalc,
    adjustLength,
    exportCount,
    importCount,
    backupCount,
    restoreCount,
    numCounters
};

struct CounterInfo
{
    const char* category;
    const char* name;
};

// In the order the counters are reported.
constexpr CounterInfo counterInfo[numCounters] = {{"SLOT", "BPM Calc"}, {"SLOT", "Adjust Length"},
                                                  {"MENU", "Export"},   {"MENU", "Import"},
                                                  {"MENU", "Backup"},   {"MENU", "Restore"}};

juce::String newId()
{
    return juce::Uuid().toString();
}

double readShutdownSeconds (juce::FileInputStream& in)
{
    juce::uint8 bytes[8]{};
    juce::uint64 bits = 0;

    if (in.read (bytes, 8) == 8)
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | bytes[i];

    double seconds = 0;
    std::memcpy (&seconds, &bits, sizeof (seconds));
    return seconds;
}

void writeShutdownSeconds (const juce::File& file, double seconds)
{
    juce::FileOutputStream out (file, 16384);

    if (out.failedToOpen())
        return;

    out.setPosition (0);
    out.truncate();

    juce::uint64 bits = 0;
    std::memcpy (&bits, &seconds, sizeof (bits));
    juce::uint8 bytes[8];

    for (int i = 0; i < 8; ++i)
        bytes[i] = (juce::uint8) (bits >> (8 * i));

    out.write (bytes, sizeof (bytes));
}
} // namespace

//==============================================================================
// The "$session" file and the header of this run. Every member is called with the module's
// session lock held.
class UsageLogger::Session
{
public:
    Session (juce::File sessionFile, bool keepRecords, juce::int64 maxFileBytes)
        : file (std::move (sessionFile))
        , recording (keepRecords)
        , maxBytes (maxFileBytes)
    {
    }

    void setHeader (const juce::String& newSessionId, const juce::String& newCid,
                    const std::optional<juce::String>& newUid, const juce::String& newAppName,
                    const juce::String& newAppVer)
    {
        sessionId = newSessionId;
        cid = newCid;
        uid = newUid;
        appName = newAppName;
        appVer = newAppVer;
    }

    juce::var makeRecord (const juce::String& action, const juce::String& category, const juce::String& name,
                          const juce::StringArray& texts, const juce::Array<juce::var>& numbers) const
    {
        auto record = std::make_unique<juce::DynamicObject>();
        record->setProperty ("session_id", sessionId);
        record->setProperty ("time", juce::Time::getCurrentTime().formatted ("%Y-%m-%d %H:%M:%S"));
        record->setProperty ("cid", cid);
        record->setProperty ("uid", uid.has_value() ? juce::var (*uid) : juce::var());
        record->setProperty ("app_name", appName);
        record->setProperty ("app_ver", appVer);
        record->setProperty ("action", action);
        record->setProperty ("category", category);
        record->setProperty ("name", name);

        for (int i = 0; i < texts.size(); ++i)
            record->setProperty ("str" + juce::String (i + 1), texts[i]);

        for (int i = 0; i < numbers.size(); ++i)
            record->setProperty ("value" + juce::String (i + 1), numbers[i]);

        return record.release();
    }

    void logPcInfo (const juce::String& osName, const juce::String& osVersion)
    {
        append (makeRecord ("Static", "BASIC", "PC Info", {osName, osVersion}, {}));
    }

    void logNumberOfBanks (int numberOfBanks)
    {
        append (makeRecord ("Static", "BANK", "Number of BANKs", {}, {numberOfBanks}));
    }

    void logLanguage (const juce::String& guiLangId)
    {
        append (makeRecord ("Static", "MENU", "Language", {guiLangId}, {}));
    }

    void logCount (Counter counter, int count)
    {
        append (makeRecord ("Count", counterInfo[counter].category, counterInfo[counter].name, {}, {count}));
    }

    void logBankGeneral (int banksWithSamples, int favoriteBankNumber)
    {
        append (makeRecord ("Action", "BANK", "General", {}, {banksWithSamples, favoriteBankNumber}));
    }

    void logBankInfo (int bankNumber, double seconds, int slotCount)
    {
        append (
            makeRecord ("Action", "BANK", "BANK Info", {juce::String (bankNumber)}, {seconds, slotCount}));
    }

    void logSlotInfo (int bankNumber, int slotNumber, bool loop, double fileSeconds, double gainDb,
                      double bpm, double beats)
    {
        juce::StringArray texts{juce::String (bankNumber) + "-" + juce::String (slotNumber)};

        // Only the last two SLOTs of a BANK can loop.
        if (slotNumber == 3 || slotNumber == 4)
            texts.add (loop ? "LOOP" : "1SHOT");

        append (makeRecord ("Action", "SLOT", "SLOT Info", texts, {fileSeconds, gainDb, bpm, beats}));
    }

    void logFileInfo (bool isPreset, const juce::String& extension, int bitRate, double sampleRate,
                      int bitsPerSample)
    {
        const auto type = extension.trimCharactersAtStart (".").toUpperCase();
        const auto rate = bitRate < 1 ? juce::String ("VBR") : juce::String (bitRate / 1000) + "kbps";

        append (makeRecord ("Action", "SLOT", "File Info", {isPreset ? "PRESET" : "USER", type, rate},
                            {(int)(sampleRate * 0.001), bitsPerSample}));
    }

    juce::var makeStartQuitRecord (double startOffset) const
    {
        return makeRecord ("Action", "BASIC", "Start and Quit time", {}, {startOffset, 0});
    }

    void completeStartQuitRecord (juce::var record, double shutdownSeconds)
    {
        if (auto* object = record.getDynamicObject())
        {
            object->setProperty ("value2", shutdownSeconds);
            append (record);
        }
    }

    // The oldest records go when the file passes its cap, down to three quarters of it so that
    // the copy is not repeated at every append.
    void keepWithinCap()
    {
        if (file.getSize() > maxBytes)
            trimmedBytes += CryptoFile::getInstance()->dropOldestRecords (file, maxBytes / 4 * 3);
    }

    const juce::File& getFile() const { return file; }
    bool isRecording() const { return recording; }

    // Bytes removed from the front of the file by the cap since this session began; an upload
    // that read the file earlier subtracts them from what it may drop.
    juce::int64 getTrimmedBytes() const { return trimmedBytes; }

private:
    void append (const juce::var& record)
    {
        if (!recording)
            return;

        CryptoFile::getInstance()->appendJsonRecord (file, record);
        keepWithinCap();
    }

    juce::File file;
    bool recording;
    juce::int64 maxBytes;
    juce::int64 trimmedBytes = 0;

    juce::String sessionId, cid;
    std::optional<juce::String> uid;
    juce::String appName, appVer;
};

//==============================================================================
// What a run holds from start to stop that JUCE's leak checks count, on the message thread. stop
// deletes it; when stop never runs (the program quit by another path), JUCE's shut-down does, ahead
// of those checks: the module state, released at exit, would come after them.
struct UsageLogger::Resources : public juce::DeletedAtShutdown
{
    Resources() = default;

    ~Resources() override
    {
        // Without a stop the run leaves its status unsaved, as a killed one would.
        if (status != nullptr)
            status->discardChanges();

        uploader.reset();
        status.reset();
        clearSingletonInstance();
    }

    std::unique_ptr<PersistentStatus> status;
    std::unique_ptr<WebUploader> uploader;

    JUCE_DECLARE_SINGLETON (Resources, false)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Resources)
};

JUCE_IMPLEMENT_SINGLETON (UsageLogger::Resources)

//==============================================================================
struct UsageLogger::State
{
    ~State() { endProcess(); }

    // Writes "$shutdown" when stop has run, then forgets the run.
    void endProcess();

    std::optional<Environment> environmentOverride;
    Environment environment;

    juce::File shutdownFile;
    std::optional<juce::String> uid;

    std::mutex sessionLock;
    std::unique_ptr<Session> session; // guarded by sessionLock

    std::array<std::atomic<int>, numCounters> counters{};
    double startOffset = 0;
    double quitTime = 0;
    std::atomic<bool> enabled{false};
    bool stopped = false;
};

UsageLogger::State& UsageLogger::state()
{
    static State s;
    return s;
}

UsageLogger::Environment UsageLogger::getSystemEnvironment()
{
    Environment environment;
    environment.logFolder = AppInfo::getLogFolder();
    environment.uploadUrl = AppInfo::getUsageLogUrl();

    // Tests of the whole program take the records at a server of their own.
    if (const auto loopbackAddress = AppInfo::loopbackAddressFromVariable ("GLORVAK_USAGE_LOG_URL");
        loopbackAddress.isNotEmpty())
        environment.uploadUrl = loopbackAddress;

    environment.productName = AppInfo::getProductName();
    environment.productVersion = AppInfo::getProductVersion();
    environment.osName = AppInfo::getOsName();
    environment.osVersion = AppInfo::getOsVersion();
    environment.now = [] { return getSystemTimeSeconds(); };
    environment.processStart = [] { return getProcessStartTimeSeconds(); };
    return environment;
}

void UsageLogger::setEnvironment (std::optional<Environment> environment)
{
    state().environmentOverride = std::move (environment);
}

//==============================================================================
void UsageLogger::start()
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto& s = state();

    s.environment = s.environmentOverride.has_value() ? *s.environmentOverride : getSystemEnvironment();
    s.enabled = true;

    initialise();
    uploadPending();
    startSession();

    s.startOffset = s.environment.now() - s.environment.processStart();
}

void UsageLogger::initialise()
{
    auto& s = state();
    const auto& folder = s.environment.logFolder;

    AppInfo::createPrivateFolder (folder);
    s.shutdownFile = folder.getChildFile ("$shutdown");
    auto& resources = *Resources::getInstance();
    resources.status = std::make_unique<PersistentStatus> (folder);

    {
        const std::lock_guard<std::mutex> lock (s.sessionLock);
        s.session =
            std::make_unique<Session> (folder.getChildFile ("$session"), s.environment.uploadUrl.isNotEmpty(),
                                       s.environment.maxSessionBytes);
    }

    resources.uploader = std::make_unique<WebUploader>();
}

void UsageLogger::uploadPending()
{
    auto& s = state();
    auto& resources = *Resources::getInstance();
    const auto record = resources.status->take (startQuitKey);

    {
        juce::FileInputStream in (s.shutdownFile);

        if (in.openedOk() && record.getDynamicObject() != nullptr)
        {
            const auto shutdownSeconds = readShutdownSeconds (in);
            const std::lock_guard<std::mutex> lock (s.sessionLock);
            s.session->completeStartQuitRecord (record, shutdownSeconds);
        }
    }

    s.shutdownFile.deleteFile();

    std::shared_ptr<CryptoFile::JsonArrayData> data;
    juce::int64 trimmedAtRead = 0;

    {
        const std::lock_guard<std::mutex> lock (s.sessionLock);
        const auto& file = s.session->getFile();

        // Without an endpoint the records would only pile up, waiting for an upload that never comes.
        if (!s.session->isRecording())
        {
            file.deleteFile();
            return;
        }

        if (!file.existsAsFile())
            return;

        s.session->keepWithinCap();
        data = CryptoFile::getInstance()->readJsonRecords (file);
        trimmedAtRead = s.session->getTrimmedBytes();
    }

    if (data == nullptr || data->text.isEmpty())
        return;

    resources.uploader->upload (s.environment.uploadUrl, s.environment.productName,
                                s.environment.productVersion, data->text,
                                [data, trimmedAtRead] (const juce::Result& result)
                                {
                                    if (result.failed())
                                        return;

                                    auto& st = state();
                                    const std::lock_guard<std::mutex> lock (st.sessionLock);

                                    if (st.session == nullptr)
                                        return;

                                    // Records the cap removed since the reading were part of what was sent.
                                    auto sent = *data;
                                    sent.consumed -= st.session->getTrimmedBytes() - trimmedAtRead;

                                    if (sent.consumed > 0)
                                        CryptoFile::getInstance()->dropRecords (st.session->getFile(), sent);
                                });
}

void UsageLogger::startSession()
{
    auto& s = state();
    auto& status = *Resources::getInstance()->status;
    bool newClient = false;

    if (status.getCid().isEmpty())
    {
        status.setIfChanged ("Cid", newId());
        newClient = true;
    }

    const auto nameChanged = status.setIfChanged ("OsName", s.environment.osName);
    const auto versionChanged = status.setIfChanged ("OsVersion", s.environment.osVersion);

    const std::lock_guard<std::mutex> lock (s.sessionLock);
    s.session->setHeader (newId(), status.getCid(), s.uid, s.environment.productName,
                          s.environment.productVersion);

    if (newClient || nameChanged || versionChanged)
        s.session->logPcInfo (status.get ("OsName").toString(), status.get ("OsVersion").toString());
}

void UsageLogger::stop (int numberOfBanks, const juce::String& guiLangId)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto& s = state();

    if (!s.enabled || s.stopped)
        return;

    auto& resources = *Resources::getInstance();
    s.quitTime = s.environment.now();
    logCounters (numberOfBanks, guiLangId);

    {
        const std::lock_guard<std::mutex> lock (s.sessionLock);
        resources.status->set (startQuitKey, s.session->makeStartQuitRecord (s.startOffset));
    }

    // The uploader first: a pending upload ends without its completion, so "$session" keeps
    // everything it was sending.
    resources.uploader.reset();

    {
        const std::lock_guard<std::mutex> lock (s.sessionLock);
        s.session.reset();
    }

    resources.status.reset(); // saves
    Resources::deleteInstance();
    s.stopped = true;
}

void UsageLogger::logCounters (int numberOfBanks, const juce::String& guiLangId)
{
    auto& s = state();
    auto& status = *Resources::getInstance()->status;
    const std::lock_guard<std::mutex> lock (s.sessionLock);

    for (int i = 0; i < numCounters; ++i)
        if (const auto count = s.counters[(size_t)i].load(); count > 0)
            s.session->logCount ((Counter)i, count);

    if (status.setIfChanged ("BankCollectionSize", numberOfBanks))
        s.session->logNumberOfBanks ((int)status.get ("BankCollectionSize"));

    if (status.setIfChanged ("GuiLangId", guiLangId))
        s.session->logLanguage (status.getGuiLangId());
}

void UsageLogger::endProcess()
{
    state().endProcess();
}

bool UsageLogger::isUploading()
{
    JUCE_ASSERT_MESSAGE_THREAD
    const auto* resources = Resources::getInstanceWithoutCreating();
    return resources != nullptr && resources->uploader != nullptr && resources->uploader->isBusy();
}

void UsageLogger::State::endProcess()
{
    if (enabled && stopped)
        writeShutdownSeconds (shutdownFile, environment.now() - quitTime);

    // Already gone at exit: JUCE's shut-down deleted it.
    Resources::deleteInstance();

    {
        const std::lock_guard<std::mutex> lock (sessionLock);
        session.reset();
    }

    for (auto& counter : counters)
        counter = 0;

    startOffset = 0;
    quitTime = 0;
    enabled = false;
    stopped = false;
}

//==============================================================================
namespace
{
template <typename Log>
void withSession (std::mutex& lock, std::unique_ptr<UsageLogger::Session>& session, Log&& log)
{
    const std::lock_guard<std::mutex> guard (lock);

    // Before start and after stop there is no session, and the record is dropped.
    if (session != nullptr)
        log (*session);
}
} // namespace

void UsageLogger::countBpmCalc()
{
    if (state().enabled)
        ++state().counters[bpmCalc];
}

void UsageLogger::countAdjustLength()
{
    if (state().enabled)
        ++state().counters[adjustLength];
}

void UsageLogger::countExport()
{
    if (state().enabled)
        ++state().counters[exportCount];
}

void UsageLogger::countImport()
{
    if (state().enabled)
        ++state().counters[importCount];
}

void UsageLogger::countBackup()
{
    if (state().enabled)
        ++state().counters[backupCount];
}

void UsageLogger::countRestore()
{
    if (state().enabled)
        ++state().counters[restoreCount];
}

void UsageLogger::logBankGeneral (int banksWithSamples, int favoriteBankNumber)
{
    withSession (state().sessionLock, state().session,
                 [&] (Session& session) { session.logBankGeneral (banksWithSamples, favoriteBankNumber); });
}

void UsageLogger::logBankInfo (int bankNumber, double seconds, int slotCount)
{
    withSession (state().sessionLock, state().session,
                 [&] (Session& session) { session.logBankInfo (bankNumber, seconds, slotCount); });
}

void UsageLogger::logSlotInfo (int bankNumber, int slotNumber, bool loop, double fileSeconds, double gainDb,
                               double bpm, double beats)
{
    withSession (state().sessionLock, state().session,
                 [&] (Session& session)
                 { session.logSlotInfo (bankNumber, slotNumber, loop, fileSeconds, gainDb, bpm, beats); });
}

void UsageLogger::logFileInfo (bool isPreset, const juce::String& extension, int bitRate, double sampleRate,
                               int bitsPerSample)
{
    withSession (state().sessionLock, state().session,
                 [&] (Session& session)
                 { session.logFileInfo (isPreset, extension, bitRate, sampleRate, bitsPerSample); });
}
} // namespace common
