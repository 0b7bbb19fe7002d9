#include "engine/EspeakVoice.h"

#include "engine/AudioFormats.h"
#include "engine/AudioOutputs.h"
#include "engine/EspeakSounds.h"
#include "engine/PcmOutput.h"
#include "engine/StreamPlayer.h"
#include "engine/SynthesisWorker.h"
#include "engine/WaveFileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <climits>
#include <cmath>

namespace orasent {

namespace {

// The user's language tag from the environment, e.g. "en-us" for LANG=en_US.UTF-8.
QString localeTag() {
    QString value;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            break;
    }
    value = value.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0).toLower();
    value.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (value.isEmpty() || value == QLatin1String("c") || value == QLatin1String("posix"))
        return QStringLiteral("en");
    return value;
}

// Index of the voice that best fits the tag, or -1: the voice that lists the tag itself with the
// best priority, else the one that lists its language ("de" for "de-at") with the best priority.
int voiceForLocale(const QVector<EspeakVoiceInfo>& voices, const QString& tag) {
    for (const QString& wanted : {tag, tag.section(QLatin1Char('-'), 0, 0)}) {
        int best = -1;
        int bestPriority = INT_MAX;
        for (int i = 0; i < voices.size(); ++i) {
            const int at = voices[i].languages.indexOf(wanted);
            if (at >= 0 && voices[i].priorities.value(at) < bestPriority) {
                best = i;
                bestPriority = voices[i].priorities.value(at);
            }
        }
        if (best >= 0)
            return best;
    }
    return -1;
}

SpObjectToken tokenFor(const QAudioDevice& device) {
    return SpObjectToken(QString::fromUtf8(device.id()), device.description());
}

} // namespace

SpObjectTokens espeakVoiceTokens() {
    // Voices in name order, the user's own first; a repeated name gets its identifier added so
    // that every description names one voice.
    QVector<EspeakVoiceInfo> voices = SynthesisWorker::instance().voices();
    std::stable_sort(voices.begin(), voices.end(),
                     [](const EspeakVoiceInfo& a, const EspeakVoiceInfo& b) {
                         const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
                         return byName != 0 ? byName < 0 : a.identifier < b.identifier;
                     });
    const int own = voiceForLocale(voices, localeTag());
    if (own > 0)
        voices.move(own, 0);
    QHash<QString, int> nameCount;
    SpObjectTokens tokens;
    for (const EspeakVoiceInfo& v : voices)
        ++nameCount[v.name];
    for (const EspeakVoiceInfo& v : voices) {
        const QString description = nameCount.value(v.name) > 1
                                        ? QStringLiteral("%1 [%2]").arg(v.name, v.identifier)
                                        : v.name;
        tokens.append(SpObjectToken(v.identifier, description));
    }
    return tokens;
}

// Sounds in IPA as espeak-ng's [[...]] phoneme input.
QString EspeakVoice::inlineSounds(const QString& ipa) const {
    return espeakPhonemeInput(ipa);
}

QString EspeakVoice::LanguageOf(const SpObjectToken& voice) const {
    return espeakLanguageOf(voice.Id());
}

// A voice's first language as espeak-ng lists it ("fr-fr"), in the usual case ("fr-FR").
QString espeakLanguageOf(const QString& identifier) {
    for (const EspeakVoiceInfo& v : SynthesisWorker::instance().voices()) {
        if (v.identifier != identifier)
            continue;
        QString tag = v.languages.value(0);
        const int dash = tag.indexOf(QLatin1Char('-'));
        if (dash > 0 && tag.size() - dash == 3)
            tag = tag.left(dash + 1) + tag.mid(dash + 1).toUpper();
        return tag;
    }
    return {};
}

std::unique_ptr<SpVoice> createEspeakVoice(QObject* parent) {
    return std::make_unique<EspeakVoice>(parent);
}

EspeakVoice::EspeakVoice(QObject* parent)
    : EspeakVoice(SynthesisWorker::instance(), espeakVoiceTokens(), parent) {}

EspeakVoice::EspeakVoice(SynthesisBackend& backend, SpObjectTokens voices, QObject* parent)
    : SpVoice(parent), m_player(std::make_unique<StreamPlayer>()), m_worker(&backend),
      m_voices(std::move(voices)) {
    SynthesisBackend* worker = m_worker;
    m_player->setConsumedCallback([worker](qint64 usecs) { worker->consumedUsecs(usecs); });

    connect(m_player.get(), &StreamPlayer::streamStarted, this,
            [this](int stream, qint64 bytePos, const SpObjectToken& voice) {
                emit StartStream(stream, QVariant(bytePos));
                emit VoiceChange(stream, QVariant(bytePos), voice);
            });
    connect(m_player.get(), &StreamPlayer::wordReached, this,
            [this](int stream, qint64 bytePos, int pos, int length) {
                emit Word(stream, QVariant(bytePos), pos, length);
            });
    connect(m_player.get(), &StreamPlayer::sentenceReached, this,
            [this](int stream, qint64 bytePos, int pos, int length) {
                emit Sentence(stream, QVariant(bytePos), pos, length);
            });
    connect(m_player.get(), &StreamPlayer::streamFailed, this,
            [](int stream, const QString& reason) {
                qWarning("orasent: speech stream %d ended early: %s", stream, qPrintable(reason));
            });
    connect(m_player.get(), &StreamPlayer::streamEnded, this,
            [this](int stream, qint64 bytePos) { emit EndStream(stream, QVariant(bytePos)); });

    m_voice = m_voices.value(0);
    const QList<QAudioDevice> devices = AudioOutputs::list();
    if (!devices.isEmpty())
        m_output = tokenFor(devices.first());
}

EspeakVoice::~EspeakVoice() {
    m_worker->forget(this); // nothing is delivered to the player after this
    m_player->purge();
}

SpObjectTokens EspeakVoice::GetVoices(const QString&, const QString&) {
    return m_voices;
}

SpObjectTokens EspeakVoice::GetAudioOutputs(const QString&, const QString&) {
    SpObjectTokens tokens;
    for (const QAudioDevice& device : AudioOutputs::list())
        tokens.append(tokenFor(device));
    return tokens;
}

void EspeakVoice::setVoice(const SpObjectToken& voice) {
    if (!m_voices.contains(voice))
        throw SpeechError("no such voice");
    m_voice = m_voices.at(m_voices.indexOf(voice));
}

void EspeakVoice::setAudioOutput(const SpObjectToken& output) {
    const QAudioDevice device = AudioOutputs::find(output.Id().toUtf8());
    if (device.isNull())
        throw SpeechError("no such audio output");
    m_output = tokenFor(device);
}

void EspeakVoice::setRate(int rate) {
    m_rate = qBound(-10, rate, 10);
}

void EspeakVoice::setVolume(int volume) {
    m_volume = qBound(0, volume, 100);
}

int EspeakVoice::wordsPerMinute(int rate) {
    return int(std::lround(175.0 * std::pow(3.0, qBound(-10, rate, 10) / 10.0)));
}

void EspeakVoice::setAudioOutputFormatType(int type) {
    const SpeechAudioFormat format = speechAudioFormat(type);
    if (!format.isValid())
        throw SpeechError("unknown audio format");
    if (m_wave) {
        if (m_wave->framesWritten() > 0)
            throw SpeechError("the wave file already holds audio in another format");
        m_wave = std::make_shared<WaveFileWriter>(m_wave->path(), format);
    } else if (!m_outputFactory) {
        const QAudioDevice device = AudioOutputs::find(m_output.Id().toUtf8());
        if (!device.isNull() && !device.isFormatSupported(toQAudioFormat(format)))
            throw SpeechError("the audio output refuses this format");
    }
    m_formatType = type;
}

void EspeakVoice::setAudioOutputToWaveFile(const QString& path) {
    if (path.isEmpty()) {
        m_wave.reset(); // streams still playing into it keep it open until they end
        return;
    }
    m_wave = std::make_shared<WaveFileWriter>(path, speechAudioFormat(m_formatType));
}

void EspeakVoice::setOutputFactory(std::function<std::unique_ptr<PcmOutput>()> factory) {
    m_outputFactory = std::move(factory);
}

void EspeakVoice::setStallTimeout(int ms) {
    m_player->setStallTimeout(ms);
}

bool EspeakVoice::isIdle() const {
    return m_player->isIdle();
}

std::unique_ptr<PcmOutput> EspeakVoice::makeOutput() {
    if (m_outputFactory)
        return m_outputFactory();
    if (m_wave)
        return std::make_unique<WavePcmOutput>(m_wave);
    const QList<QAudioDevice> devices = AudioOutputs::list();
    if (devices.isEmpty())
        throw SpeechError("no audio output device");
    for (const QAudioDevice& device : devices)
        if (QString::fromUtf8(device.id()) == m_output.Id())
            return std::make_unique<DevicePcmOutput>(device);
    // The chosen output has gone; the default one speaks instead.
    return std::make_unique<DevicePcmOutput>(devices.first());
}

int EspeakVoice::Speak(const QString& text, int flags) {
    if (!m_worker->isReady())
        throw SpeechError("the speech engine is not available");
    if (m_voice.isNull())
        throw SpeechError("no voice");
    std::unique_ptr<PcmOutput> output = makeOutput();

    if (flags & SVSFPurgeBeforeSpeak)
        stop();
    const int stream = ++m_lastStream;
    const SpeechAudioFormat format = speechAudioFormat(m_formatType);
    m_player->enqueue(stream, format, std::move(output), m_voice);

    SynthesisJob job = jobFor(text, flags);
    job.stream = stream;
    StreamPlayer* player = m_player.get();
    job.deliver = [player](StreamChunk chunk) {
        // On the worker thread; the player takes the chunk on the GUI thread.
        QMetaObject::invokeMethod(
            player,
            [player, chunk = std::move(chunk)]() mutable { player->deliver(std::move(chunk)); },
            Qt::QueuedConnection);
    };
    m_worker->submit(std::move(job));
    return stream;
}

void EspeakVoice::prepare(const QString& text, int flags) {
    if (m_worker->isReady() && !m_voice.isNull() && !text.trimmed().isEmpty())
        m_worker->prepare(jobFor(text, flags));
}

SynthesisJob EspeakVoice::jobFor(const QString& text, int flags) const {
    SynthesisJob job;
    job.owner = this;
    job.text = text;
    job.xml = (flags & SVSFIsXML) != 0;
    job.voiceIdentifier = m_voice.Id();
    job.wordsPerMinute = wordsPerMinute(m_rate);
    job.gain = m_volume / 100.0;
    job.format = speechAudioFormat(m_formatType);
    return job;
}

// The synthesis drops the voice's streams at its next audio chunk (espeak-ng's own cancel, from
// the one thread that may call it), and the player drops what it holds without an event.
void EspeakVoice::stop() {
    m_worker->purge(this, m_lastStream);
    m_player->purge();
}

QString EspeakVoice::findSampleFolder() {
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/orasent");
    candidates << QStringLiteral(ORASENT_SOURCE_DATA_DIR);
    for (const QString& candidate : std::as_const(candidates)) {
        const QDir dir(candidate);
        if (dir.exists(QStringLiteral("samples/common")))
            return QDir::cleanPath(dir.absolutePath()) + QLatin1Char('/');
    }
    return {};
}

QString EspeakVoice::SdkPath() const {
    return findSampleFolder();
}

} // namespace orasent
