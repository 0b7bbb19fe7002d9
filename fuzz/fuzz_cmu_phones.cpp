// IPA from a PLS lexicon or a rule as CMU phones: the inline form of any conversion reads back
// as the same phones, and Flite's text made of arbitrary text holding inline forms keeps every
// byte on a span of that text and every made-up word in its bytes.
#include "engine/CmuPhones.h"
#ifdef ORASENT_HAVE_FLITE
#include "engine/flite/FliteText.h"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString ipa = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList phones = orasent::cmuPhonesFromIpa(ipa);
    const QString inlined = orasent::cmuInlineSounds(ipa);
    if (phones.isEmpty() != inlined.isEmpty())
        __builtin_trap();
    qsizetype end = -1;
    if (!phones.isEmpty() &&
        (orasent::readCmuInline(inlined, 0, &end) != phones || end != inlined.size()))
        __builtin_trap();
#ifdef ORASENT_HAVE_FLITE
    for (const bool xml : {false, true}) {
        const QString text = ipa + QStringLiteral(" and ") + inlined;
        const orasent::FliteText flite(text, xml);
        const auto [pos, length] = flite.sourceSpan(0, int(flite.bytes().size()));
        if (pos < 0 || length < 0 || pos + length > text.size())
            __builtin_trap();
        for (const orasent::FliteSoundWord& word : flite.soundWords())
            if (!flite.bytes().contains(word.token) || word.phones.isEmpty())
                __builtin_trap();
        if (!inlined.isEmpty() && flite.soundWords().isEmpty())
            __builtin_trap(); // the form written here is always read
    }
#endif
    return 0;
}
