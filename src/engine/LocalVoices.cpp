#include "engine/LocalVoices.h"

#include "engine/CmuPhones.h"
#include "engine/CombinedVoice.h"
#include "engine/EspeakSounds.h"
#include "engine/SynthesisWorker.h"

#ifdef ORASENT_HAVE_FESTIVAL
#include "engine/festival/FestivalBackend.h"
#include "engine/festival/FestivalVoice.h"
#include "engine/festival/FestivalVoices.h"
#endif

#ifdef ORASENT_HAVE_FLITE
#include "engine/flite/FliteSynth.h"
#include "engine/flite/FliteVoice.h"
#include "engine/flite/FliteWorker.h"
#endif

namespace orasent {

SynthesisBackend& synthesisBackendFor(const QString& voiceIdentifier) {
#ifdef ORASENT_HAVE_FESTIVAL
    if (voiceIdentifier.startsWith(QLatin1String("festival/")))
        return FestivalBackend::instance();
#endif
#ifdef ORASENT_HAVE_FLITE
    if (voiceIdentifier.startsWith(QLatin1String("flite/")))
        return FliteWorker::instance();
#else
    Q_UNUSED(voiceIdentifier);
#endif
    return SynthesisWorker::instance();
}

std::unique_ptr<SpVoice> createFliteVoice(QObject* parent) {
#ifdef ORASENT_HAVE_FLITE
    return std::make_unique<FliteVoice>(parent);
#else
    Q_UNUSED(parent);
    return nullptr;
#endif
}

SpObjectTokens fliteVoiceTokens() {
    SpObjectTokens tokens;
#ifdef ORASENT_HAVE_FLITE
    for (const FliteVoiceInfo& info : fliteVoices())
        tokens.append(SpObjectToken(QString::fromLatin1(info.identifier),
                                    QString::fromLatin1(info.description)));
#endif
    return tokens;
}

QString fliteLanguageOf(const QString& identifier) {
#ifdef ORASENT_HAVE_FLITE
    if (const FliteVoiceInfo* info = fliteVoiceInfo(identifier))
        return QString::fromLatin1(info->language);
#else
    Q_UNUSED(identifier);
#endif
    return {};
}

QString inlineSoundsFor(const QString& voiceIdentifier, const QString& ipa) {
    // Flite's and Festival's voices speak the same CMU phone set.
    if (voiceIdentifier.startsWith(QLatin1String("flite/")) ||
        voiceIdentifier.startsWith(QLatin1String("festival/")))
        return cmuInlineSounds(ipa);
    return espeakPhonemeInput(ipa);
}

std::unique_ptr<SpVoice> createFestivalVoice(QObject* parent) {
#ifdef ORASENT_HAVE_FESTIVAL
    if (!installedFestivalVoices().isEmpty())
        return std::make_unique<FestivalVoice>(parent);
#endif
    Q_UNUSED(parent);
    return nullptr;
}

SpObjectTokens festivalVoiceTokens() {
#ifdef ORASENT_HAVE_FESTIVAL
    return installedFestivalVoices();
#else
    return {};
#endif
}

// Flite's voice object lists Festival's voices after its own, and plays them through the same
// kind of output.
std::unique_ptr<SpVoice> createLocalVoice(QObject* parent) {
    std::unique_ptr<SpVoice> flite = createFliteVoice();
    std::unique_ptr<SpVoice> festival = createFestivalVoice();
    if (!flite || !festival) {
        std::unique_ptr<SpVoice> one = flite ? std::move(flite) : std::move(festival);
        if (one)
            one->setParent(parent);
        return one;
    }
    return std::make_unique<CombinedVoice>(std::move(flite), nullptr, parent, std::move(festival));
}

SpObjectTokens localVoiceTokens() {
    return fliteVoiceTokens() + festivalVoiceTokens();
}

// English voices by word error rate, lowest first, as bench_voices measured them over the 30
// shared everyday sentences at Rate 0 (pocketsphinx with Debian's en-us model, scored as
// voice_wer.py scores it): Flite rms 16.2 %, slt 19.5 %, kal 19.5 %, awb 27.5 %; espeak-ng's
// "English (Great Britain)" 87.4 %. All of them synthesize at 20 or more times real time.
// Festival's slt (13.5 %) and kal (21.6 %) come after them: with the helper process they take
// about 390 MB and slt's first audio comes after about 270 ms, beyond the goals for the voice a
// new user hears, so they speak only where Flite is not installed. A voice not installed is
// skipped.
QString clearestVoiceFor(const QString& language) {
    static const char* const kEnglishByClarity[] = {
        "flite/cmu_us_rms",
        "flite/cmu_us_slt",
        "flite/cmu_us_kal16",
        "flite/cmu_us_awb",
        "festival/cmu_us_slt_arctic_hts",
        "festival/kal_diphone",
    };
    const QString primary = language.toLower().section(QLatin1Char('-'), 0, 0);
    if (primary != QLatin1String("en"))
        return {};
    const SpObjectTokens installed = localVoiceTokens();
    for (const char* id : kEnglishByClarity)
        for (const SpObjectToken& token : installed)
            if (token.Id() == QLatin1String(id))
                return token.Id();
    return {};
}

} // namespace orasent
