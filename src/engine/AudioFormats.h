#pragma once
// The output formats as Qt Multimedia describes them.
#include "engine/SpeechAudioFormat.h"

#include <QAudioFormat>

namespace orasent {

inline QAudioFormat toQAudioFormat(const SpeechAudioFormat& format) {
    QAudioFormat qformat;
    qformat.setSampleRate(format.sampleRate);
    qformat.setChannelCount(format.channels);
    qformat.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return qformat;
}

} // namespace orasent
