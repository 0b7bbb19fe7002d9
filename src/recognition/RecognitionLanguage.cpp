#include "recognition/RecognitionLanguage.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>

namespace orasent {

namespace {
// ISO 639-1 (as espeak-ng names its voices) to Tesseract's data set names.
const QHash<QString, QString>& tesseractCodes() {
    static const QHash<QString, QString> codes = {
        {"af", "afr"},    {"ar", "ara"}, {"az", "aze"}, {"be", "bel"},      {"bg", "bul"},
        {"bn", "ben"},    {"bs", "bos"}, {"ca", "cat"}, {"cmn", "chi_sim"}, {"cs", "ces"},
        {"cy", "cym"},    {"da", "dan"}, {"de", "deu"}, {"el", "ell"},      {"en", "eng"},
        {"eo", "epo"},    {"es", "spa"}, {"et", "est"}, {"eu", "eus"},      {"fa", "fas"},
        {"fi", "fin"},    {"fr", "fra"}, {"ga", "gle"}, {"gd", "gla"},      {"gl", "glg"},
        {"he", "heb"},    {"hi", "hin"}, {"hr", "hrv"}, {"hu", "hun"},      {"hy", "hye"},
        {"id", "ind"},    {"is", "isl"}, {"it", "ita"}, {"ja", "jpn"},      {"ka", "kat"},
        {"kk", "kaz"},    {"ko", "kor"}, {"ky", "kir"}, {"la", "lat"},      {"lt", "lit"},
        {"lv", "lav"},    {"mk", "mkd"}, {"ms", "msa"}, {"mt", "mlt"},      {"nb", "nor"},
        {"nl", "nld"},    {"no", "nor"}, {"pl", "pol"}, {"pt", "por"},      {"ro", "ron"},
        {"ru", "rus"},    {"sk", "slk"}, {"sl", "slv"}, {"sq", "sqi"},      {"sr", "srp"},
        {"sv", "swe"},    {"sw", "swa"}, {"ta", "tam"}, {"te", "tel"},      {"th", "tha"},
        {"tr", "tur"},    {"uk", "ukr"}, {"ur", "urd"}, {"vi", "vie"},      {"yue", "chi_tra"},
        {"zh", "chi_sim"}};
    return codes;
}

QMutex& stateMutex() {
    static QMutex mutex;
    return mutex;
}
QString& preferredVoice() {
    static QString voice;
    return voice;
}
QSet<QString>& noticesGiven() {
    static QSet<QString> given;
    return given;
}

QString languageName(const QString& tesseractCode, const QString& voiceLanguage) {
    return tesseractCode.isEmpty() ? voiceLanguage : tesseractCode;
}
} // namespace

QString tessdataFolder() {
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        candidates << prefix << QDir(prefix).filePath(QStringLiteral("tessdata"));
    candidates << QStringLiteral("/usr/share/tesseract-ocr/5/tessdata")
               << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata")
               << QStringLiteral("/usr/share/tessdata");
    for (const QString& folder : candidates) {
        if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("eng.traineddata"))))
            return folder;
    }
    return {};
}

bool isRecognitionLanguageInstalled(const QString& tesseractCode) {
    const QString folder = tessdataFolder();
    return !folder.isEmpty() && !tesseractCode.isEmpty() &&
           QFileInfo::exists(QDir(folder).filePath(tesseractCode + ".traineddata"));
}

QString tesseractLanguageFor(const QString& voiceLanguage) {
    // "gmw/en-US" -> "en": the part after the family, before the region.
    const QString language =
        voiceLanguage.section(QLatin1Char('/'), -1).section(QLatin1Char('-'), 0, 0).toLower();
    return tesseractCodes().value(language);
}

RecognitionLanguage recognitionLanguageFor(const QString& voiceLanguage) {
    RecognitionLanguage result;
    const QString wanted = tesseractLanguageFor(voiceLanguage);
    if (wanted == QLatin1String("eng") || voiceLanguage.isEmpty())
        return result;
    if (isRecognitionLanguageInstalled(wanted)) {
        result.code = wanted;
        return result;
    }
    result.fallbackNotice =
        QStringLiteral("Text in pictures is read as English: the recognition data for the "
                       "voice's language (%1) is not installed.")
            .arg(languageName(wanted, voiceLanguage));
    return result;
}

void setPreferredRecognitionVoice(const QString& voiceLanguage) {
    QMutexLocker lock(&stateMutex());
    preferredVoice() = voiceLanguage;
}

RecognitionLanguage preferredRecognitionLanguage() {
    QString voice;
    {
        QMutexLocker lock(&stateMutex());
        voice = preferredVoice();
    }
    return recognitionLanguageFor(voice);
}

QString takeFallbackNoticeOnce(const RecognitionLanguage& language) {
    if (language.fallbackNotice.isEmpty())
        return {};
    QMutexLocker lock(&stateMutex());
    if (noticesGiven().contains(language.fallbackNotice))
        return {};
    noticesGiven().insert(language.fallbackNotice);
    return language.fallbackNotice;
}

} // namespace orasent
