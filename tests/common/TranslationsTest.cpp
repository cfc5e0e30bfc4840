#include "common/AppInfo.h"
#include "common/AppSettings.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>

#include <cstring>

using common::AppSettings;

namespace
{
juce::File repositoryRoot()
{
    return juce::File (glorvak::test::dataFolder()).getParentDirectory().getParentDirectory();
}

juce::File repositoryTranslations()
{
    return repositoryRoot().getChildFile ("Translations");
}

//==============================================================================
// The texts of TRANS("...") and translate("...") calls in C++ source, with adjacent literals joined and
// escapes resolved, as JUCE sees them at run time. Comments, other literals and calls with anything
// but literals (TRANS (name)) are skipped.
class TranslatedTextScanner
{
public:
    explicit TranslatedTextScanner (const juce::String& sourceText)
        : text (sourceText)
        , p (text.getCharPointer())
    {
    }

    juce::StringArray scan()
    {
        juce::StringArray found;

        while (!p.isEmpty())
        {
            if (startsWith ("//"))
                skipPast ("\n");
            else if (startsWith ("/*"))
                skipPast ("*/");
            else if (*p == '"')
                readLiteral();
            else if (*p == '\'')
                skipCharLiteral();
            else if (juce::CharacterFunctions::isDigit (*p))
                skipNumber();
            else if (juce::CharacterFunctions::isLetter (*p) || *p == '_')
            {
                const auto word = readIdentifier();

                if (word == "TRANS" || word == "translate")
                {
                    const auto saved = p;
                    juce::String literal;

                    if (readCallWithLiterals (literal))
                        found.add (literal);
                    else
                        p = saved;
                }
            }
            else
                ++p;
        }

        return found;
    }

private:
    bool startsWith (const char* s) const
    {
        return p.compareUpTo (juce::CharPointer_ASCII (s), (int)strlen (s)) == 0;
    }

    void skipPast (const char* end)
    {
        while (!p.isEmpty() && !startsWith (end))
            ++p;

        for (auto* c = end; *c != 0 && !p.isEmpty(); ++c)
            ++p;
    }

    void skipSpace()
    {
        for (;;)
        {
            if (startsWith ("//"))
                skipPast ("\n");
            else if (startsWith ("/*"))
                skipPast ("*/");
            else if (p.isWhitespace())
                ++p;
            else
                return;
        }
    }

    juce::String readIdentifier()
    {
        const auto start = p;

        while (juce::CharacterFunctions::isLetterOrDigit (*p) || *p == '_')
            ++p;

        const auto word = juce::String (start, p);

        // An encoding prefix or a raw string belongs to the literal that follows.
        if (*p == '"' && (word == "R" || word == "u8R" || word == "LR" || word == "uR" || word == "UR"))
            skipRawLiteral();

        return word;
    }

    // Numbers may hold digit separators, which are not character literals.
    void skipNumber()
    {
        while (juce::CharacterFunctions::isLetterOrDigit (*p) || *p == '\'' || *p == '.')
            ++p;
    }

    void skipRawLiteral()
    {
        ++p;
        juce::String delimiter;

        while (!p.isEmpty() && *p != '(')
            delimiter += *p++;

        skipPast ((")" + delimiter + "\"").toRawUTF8());
    }

    void skipCharLiteral()
    {
        ++p;

        while (!p.isEmpty() && *p != '\'')
        {
            if (*p == '\\')
                ++p;

            if (!p.isEmpty())
                ++p;
        }

        if (!p.isEmpty())
            ++p;
    }

    // At an opening quote: the literal's text with escapes resolved.
    juce::String readLiteral()
    {
        ++p;
        juce::String result;

        while (!p.isEmpty() && *p != '"')
        {
            auto c = *p++;

            if (c == '\\' && !p.isEmpty())
                c = readEscape();

            result += c;
        }

        if (!p.isEmpty())
            ++p;

        return result;
    }

    juce::juce_wchar readEscape()
    {
        const auto c = *p++;

        switch (c)
        {
            case 'n':
                return '\n';
            case 'r':
                return '\r';
            case 't':
                return '\t';
            case '0':
                return 0;
            case 'x':
            {
                int value = 0;

                while (juce::CharacterFunctions::getHexDigitValue (*p) >= 0)
                    value = value * 16 + juce::CharacterFunctions::getHexDigitValue (*p++);

                return (juce::juce_wchar)value;
            }
            default:
                return c; // \" \' \\ \?
        }
    }

    // After the function name: "(" then one or more literals then ")".
    bool readCallWithLiterals (juce::String& literal)
    {
        skipSpace();

        if (*p != '(')
            return false;

        ++p;
        int literals = 0;

        for (;;)
        {
            skipSpace();

            if (*p == '"')
            {
                literal += readLiteral();
                ++literals;
            }
            else if (startsWith ("u8\""))
            {
                p += 2;
                literal += readLiteral();
                ++literals;
            }
            else
                break;
        }

        return literals > 0 && *p == ')';
    }

    const juce::String text;
    juce::String::CharPointerType p;
};

juce::StringArray extractTranslatedTexts (const juce::String& sourceText)
{
    return TranslatedTextScanner (sourceText).scan();
}

//==============================================================================
// JUCE's own reader skips any line it does not understand; this one names them.
juce::StringArray findMalformedLines (const juce::String& fileText)
{
    juce::StringArray problems;
    juce::StringArray lines;
    lines.addLines (fileText);

    const auto quotedEnd = [] (const juce::String& line, int start)
    {
        for (int i = start; i < line.length(); ++i)
            if (line[i] == '"' && line[i - 1] != '\\')
                return i;

        return -1;
    };

    for (int i = 0; i < lines.size(); ++i)
    {
        const auto line = lines[i].trim();

        if (line.isEmpty() || line.startsWithIgnoreCase ("language:") ||
            line.startsWithIgnoreCase ("countries:"))
            continue;

        bool ok = false;

        if (line.startsWithChar ('"'))
        {
            const auto keyEnd = quotedEnd (line, 1);

            if (keyEnd > 1)
            {
                const auto rest = line.substring (keyEnd + 1).trimStart();

                if (rest.startsWithChar ('='))
                {
                    const auto value = rest.substring (1).trimStart();
                    const auto valueEnd = quotedEnd (value, 1);
                    ok = value.startsWithChar ('"') && valueEnd > 1 &&
                         value.substring (valueEnd + 1).trim().isEmpty();
                }
            }
        }

        if (!ok)
            problems.add ("line " + juce::String (i + 1) + ": " + line);
    }

    return problems;
}

juce::StringArray placeholdersOf (const juce::String& s)
{
    juce::StringArray result;

    for (int start = s.indexOfChar ('{'); start >= 0; start = s.indexOfChar (start + 1, '{'))
        result.add (s.substring (start, s.indexOfChar (start, '}') + 1));

    result.sort (false);
    return result;
}

struct SourceText
{
    juce::File file;
    juce::String text;
};

juce::Array<SourceText> translatedTextsOfTheProgram()
{
    juce::Array<SourceText> all;

    for (const auto& entry :
         juce::RangedDirectoryIterator (repositoryRoot().getChildFile ("Source"), true, "*.cpp;*.h"))
        for (auto& text : extractTranslatedTexts (entry.getFile().loadFileAsString()))
            all.add ({entry.getFile(), text});

    return all;
}

const juce::StringArray& languageIds()
{
    static const auto ids = []
    {
        juce::StringArray result;

        for (auto& row : AppSettings::getLanguageTable())
            result.add (row.id);

        return result;
    }();

    return ids;
}

const char* const bankTooLong =
    "There is a BANK that exceeds 16 seconds. Please adjust to fit within the time limit and try again.";
} // namespace

//==============================================================================
TEST (TranslationsScanner, FindsTheTextsOfEveryFormOfCall)
{
    const auto source = R"cpp(
        auto a = TRANS ("Plain");
        auto b = TRANS("Joined " "across"
                       " lines");
        auto c = juce::translate ("Line one.\r\nLine two with a \"quote\"");
        auto d = TRANS (someVariable);
        auto e = TRANS ("Not only a literal " + suffix);
        // TRANS ("In a comment")
        /* translate ("In a block comment") */
        auto f = "TRANS (\"Inside a string\")";
        auto g = R"x(TRANS ("Inside a raw string"))x";
        auto h = TRANS ( u8"Encoded" );
        auto i = doTRANS ("Another function");
        auto j = 1'000'000 + TRANS ("After a number");
    )cpp";

    const juce::StringArray expected{"Plain", "Joined across lines", "Line one.\r\nLine two with a \"quote\"",
                                     "Encoded", "After a number"};
    EXPECT_EQ (extractTranslatedTexts (source).joinIntoString (" | "), expected.joinIntoString (" | "));
}

TEST (TranslationsFiles, EveryFileParsesAndHoldsTheSameTexts)
{
    const juce::LocalisedStrings english (repositoryTranslations().getChildFile ("en.txt"), true);
    const auto englishKeys = english.getMappings().getAllKeys();
    ASSERT_GT (englishKeys.size(), 0);

    for (auto& row : AppSettings::getLanguageTable())
    {
        SCOPED_TRACE (row.fileName);
        const auto file = repositoryTranslations().getChildFile (row.fileName);
        ASSERT_TRUE (file.existsAsFile());

        juce::MemoryBlock bytes;
        ASSERT_TRUE (file.loadFileAsData (bytes));
        ASSERT_TRUE (
            juce::CharPointer_UTF8::isValidString ((const char*)bytes.getData(), (int)bytes.getSize()));

        const auto text = bytes.toString();
        EXPECT_EQ (findMalformedLines (text), juce::StringArray());

        const juce::LocalisedStrings strings (text, true);
        EXPECT_TRUE (strings.getLanguageName().isNotEmpty());
        EXPECT_FALSE (strings.getCountryCodes().isEmpty());

        const auto& mappings = strings.getMappings();
        EXPECT_EQ (mappings.size(), englishKeys.size()) << "a key is missing, or written twice";

        for (auto& key : englishKeys)
        {
            SCOPED_TRACE (key);
            ASSERT_TRUE (mappings.containsKey (key));
            const auto translated = mappings[key];
            EXPECT_EQ (placeholdersOf (translated), placeholdersOf (key)) << translated;
            EXPECT_EQ (translated.indexOf ("\r\n") >= 0, key.indexOf ("\r\n") >= 0) << translated;

            if (row.id == "en")
            {
                EXPECT_EQ (translated, key);
            }
        }
    }
}

TEST (TranslationsFiles, EveryTranslatedTextOfTheProgramIsInEveryFile)
{
    const auto texts = translatedTextsOfTheProgram();

    for (auto& row : AppSettings::getLanguageTable())
    {
        const juce::LocalisedStrings strings (repositoryTranslations().getChildFile (row.fileName), true);

        for (auto& t : texts)
            EXPECT_TRUE (strings.getMappings().containsKey (t.text))
                << row.fileName << " lacks \"" << t.text.replace ("\r", "\\r").replace ("\n", "\\n")
                << "\" of " << t.file.getRelativePathFrom (repositoryRoot());
    }
}

TEST (TranslationsFiles, TheFilesLieBesideTheProgram)
{
    const auto folder = common::AppInfo::getTranslationsFolder();

    for (auto& row : AppSettings::getLanguageTable())
    {
        SCOPED_TRACE (row.fileName);
        EXPECT_TRUE (folder.getChildFile (row.fileName)
                         .hasIdenticalContentTo (repositoryTranslations().getChildFile (row.fileName)));
    }
}

TEST (TranslationsFiles, JapaneseMakesTheBankTooLongMessageJapanese)
{
    // The message resolver translates its codes with TRANS; this is the text of code 6.
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getNonexistentChildFile ("TranslationsTest", {}, false);

    {
        AppSettings settings (folder.getChildFile ("settings.json"),
                              common::AppInfo::getTranslationsFolder());

        settings.setGuiLangIndex (languageIds().indexOf ("ja"));
        const auto japanese = TRANS (bankTooLong);
        EXPECT_NE (japanese, bankTooLong);
        EXPECT_TRUE (japanese.containsAnyOf (
            juce::CharPointer_UTF8 ("\xe3\x81\x82\xe3\x81\x8c\xe3\x81\xbe\xe3\x81\x99"))) // あがます
            << japanese;
        EXPECT_TRUE (japanese.contains ("16") && japanese.contains ("BANK"));

        for (auto& id : languageIds())
        {
            SCOPED_TRACE (id);
            settings.setGuiLangId (id);
            EXPECT_EQ (TRANS (bankTooLong) == bankTooLong, id == "en");
        }
    }

    juce::LocalisedStrings::setCurrentMappings (nullptr);
    folder.deleteRecursively();
}
