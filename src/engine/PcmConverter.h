#pragma once
// Turns espeak-ng's 22050 Hz mono 16-bit samples into one of the 36 output formats: gain for the
// volume, libsoxr (high quality) for the rate, channel duplication for stereo, and 8-bit
// unsigned samples for the 8-bit formats. Fed chunk by chunk; finish() flushes the resampler.
#include "engine/SpeechAudioFormat.h"

#include <QByteArray>
#include <vector>

struct soxr;

namespace orasent {

class PcmConverter {
public:
    static constexpr int kInputRate = 22050;

    // gain: 0.0 .. 1.0, applied before conversion; inputRate: the synthesis's samples a second
    // (Flite's voices give 16 kHz). Throws SpeechError if soxr cannot start.
    PcmConverter(const SpeechAudioFormat& format, double gain, int inputRate = kInputRate);
    ~PcmConverter();
    PcmConverter(const PcmConverter&) = delete;
    PcmConverter& operator=(const PcmConverter&) = delete;

    // Output bytes for these input samples (may be shorter or empty while soxr fills up).
    QByteArray convert(const short* samples, int count);
    // The output still held back by the resampler.
    QByteArray finish();

    // Output frame at which input sample `inputSample` is heard.
    qint64 outputFrameFor(qint64 inputSample) const;
    qint64 framesProduced() const { return m_framesOut; }
    int bytesPerFrame() const { return m_format.channels * m_format.bitsPerSample / 8; }
    const SpeechAudioFormat& format() const { return m_format; }

private:
    QByteArray encode(const float* frames, size_t count);
    SpeechAudioFormat m_format;
    float m_gain;
    int m_inputRate;
    soxr* m_soxr = nullptr;
    std::vector<float> m_in;
    std::vector<float> m_out;
    qint64 m_framesOut = 0;
};

} // namespace orasent
