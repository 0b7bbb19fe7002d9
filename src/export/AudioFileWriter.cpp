#include "export/AudioFileWriter.h"

#include "export/ExportLeftovers.h"

#include <lame/lame.h>
#include <opusenc.h>
#include <sndfile.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace orasent {

// One format's encoder writing to an open file descriptor.
class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;
    virtual bool write(const qint16* samples, qint64 count) = 0;
    // Flushes what the encoder holds back and completes the file's headers.
    virtual bool close() = 0;
    QString error;
};

namespace {

bool writeAll(int fd, const unsigned char* data, qint64 size, QString* error) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            *error = QString::fromLocal8Bit(std::strerror(done < 0 ? errno : ENOSPC));
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

class SndfileEncoder : public AudioEncoder {
public:
    SndfileEncoder(int fd, AudioFileFormat format, const EncoderSettings& settings) {
        SF_INFO info{};
        info.samplerate = settings.sampleRate;
        info.channels = 1;
        info.format = sndfileFormat(format);
        m_file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
        if (!m_file) {
            error = QString::fromUtf8(sf_strerror(nullptr));
            return;
        }
        double level = settings.compressionLevel;
        if (level >= 0)
            sf_command(m_file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof(level));
    }
    ~SndfileEncoder() override {
        if (m_file)
            sf_close(m_file);
    }
    bool isOpen() const { return m_file != nullptr; }
    bool write(const qint16* samples, qint64 count) override {
        const sf_count_t done = sf_write_short(m_file, samples, count);
        if (done == count && sf_error(m_file) == SF_ERR_NO_ERROR)
            return true;
        error = QString::fromUtf8(sf_strerror(m_file));
        return false;
    }
    bool close() override {
        const int closed = sf_close(m_file);
        m_file = nullptr;
        if (closed != 0)
            error = QString::fromUtf8(sf_error_number(closed));
        return closed == 0;
    }

private:
    SNDFILE* m_file = nullptr;
};

// Constant bit rate, so that every player agrees on the times of the chapters; lame's quality 7
// is its fast setting, plenty for a synthetic voice.
class LameEncoder : public AudioEncoder {
public:
    LameEncoder(int fd, const EncoderSettings& settings) : m_fd(fd), m_lame(lame_init()) {
        lame_set_in_samplerate(m_lame, settings.sampleRate);
        lame_set_out_samplerate(m_lame, settings.sampleRate);
        lame_set_num_channels(m_lame, 1);
        lame_set_mode(m_lame, MONO);
        lame_set_VBR(m_lame, vbr_off);
        lame_set_brate(m_lame, settings.bitrate / 1000);
        lame_set_quality(m_lame, 7);
        lame_set_bWriteVbrTag(m_lame, 1); // the "Info" frame: exact length, gapless start
        lame_set_write_id3tag_automatic(m_lame, 0);
        if (lame_init_params(m_lame) < 0)
            error = QStringLiteral("libmp3lame refuses these settings");
    }
    ~LameEncoder() override { lame_close(m_lame); }
    bool write(const qint16* samples, qint64 count) override {
        while (count > 0) {
            const int n = int(qMin<qint64>(count, 8192));
            m_out.resize(size_t(n) * 5 / 4 + 7200);
            const int bytes =
                lame_encode_buffer(m_lame, samples, samples, n, m_out.data(), int(m_out.size()));
            if (bytes < 0 || !writeAll(m_fd, m_out.data(), bytes, &error)) {
                if (bytes < 0)
                    error = QStringLiteral("libmp3lame failed (%1)").arg(bytes);
                return false;
            }
            samples += n;
            count -= n;
        }
        return true;
    }
    bool close() override {
        m_out.resize(7200);
        const int bytes = lame_encode_flush(m_lame, m_out.data(), int(m_out.size()));
        if (bytes < 0 || !writeAll(m_fd, m_out.data(), bytes, &error))
            return false;
        // The Info frame takes the place of the empty first frame lame wrote.
        const size_t size = lame_get_lametag_frame(m_lame, m_out.data(), m_out.size());
        if (size > 0 && size <= m_out.size() &&
            ::pwrite(m_fd, m_out.data(), size, 0) != ssize_t(size)) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        return true;
    }

private:
    int m_fd;
    lame_global_flags* m_lame;
    std::vector<unsigned char> m_out;
};

// Variable bit rate. The encoder is the slowest stage of an export: from 32 kb/s up it runs in
// its music mode only (about 1.6 times as fast as the speech mode, and clear for a synthetic
// voice at that rate); below, the speech mode keeps the voice clear. Complexity 5 of 10: above
// it the time grows fast for little that a voice needs.
class OpusEncoder : public AudioEncoder {
public:
    OpusEncoder(int fd, const EncoderSettings& settings) : m_fd(fd) {
        OpusEncCallbacks callbacks{&OpusEncoder::writeData, &OpusEncoder::closeData};
        m_comments = ope_comments_create();
        int status = OPE_OK;
        m_encoder = ope_encoder_create_callbacks(&callbacks, this, m_comments, settings.sampleRate,
                                                 1, 0, &status);
        if (!m_encoder) {
            error = QString::fromUtf8(ope_strerror(status));
            return;
        }
        if (settings.bitrate >= 32000)
            ope_encoder_ctl(m_encoder, OPUS_SET_APPLICATION(OPUS_APPLICATION_RESTRICTED_LOWDELAY));
        else
            ope_encoder_ctl(m_encoder, OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
        ope_encoder_ctl(m_encoder, OPUS_SET_BITRATE(settings.bitrate));
        ope_encoder_ctl(m_encoder, OPUS_SET_VBR(1));
        ope_encoder_ctl(m_encoder, OPUS_SET_COMPLEXITY(5));
        // libopusenc sets and reads the encoder's prediction around every packet, and each such
        // call checks the CPU's features; on a virtual machine that check cost half the time.
        // Six 20 ms frames a packet make it six times rarer, with the same audio.
        ope_encoder_ctl(m_encoder, OPUS_SET_EXPERT_FRAME_DURATION(OPUS_FRAMESIZE_120_MS));
    }
    ~OpusEncoder() override {
        if (m_encoder)
            ope_encoder_destroy(m_encoder);
        ope_comments_destroy(m_comments);
    }
    bool isOpen() const { return m_encoder != nullptr; }
    bool write(const qint16* samples, qint64 count) override {
        const int status = ope_encoder_write(m_encoder, samples, int(count));
        return status == OPE_OK && !m_failed ? true : failed(status);
    }
    bool close() override {
        const int status = ope_encoder_drain(m_encoder);
        return status == OPE_OK && !m_failed ? true : failed(status);
    }

private:
    bool failed(int status) {
        if (error.isEmpty())
            error = QString::fromUtf8(ope_strerror(status));
        return false;
    }
    static int writeData(void* user, const unsigned char* data, opus_int32 size) {
        auto* self = static_cast<OpusEncoder*>(user);
        if (!self->m_failed && !writeAll(self->m_fd, data, size, &self->error))
            self->m_failed = true;
        return self->m_failed ? 1 : 0;
    }
    static int closeData(void*) { return 0; }

    int m_fd;
    OggOpusComments* m_comments = nullptr;
    OggOpusEnc* m_encoder = nullptr;
    bool m_failed = false;
};

std::unique_ptr<AudioEncoder> makeEncoder(int fd, AudioFileFormat format,
                                          const EncoderSettings& settings, QString* error) {
    if (format == AudioFileFormat::Mp3 || format == AudioFileFormat::Epub) {
        auto lame = std::make_unique<LameEncoder>(fd, settings);
        *error = lame->error;
        return error->isEmpty() ? std::move(lame) : nullptr;
    }
    if (format == AudioFileFormat::Opus) {
        auto opus = std::make_unique<OpusEncoder>(fd, settings);
        *error = opus->error;
        return opus->isOpen() ? std::move(opus) : nullptr;
    }
    auto sndfile = std::make_unique<SndfileEncoder>(fd, format, settings);
    *error = sndfile->error;
    return sndfile->isOpen() ? std::move(sndfile) : nullptr;
}

} // namespace

AudioFileWriter::AudioFileWriter(const QString& targetPath, AudioFileFormat format,
                                 ExportQuality quality)
    : m_stream(std::make_unique<AtomicFileStream>(targetPath, exportTemporaryPrefix())),
      m_target(targetPath) {
    const EncoderSettings settings = encoderSettings(format, quality);
    m_sampleRate = settings.sampleRate;
    if (!m_stream->isOpen()) {
        m_error = m_stream->errorString();
        return;
    }
    QString why;
    m_encoder = makeEncoder(m_stream->fd(), format, settings, &why);
    if (!m_encoder) {
        m_error = QStringLiteral("Cannot write %1: %2").arg(audioFormatCaption(format), why);
        m_stream->discard();
    }
}

AudioFileWriter::~AudioFileWriter() = default; // m_stream removes an uncommitted temporary

bool AudioFileWriter::fail(const QString& message) {
    m_error = QStringLiteral("Could not write \"%1\": %2").arg(m_stream->temporaryPath(), message);
    m_encoder.reset();
    m_stream->discard();
    return false;
}

bool AudioFileWriter::write(const qint16* samples, qint64 count) {
    if (!m_encoder || m_finished)
        return false;
    if (count <= 0)
        return true;
    if (!m_encoder->write(samples, count))
        return fail(m_encoder->error);
    m_frames += count;
    return true;
}

bool AudioFileWriter::writeSilence(qint64 count) {
    static const std::vector<qint16> zeros(4096, 0);
    while (count > 0) {
        const qint64 n = qMin<qint64>(count, qint64(zeros.size()));
        if (!write(zeros.data(), n))
            return false;
        count -= n;
    }
    return true;
}

bool AudioFileWriter::finish() {
    if (m_finished)
        return true;
    if (!m_encoder)
        return false;
    if (!m_encoder->close())
        return fail(m_encoder->error);
    m_encoder.reset();
    if (!m_stream->finish()) {
        m_error = m_stream->errorString();
        return false;
    }
    m_finished = true;
    return true;
}

bool AudioFileWriter::commit() {
    if (!finish())
        return false;
    if (!m_stream->commit()) {
        m_error = m_stream->errorString();
        return false;
    }
    return true;
}

} // namespace orasent
