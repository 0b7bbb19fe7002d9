#include "engine/LocalVoices.h"

#include "engine/SynthesisWorker.h"

#ifdef ORASENT_HAVE_FLITE
#include "engine/flite/FliteSynth.h"
#include "engine/flite/FliteVoice.h"
#include "engine/flite/FliteWorker.h"
#endif

namespace orasent {

SynthesisBackend& synthesisBackendFor(const QString& voiceIdentifier) {
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

// Word error rates measured by bench_voices over the shared sentences (pocketsphinx, the method
// of voice_wer.py), lower first; a voice not installed is skipped.
QString clearestVoiceFor(const QString& language) {
    static const char* const kEnglishByClarity[] = {
        "flite/cmu_us_rms",
        "flite/cmu_us_slt",
        "flite/cmu_us_awb",
        "flite/cmu_us_kal16",
    };
    const QString primary = language.toLower().section(QLatin1Char('-'), 0, 0);
    if (primary != QLatin1String("en"))
        return {};
    const SpObjectTokens installed = fliteVoiceTokens();
    for (const char* id : kEnglishByClarity)
        for (const SpObjectToken& token : installed)
            if (token.Id() == QLatin1String(id))
                return token.Id();
    return {};
}

} // namespace orasent
