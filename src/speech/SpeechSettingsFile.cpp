#include "speech/SpeechSettingsFile.h"

#include "common/AtomicFile.h"
#include "common/Numbers.h"
#include "common/ProgramFiles.h"
#include "common/TextLines.h"
#include "speech/CharacterCase.h"

#include <QFileInfo>

#include <cmath>
#include <optional>

namespace orasent {

namespace {

constexpr qsizetype kMaxValueLength = 255;
constexpr int kSingleDigits = 7; // window positions are single precision

enum class ValueRule {
    RoundedLeadingNumber,
    WholeNumberRoundedDown,
    NonNegativeLeadingNumber,
    Ignored
};

struct SettingKey {
    const char* key;
    int valuePosition; // 1-based character of the line where the value starts
    ValueRule rule;
    SettingAction::Kind kind;
};

// Tested in this order on every line; positions assume the key starts the line.
const SettingKey kKeys[] = {
    {"VOICECB=", 9, ValueRule::RoundedLeadingNumber, SettingAction::VoiceIndex},
    {"CLEARIT=", 9, ValueRule::RoundedLeadingNumber, SettingAction::ClearIt},
    {"FORMATCB", 10, ValueRule::RoundedLeadingNumber, SettingAction::FormatIndex},
    {"AUDIOOUTPUTCB", 15, ValueRule::RoundedLeadingNumber, SettingAction::AudioOutputIndex},
    {"CHKCONFIRM", 0, ValueRule::Ignored, SettingAction::VoiceIndex},
    {"RATESLDR", 10, ValueRule::WholeNumberRoundedDown, SettingAction::Rate},
    {"VOLUMESLDR", 12, ValueRule::WholeNumberRoundedDown, SettingAction::Volume},
    {"CHKCLIPBOARD", 14, ValueRule::WholeNumberRoundedDown, SettingAction::ChkClipboard},
    {"EXECUTING", 0, ValueRule::Ignored, SettingAction::VoiceIndex},
    {"SAYTEXT", 0, ValueRule::Ignored, SettingAction::VoiceIndex},
    {"SAYAGAIN", 0, ValueRule::Ignored, SettingAction::VoiceIndex},
    {"DIDYOUSAY", 0, ValueRule::Ignored, SettingAction::VoiceIndex},
    {"EXECANOUNCE", 0, ValueRule::Ignored, SettingAction::VoiceIndex},
    {"NOTFOUND", 0, ValueRule::Ignored, SettingAction::VoiceIndex},
    {"TTSLEFT=", 9, ValueRule::NonNegativeLeadingNumber, SettingAction::Left},
    {"TTSTOP=", 8, ValueRule::NonNegativeLeadingNumber, SettingAction::Top},
};

std::optional<double> readValue(QStringView valueText, ValueRule rule) {
    switch (rule) {
    case ValueRule::RoundedLeadingNumber: {
        const double value = numericPrefix(valueText);
        if (!fitsInt16(value))
            return std::nullopt;
        return nearest(value);
    }
    case ValueRule::WholeNumberRoundedDown: {
        double value = 0;
        if (!parseWholeNumber(valueText, &value))
            return std::nullopt;
        return std::floor(value);
    }
    case ValueRule::NonNegativeLeadingNumber: {
        const double value = numericPrefix(valueText);
        if (!(value >= 0))
            return std::nullopt;
        return value;
    }
    case ValueRule::Ignored:
        break;
    }
    return std::nullopt;
}

QByteArray settingLine(const char* key, double value, int significantDigits = 15) {
    return QByteArray(key) + formatSigned(value, significantDigits).toLatin1() + "\r\n";
}

} // namespace

QByteArray formatSpeechSettings(const SpeechSettings& settings) {
    const double left = double(float(settings.left));
    const double top = double(float(settings.top));
    QByteArray out;
    out += settingLine("VOICECB=", settings.voiceIndex);
    out += settingLine("FORMATCB=", settings.formatIndex);
    out += settingLine("AUDIOOUTPUTCB=", settings.audioOutputIndex);
    out += "\r\n";
    out += settingLine("RATESLDR=", settings.rate);
    out += settingLine("VOLUMESLDR=", settings.volume);
    out += settingLine("CHKCLIPBOARD=", settings.chkClipboard);
    out += "\r\n\r\n\r\n\r\n";
    out += settingLine("CLEARIT=", settings.clearIt);
    out += "\r\n\r\n";
    out += settingLine("TTSLEFT=", left, kSingleDigits);
    out += settingLine("TTSTOP=", top, kSingleDigits);
    return out;
}

bool writeSpeechSettings(const QString& path, const SpeechSettings& settings, QString* error) {
    AtomicWriteOptions options;
    options.temporaryName = files::speechSettingsTemporary();
    return writeFileAtomically(path, formatSpeechSettings(settings), error, options);
}

QList<SettingAction> parseSpeechSettings(const QStringList& lines) {
    QList<SettingAction> actions;
    for (const QString& rawLine : lines) {
        const QString line = upperCaseByCharacter(rawLine);
        for (const SettingKey& key : kKeys) {
            if (!line.contains(QLatin1String(key.key)) || key.rule == ValueRule::Ignored)
                continue;
            const QStringView valueText =
                QStringView(line).mid(key.valuePosition - 1).left(kMaxValueLength);
            if (const std::optional<double> value = readValue(valueText, key.rule))
                actions.append(SettingAction{key.kind, *value});
        }
    }
    return actions;
}

QList<SettingAction> readSpeechSettingsFile(const QString& path) {
    QStringList lines;
    if (!QFileInfo::exists(path) || !readTextFileLines(path, &lines))
        return {};
    return parseSpeechSettings(lines);
}

} // namespace orasent
