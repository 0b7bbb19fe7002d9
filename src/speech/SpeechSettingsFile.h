#pragma once
// "VIC.INI": the speech window's saved settings.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace orasent {

struct SpeechSettings { // what SaveDat writes, read from the controls
    int voiceIndex = 0, formatIndex = 18, audioOutputIndex = 0;
    int rate = 0, volume = 100, chkClipboard = 0, clearIt = 0;
    double left = 0, top = 0; // twips
};

QByteArray formatSpeechSettings(const SpeechSettings& settings); // exactly the 16 lines, CR LF each

// SaveDat: writes through "ALLTMP" in the same folder and renames it over `path`; the old file
// stays whole on failure.
bool writeSpeechSettings(const QString& path, const SpeechSettings& settings, QString* error);

// LoadDat step 4: one action per matched key per line, in file order then key order. Steps that
// fail (bad number, 16-bit overflow, negative window position) are left out; index-range checks are
// the window's.
struct SettingAction {
    enum Kind {
        VoiceIndex,
        ClearIt,
        FormatIndex,
        AudioOutputIndex,
        Rate,
        Volume,
        ChkClipboard,
        Left,
        Top
    };
    Kind kind;
    double value; // rounded (half to even) for indices/ClearIt, rounded down for
                  // Rate/Volume/ChkClipboard, raw for Left/Top
};

QList<SettingAction> parseSpeechSettings(const QStringList& lines);
QList<SettingAction> readSpeechSettingsFile(const QString& path); // missing/unreadable: empty

} // namespace orasent
