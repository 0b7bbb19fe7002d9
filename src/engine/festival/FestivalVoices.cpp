#include "engine/festival/FestivalVoices.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orasent {

const QVector<FestivalVoiceInfo>& festivalVoices() {
    // At their own pace bench_voices measured slt 195 and kal 182 words a minute; the speed
    // brings each to about 175 at Rate 0.
    static const QVector<FestivalVoiceInfo> voices = {
        {"festival/cmu_us_slt_arctic_hts", "English (America), Festival, female (slt)", "en-US",
         "us/cmu_us_slt_arctic_hts", "hts/cmu_us_slt_arctic_hts.htsvoice", 0.90},
        {"festival/kal_diphone", "English (America), Festival, male, older (kal)", "en-US",
         "english/kal_diphone", "group/kallpc16k.group", 0.96},
    };
    return voices;
}

const FestivalVoiceInfo* festivalVoiceInfo(const QString& identifier) {
    for (const FestivalVoiceInfo& info : festivalVoices())
        if (identifier == QLatin1String(info.identifier))
            return &info;
    return nullptr;
}

QString festivalVoiceName(const QString& identifier) {
    return identifier.section(QLatin1Char('/'), 1);
}

QString festivalVoicesFolder() {
    return QStringLiteral(ORASENT_FESTIVAL_VOICES_DIR);
}

SpObjectTokens installedFestivalVoices(const QString& voicesFolder) {
    SpObjectTokens tokens;
    for (const FestivalVoiceInfo& info : festivalVoices()) {
        const QString folder = voicesFolder + QLatin1Char('/') + QLatin1String(info.folder);
        const QString name = festivalVoiceName(QLatin1String(info.identifier));
        if (QFileInfo(folder + QLatin1String("/festvox/") + name + QLatin1String(".scm"))
                .isFile() &&
            QFileInfo(folder + QLatin1Char('/') + QLatin1String(info.dataFile)).isFile())
            tokens.append(SpObjectToken(QString::fromLatin1(info.identifier),
                                        QString::fromLatin1(info.description)));
    }
    return tokens;
}

QString festivalHelperProgram() {
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        candidates << dir + QStringLiteral("/orasent-festival")
                   << dir + QStringLiteral("/../libexec/orasent/orasent-festival");
    }
    candidates << QStringLiteral(ORASENT_FESTIVAL_HELPER_BUILT);
    for (const QString& candidate : std::as_const(candidates))
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    return {};
}

} // namespace orasent
