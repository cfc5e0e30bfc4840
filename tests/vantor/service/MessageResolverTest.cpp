#include "vantor/service/MessageResolver.h"

#include "common/AppInfo.h"
#include "vantor/service/MessageCode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
using vantor::service::MessageCode;
using vantor::service::MessageResolver;

// Installs the mappings of one translation file for the life of the object.
class ScopedLanguage
{
public:
    explicit ScopedLanguage (const juce::String& fileName) { use (fileName); }
    ~ScopedLanguage() { juce::LocalisedStrings::setCurrentMappings (nullptr); }

    static void use (const juce::String& fileName)
    {
        const auto file = common::AppInfo::getTranslationsFolder().getChildFile (fileName);
        EXPECT_TRUE (file.existsAsFile()) << file.getFullPathName();
        juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (file, false));
    }
};

struct CodeText
{
    int code;
    const char* text;
};

const CodeText codeTexts[] = {
    {MessageCode::copyFailed, "Failed to copy file."},
    {MessageCode::fileMissing, "The required file is missing."},
    {MessageCode::unsupportedFormat, "Unsupported file format."},
    {MessageCode::audioTooShort,
     "Audio file is too short. Please select a file that is at least 10 ms long."},
    {MessageCode::audioTooLong, "Audio file is too long. Please select a file that is 30 minutes or less."},
    {MessageCode::bankTooLong,
     "There is a BANK that exceeds 16 seconds. Please adjust to fit within the time limit and try again."},
    {MessageCode::beatsRequired, "Please enter the number of beats."},
    {MessageCode::insufficientStorage, "Insufficient storage space. Please free up space and try again."},
    {MessageCode::collectionFull, "The maximum number of saves has been reached."},
    {MessageCode::textTruncated, "Maximum character count exceeded. Text has been truncated."},
    {MessageCode::generalError, "An error has occurred."},
};

TEST (MessageResolver, HoldsTheElevenTextsOnceTheLanguageIsKnown)
{
    juce::LocalisedStrings::setCurrentMappings (nullptr);
    MessageResolver resolver;

    // Empty until the first language announcement.
    EXPECT_EQ (resolver.getMessage (MessageCode::fileMissing), juce::String());

    resolver.localeChanged();

    for (const auto& entry : codeTexts)
    {
        SCOPED_TRACE (entry.code);
        EXPECT_EQ (resolver.getMessage (entry.code), juce::String (entry.text));
    }

    for (const auto code : {0, 12, -1, -2, 1000})
        EXPECT_EQ (resolver.getMessage (code), juce::String()) << code;
}

TEST (MessageResolver, ANewLanguageRebuildsTheTexts)
{
    MessageResolver resolver;
    ScopedLanguage german ("de.txt");
    resolver.localeChanged();

    EXPECT_EQ (resolver.getMessage (MessageCode::fileMissing),
               juce::String (juce::CharPointer_UTF8 ("Die ben\xc3\xb6tigte Datei fehlt.")));

    // Texts stay as they were until the resolver hears of the change.
    ScopedLanguage::use ("fr.txt");
    const auto stillGerman = resolver.getMessage (MessageCode::generalError);
    resolver.localeChanged();
    const auto french = resolver.getMessage (MessageCode::generalError);

    EXPECT_NE (stillGerman, french);
    EXPECT_NE (french, juce::String ("An error has occurred."));

    juce::LocalisedStrings::setCurrentMappings (nullptr);
    resolver.localeChanged();

    for (const auto& entry : codeTexts)
        EXPECT_EQ (resolver.getMessage (entry.code), juce::String (entry.text)) << entry.code;
}

TEST (MessageResolver, EveryTranslationFileTranslatesEveryCode)
{
    for (const auto* fileName :
         {"de.txt", "es.txt", "fr.txt", "it.txt", "ja.txt", "nl.txt", "pt.txt", "zh-CN.txt"})
    {
        SCOPED_TRACE (fileName);
        ScopedLanguage language (fileName);
        MessageResolver resolver;
        resolver.localeChanged();

        for (const auto& entry : codeTexts)
        {
            const auto text = resolver.getMessage (entry.code);
            EXPECT_TRUE (text.isNotEmpty()) << entry.code;
            EXPECT_NE (text, juce::String (entry.text)) << entry.code;
        }
    }
}

TEST (MessageResolver, ReadsFromAnotherThreadWhileTheLanguageChanges)
{
    MessageResolver resolver;
    resolver.localeChanged();

    std::atomic<bool> stop{false};
    std::atomic<int> emptyTexts{0};
    std::atomic<int> reads{0};

    std::thread sender (
        [&]
        {
            while (!stop)
            {
                for (const auto& entry : codeTexts)
                    if (resolver.getMessage (entry.code).isEmpty())
                        ++emptyTexts;

                ++reads;
            }
        });

    const char* files[] = {"de.txt", "ja.txt", "en.txt", "zh-CN.txt"};

    for (int round = 0; round < 200 || reads < 100; ++round)
    {
        ScopedLanguage::use (files[round % 4]);
        resolver.localeChanged();
    }

    stop = true;
    sender.join();
    juce::LocalisedStrings::setCurrentMappings (nullptr);

    // A reader never sees a half-built map.
    EXPECT_EQ (emptyTexts.load(), 0);
}
} // namespace
