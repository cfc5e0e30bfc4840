#pragma once

#include "vantor/dataset/WyxBankList.h"

#include <memory>

namespace vantor::dataset
{
/** The working model: the 15 BANKs of four SLOTs that go to the unit and the index of the
    FAVORITE BANK, kept in "model.json" with the WAVs in the "samples" folder beside it. It saves
    itself 3000 ms after the last change of any of its BANKs and SLOTs, also after a load.

    The BANK and SLOT objects stay the same from construction to destruction; loads change their
    content only, so pointers held elsewhere stay valid across a reload.

    Threads: message thread (its change callbacks and timer run there); the whole-set operations
    read it from their worker thread while a modal progress window blocks the user interface. */
class WyxModel : public juce::ChangeBroadcaster
{
public:
    static constexpr int bankCount = 15;
    static constexpr int saveDelayMs = 3000;

    ~WyxModel() override = default;

    virtual const WyxBankList& getBankList() const = 0;
    virtual WyxBankList& getBankList() = 0;

    virtual int getFavoriteBank() const = 0;
    /** Limited to 0 .. 14; saved 3000 ms later. */
    virtual void setFavoriteBank (int index) = 0;

    /** Forgets the file and empties every BANK; WAVs stay on disk and nothing is saved. */
    virtual void reset() = 0;
    /** Clears every BANK (their WAVs are deleted at once) and saves 3000 ms later. */
    virtual void clearAll() = 0;

    /** Reads the model file. A file that exists but cannot be understood is moved aside with its
        samples and the model starts empty. Always returns an empty string. */
    virtual juce::String load (const juce::File& modelFile) = 0;
    virtual juce::var toVar() const = 0;
    /** Writes the file when it lags behind the model, then deletes unused WAVs. */
    virtual void save() = 0;
};

/** "model.json" in the folder "model" of the user data folder. */
juce::File getModelFile();

/** A new model with 15 empty BANKs, not loaded. */
std::unique_ptr<WyxModel> createModel();
} // namespace vantor::dataset
