#pragma once

#include "support/StubWyxSlot.h"

#include "vantor/dataset/WyxBank.h"
#include "vantor/dataset/WyxBankCollection.h"

#include <initializer_list>
#include <vector>

namespace glorvak::test
{
// A BANK whose SLOTs play the given seconds (at 96000 Hz) in SLOT order; a length of 0 leaves
// that SLOT empty. SLOTs beyond the list stay empty.
inline vantor::dataset::WyxBank::Ptr makeStubBank (const juce::String& name,
                                                   std::initializer_list<double> seconds)
{
    auto bank = vantor::dataset::createBank();
    bank->setName (name);

    int index = 0;

    for (auto length : seconds)
    {
        const auto frames = (juce::int64) (length * 96000.0);
        auto slot = frames > 0 ? StubWyxSlot::withAudio (name + "-" + juce::String (index), frames, 96000.0,
                                                         0, frames)
                               : StubWyxSlot::empty();
        bank->getSlotList().slots.set (index++, slot.get());
    }

    return bank;
}

// A collection that is a plain list of BANK pointers, null entries allowed; only the read
// operations do anything.
class StubBankCollection : public vantor::dataset::WyxBankCollection
{
public:
    void append (vantor::dataset::WyxBank::Ptr bank)
    {
        owned.push_back (bank);
        pointers.push_back (bank.get());
    }

    vantor::dataset::WyxBank* const* begin() const override { return pointers.data(); }
    vantor::dataset::WyxBank** begin() override { return pointers.data(); }
    vantor::dataset::WyxBank* const* end() const override { return pointers.data() + pointers.size(); }
    vantor::dataset::WyxBank** end() override { return pointers.data() + pointers.size(); }

    vantor::dataset::WyxBank::Ptr getBank (int index) const override
    {
        return (size_t)index < owned.size() ? owned[(size_t)index] : nullptr;
    }

    int indexOf (const vantor::dataset::WyxBank* bank) const override
    {
        for (size_t i = 0; i < pointers.size(); ++i)
            if (pointers[i] == bank)
                return (int)i;

        return -1;
    }

    int size() const override { return (int)pointers.size(); }
    void swap (int, int) override {}
    void move (int, int) override {}
    void remove (int) override {}
    vantor::dataset::WyxBank::Ptr add (const vantor::dataset::WyxBank*) override { return nullptr; }
    vantor::dataset::WyxBank::Ptr insert (int, const vantor::dataset::WyxBank*) override { return nullptr; }

    void clear() override
    {
        owned.clear();
        pointers.clear();
    }

    juce::String load (const juce::File&) override { return {}; }
    void save() override {}

private:
    std::vector<vantor::dataset::WyxBank::Ptr> owned;
    std::vector<vantor::dataset::WyxBank*> pointers;
};
} // namespace glorvak::test
