#include "engine/SpeechAudioFormat.h"

namespace orasent {

const QList<SpeechAudioFormat>& speechAudioFormats() {
    static const QList<SpeechAudioFormat> formats = [] {
        struct Rate {
            int hz;
            const char* label;
        };
        const Rate rates[] = {{8000, "8"},   {11025, "11"}, {12000, "12"},
                              {16000, "16"}, {22050, "22"}, {24000, "24"},
                              {32000, "32"}, {44100, "44"}, {48000, "48"}};
        QList<SpeechAudioFormat> list;
        int type = 4;
        for (const Rate& rate : rates)
            for (int bits : {8, 16})
                for (int channels : {1, 2}) {
                    SpeechAudioFormat f;
                    f.type = type++;
                    f.sampleRate = rate.hz;
                    f.bitsPerSample = bits;
                    f.channels = channels;
                    f.name =
                        QStringLiteral("SAFT%1kHz%2Bit%3")
                            .arg(QLatin1String(rate.label))
                            .arg(bits)
                            .arg(channels == 1 ? QLatin1String("Mono") : QLatin1String("Stereo"));
                    list.append(f);
                }
        return list;
    }();
    return formats;
}

SpeechAudioFormat speechAudioFormat(int type) {
    if (type < 4 || type > 39)
        return {};
    return speechAudioFormats().at(type - 4);
}

} // namespace orasent
