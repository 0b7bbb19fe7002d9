#pragma once
// The engine's audio format values (SpeechAudioFormatType 4..39): nine sample rates, 8 or 16 bit,
// mono or stereo. Value = 4 + 4 * rate index + 2 * (16 bit) + (stereo).
#include <QList>
#include <QString>

namespace orasent {

struct SpeechAudioFormat {
    int type = 0;       // SpeechAudioFormatType value
    QString name;       // e.g. "SAFT22kHz16BitMono"
    int sampleRate = 0; // Hz
    int bitsPerSample = 0;
    int channels = 0;
    bool isValid() const { return type >= 4 && type <= 39; }
};

constexpr int SAFT22kHz16BitMono = 22;

// The 36 formats in the order of the format list, index 0 ("SAFT8kHz8BitMono", 4) to 35.
const QList<SpeechAudioFormat>& speechAudioFormats();
// The format with this type value; an invalid one (type 0) for values outside 4..39.
SpeechAudioFormat speechAudioFormat(int type);

} // namespace orasent
