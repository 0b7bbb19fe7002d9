#include "engine/PcmConverter.h"

#include "engine/SpVoice.h"

#include <soxr.h>

#include <cmath>

namespace orasent {

PcmConverter::PcmConverter(const SpeechAudioFormat& format, double gain, int inputRate)
    : m_format(format), m_gain(float(qBound(0.0, gain, 1.0))), m_inputRate(inputRate) {
    if (!m_format.isValid())
        throw SpeechError("unknown audio format");
    if (m_format.sampleRate != m_inputRate) {
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        m_soxr = soxr_create(m_inputRate, m_format.sampleRate, 1, &error, &io, &quality, nullptr);
        if (error || !m_soxr)
            throw SpeechError(std::string("resampler: ") + (error ? error : "failed"));
    }
}

PcmConverter::~PcmConverter() {
    if (m_soxr)
        soxr_delete(m_soxr);
}

qint64 PcmConverter::outputFrameFor(qint64 inputSample) const {
    if (m_format.sampleRate == m_inputRate)
        return inputSample;
    return qint64(std::llround(double(inputSample) * m_format.sampleRate / m_inputRate));
}

QByteArray PcmConverter::convert(const short* samples, int count) {
    if (count <= 0)
        return {};
    m_in.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        m_in[size_t(i)] = float(samples[i]) * m_gain / 32768.0f;
    if (!m_soxr)
        return encode(m_in.data(), m_in.size());
    m_out.resize(size_t(std::ceil(count * double(m_format.sampleRate) / m_inputRate)) + 64);
    size_t done = 0;
    soxr_process(m_soxr, m_in.data(), m_in.size(), nullptr, m_out.data(), m_out.size(), &done);
    return encode(m_out.data(), done);
}

QByteArray PcmConverter::finish() {
    if (!m_soxr)
        return {};
    QByteArray bytes;
    m_out.resize(4096);
    for (;;) {
        size_t done = 0;
        soxr_process(m_soxr, nullptr, 0, nullptr, m_out.data(), m_out.size(), &done);
        if (done == 0)
            break;
        bytes += encode(m_out.data(), done);
    }
    return bytes;
}

QByteArray PcmConverter::encode(const float* frames, size_t count) {
    const int channels = m_format.channels;
    QByteArray bytes(qsizetype(count) * bytesPerFrame(), Qt::Uninitialized);
    if (m_format.bitsPerSample == 16) {
        auto* out = reinterpret_cast<qint16*>(bytes.data());
        for (size_t i = 0; i < count; ++i) {
            const long v = qBound(-32768L, std::lround(frames[i] * 32768.0f), 32767L);
            for (int c = 0; c < channels; ++c)
                *out++ = qint16(v);
        }
    } else {
        auto* out = reinterpret_cast<quint8*>(bytes.data());
        for (size_t i = 0; i < count; ++i) {
            const long v = qBound(0L, std::lround(frames[i] * 128.0f) + 128, 255L);
            for (int c = 0; c < channels; ++c)
                *out++ = quint8(v);
        }
    }
    m_framesOut += qint64(count);
    return bytes;
}

} // namespace orasent
