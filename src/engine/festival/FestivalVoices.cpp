#include "engine/festival/FestivalVoices.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orasent {

const QVector<FestivalVoiceInfo>& festivalVoices() {
    static const QVector<FestivalVoiceInfo> voices = {
        {"festival/cmu_us_slt_arctic_hts", "English (America), Festival, female (slt)", "en-US",
         "us/cmu_us_slt_arctic_hts", "hts/cmu_us_slt_arctic_hts.htsvoice", 1.0},
        {"festival/kal_diphone", "English (America), Festival, male, older (kal)", "en-US",
         "english/kal_diphone", "group/kallpc16k.group", 1.0},
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
