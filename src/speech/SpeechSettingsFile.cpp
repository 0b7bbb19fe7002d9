#include "speech/SpeechSettingsFile.h"

namespace orasent {

QByteArray formatSpeechSettings(const SpeechSettings&) { return {}; }
bool writeSpeechSettings(const QString&, const SpeechSettings&, QString*) { return false; }
QList<SettingAction> parseSpeechSettings(const QStringList&) { return {}; }
QList<SettingAction> readSpeechSettingsFile(const QString&) { return {}; }

}  // namespace orasent
