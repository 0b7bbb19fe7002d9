#pragma once
// The reader and the speech window together, as the program wires them, in a fresh working
// folder: on the scripted engine, or on espeak-ng playing into a scripted output or a device.
// Faults are armed on the engine or its output; the log records every event the windows get.
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "LoadWaiting.h"
#include "engine/EspeakVoice.h"
#include "engine/PcmOutput.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>
#include <sys/prctl.h>

namespace orasent::test {

enum class Fault { None, FailSpeak, FailOpen, FailMidStream, TakesNothing, NeverEnds, DeviceGone };

struct FaultScript {
    Fault armed = Fault::None;
    int hits = 0; // streams (or Speak calls) the fault has struck
};

// Plays at once (every frame written counts as heard) unless its stream was made under a fault.
class ScriptedOutput : public PcmOutput {
public:
    static constexpr qint64 kFailAfterFrames = 2205; // 0.1 s at 22 kHz

    explicit ScriptedOutput(std::shared_ptr<FaultScript> script)
        : m_script(std::move(script)), m_fault(m_script->armed) {}
    void open(const SpeechAudioFormat& format) override {
        m_bytesPerFrame = qMax(1, format.channels * format.bitsPerSample / 8);
        if (m_fault != Fault::None)
            ++m_script->hits;
        if (m_fault == Fault::FailOpen)
            throw SpeechError("the audio output cannot be opened");
    }
    qint64 write(const char*, qint64 bytes) override {
        if (m_fault == Fault::TakesNothing)
            return 0;
        if (m_fault == Fault::FailMidStream)
            bytes = qMin(bytes, (kFailAfterFrames - m_frames) * m_bytesPerFrame);
        m_frames += bytes / m_bytesPerFrame;
        return bytes;
    }
    qint64 playedFrames() override {
        // A failing output fails only once its first frames have been heard.
        m_heardToFailure = m_heardToFailure || m_frames >= kFailAfterFrames;
        return m_fault == Fault::NeverEnds || m_fault == Fault::TakesNothing ? 0 : m_frames;
    }
    bool failed() const override { return m_fault == Fault::FailMidStream && m_heardToFailure; }
    void close() override {}
    void discard() override {}

private:
    std::shared_ptr<FaultScript> m_script;
    Fault m_fault;
    int m_bytesPerFrame = 2;
    qint64 m_frames = 0;
    bool m_heardToFailure = false;
};

// The scripted engine speaking on its own: each stream starts, says its words and ends, as
// events queued after Speak returns. Under a fault a stream says only its first word.
class SpeakingFakeVoice : public FakeVoice {
public:
    explicit SpeakingFakeVoice(std::shared_ptr<FaultScript> script) : m_script(std::move(script)) {}
    int Speak(const QString& text, int flags) override {
        if (m_script->armed != Fault::DeviceGone)
            m_deviceGone = false; // the device is back
        failSpeak = m_script->armed == Fault::FailSpeak || m_deviceGone;
        if (failSpeak)
            ++m_script->hits;
        const int stream = FakeVoice::Speak(text, flags);
        const Fault fault = m_script->armed;
        QMetaObject::invokeMethod(
            this, [this, stream, text, fault] { play(stream, text, fault); }, Qt::QueuedConnection);
        return stream;
    }

private:
    void play(int stream, const QString& text, Fault fault) {
        if (stream != currentStream())
            return; // purged by a newer Speak
        startStream(stream);
        const QStringList words = text.split(QLatin1Char(' '));
        for (int i = 0, pos = 0; i < words.size(); pos += words[i++].size() + 1) {
            if (!words[i].isEmpty())
                word(pos, words[i].size(), stream);
            if (fault != Fault::None && !words[i].isEmpty())
                break;
        }
        if (fault != Fault::None)
            ++m_script->hits;
        if (fault == Fault::NeverEnds)
            return;
        m_deviceGone = fault == Fault::DeviceGone;
        endStream(stream);
    }
    std::shared_ptr<FaultScript> m_script;
    bool m_deviceGone = false;
};

// Everything the speech window heard from its voice, in order.
struct EventLog {
    struct Event {
        char kind; // 'S' StartStream, 'W' Word, 'E' EndStream
        int stream, pos, length;
    };
    QList<Event> events;
    int mark() const { return int(events.size()); }
    // A stream after `from` started, said at least one word and ended.
    bool completedSince(int from) const {
        for (int i = from; i < events.size(); ++i) {
            if (events[i].kind != 'E')
                continue;
            bool started = false, said = false;
            for (int j = from; j < i; ++j) {
                started =
                    started || (events[j].kind == 'S' && events[j].stream == events[i].stream);
                said = said || (events[j].kind == 'W' && events[j].stream == events[i].stream);
            }
            if (started && said)
                return true;
        }
        return false;
    }
    bool saidWordSince(int from) const {
        for (int i = from; i < events.size(); ++i)
            if (events[i].kind == 'W')
                return true;
        return false;
    }
};

// Warnings the program writes (the engine reports a stream it gave up this way).
class WarningLog {
public:
    WarningLog() {
        s_self = this;
        m_previous = qInstallMessageHandler(&WarningLog::handle);
    }
    ~WarningLog() {
        qInstallMessageHandler(m_previous);
        s_self = nullptr;
    }
    int count(const QString& part) const { return int(m_lines.filter(part).size()); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && s_self)
            s_self->m_lines << text;
        if (s_self && s_self->m_previous)
            s_self->m_previous(type, context, text);
    }
    static inline WarningLog* s_self = nullptr;
    QtMessageHandler m_previous = nullptr;
    QStringList m_lines;
};

inline bool runCommand(const QStringList& command, QString* output = nullptr) {
    QProcess p;
    p.start(command.first(), command.mid(1));
    const bool ok =
        p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    return ok;
}

// A PulseAudio server of the test's own whose only sink the test may pull away while a stream
// plays into it (the server would move streams of a removed sink to any other). Started before
// anything in the process looks at the audio devices; the server is stopped at the end.
class PrivatePulseServer {
public:
    static constexpr const char* kSink = "orasent_vanishing";

    PrivatePulseServer() {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) {
            m_whyNot = QStringLiteral("pulseaudio is not installed");
            return;
        }
        const QString dir = m_runtime.path();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir + QStringLiteral("/pulse"));
        env.insert(QStringLiteral("PULSE_STATE_PATH"), dir + QStringLiteral("/state"));
        m_daemon.setProcessEnvironment(env);
        m_daemon.setStandardOutputFile(QProcess::nullDevice());
        m_daemon.setStandardErrorFile(QProcess::nullDevice());
        // The server goes with the test, even when the test crashes.
        m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_daemon.start(
            QStringLiteral("pulseaudio"),
            {"--daemonize=no", "--system=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no",
             QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=%1/native")
                 .arg(dir)});
        qputenv("PULSE_SERVER", QStringLiteral("unix:%1/native").arg(dir).toLocal8Bit());
        if (!m_daemon.waitForStarted() || !QTest::qWaitFor(
                                              [] {
                                                  return runCommand({"pactl", "info"});
                                              },
                                              10000)) {
            m_whyNot = QStringLiteral("the test's own PulseAudio server did not start");
            return;
        }
        if (!loadSink())
            m_whyNot = QStringLiteral("pactl cannot load a null sink");
    }
    ~PrivatePulseServer() {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(5000))
                m_daemon.kill();
        }
    }
    QString whyNot() const { return m_whyNot; }
    bool loadSink() {
        QString index;
        if (!runCommand({"pactl", "load-module", "module-null-sink",
                         QStringLiteral("sink_name=%1").arg(kSink)},
                        &index))
            return false;
        m_module = index.trimmed();
        return true;
    }
    bool unloadSink() { return runCommand({"pactl", "unload-module", m_module}); }

private:
    QTemporaryDir m_runtime;
    QProcess m_daemon;
    QString m_module;
    QString m_whyNot;
};

// Both windows on one engine, loaded over a text in a temporary working folder.
class SpeakingRig {
public:
    static inline const QByteArray kText =
        "Reading goes on after a fault of the speech engine or of the audio device, one sentence "
        "after the other, for as long as the reader wants. Two. Three. Four. Five. ";

    explicit SpeakingRig(bool realEngine, bool deviceOutput = false)
        : m_real(realEngine), m_device(deviceOutput) {
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(m_folder.path());
        QFile text(QStringLiteral("Tech Pool.txt"));
        if (text.open(QIODevice::WriteOnly))
            text.write(kText);
    }
    ~SpeakingRig() {
        reader.reset();
        tts.reset();
        QDir::setCurrent(m_previousFolder);
    }

    void load() {
        tts = std::make_unique<TTSSetup>([this] { return makeVoice(); }, prompts);
        reader = std::make_unique<EnglishF>(*tts, prompts);
        reader->setHandOverWait(20);
        reader->loadWindow();
        waitForLoad(*reader);
        // The test ticks the reader itself.
        reader->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    }

    bool idle() const {
        return tts->SpeakBtn()->isEnabled() && tts->handedOverBox()->text().isEmpty() &&
               (!espeak || espeak->isIdle());
    }
    QString sentence() const {
        return reader->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText();
    }
    QPushButton* readerButton(int n) const {
        return reader->findChild<QPushButton*>(QStringLiteral("Command%1").arg(n));
    }

    std::shared_ptr<FaultScript> script = std::make_shared<FaultScript>();
    FakePrompts prompts;
    EventLog log;
    EspeakVoice* espeak = nullptr;
    SpeakingFakeVoice* fake = nullptr;
    std::unique_ptr<TTSSetup> tts;
    std::unique_ptr<EnglishF> reader;

private:
    std::unique_ptr<SpVoice> makeVoice() {
        std::unique_ptr<SpVoice> voice;
        if (m_real) {
            auto v = std::make_unique<EspeakVoice>();
            if (!m_device) {
                v->setOutputFactory([s = script]() -> std::unique_ptr<PcmOutput> {
                    if (s->armed == Fault::FailSpeak) {
                        ++s->hits;
                        throw SpeechError("no audio output device");
                    }
                    return std::make_unique<ScriptedOutput>(s);
                });
            }
            espeak = v.get();
            voice = std::move(v);
        } else {
            auto v = std::make_unique<SpeakingFakeVoice>(script);
            fake = v.get();
            voice = std::move(v);
        }
        QObject::connect(voice.get(), &SpVoice::StartStream, [this](int s, const QVariant&) {
            log.events.append({'S', s, 0, 0});
        });
        QObject::connect(voice.get(), &SpVoice::Word,
                         [this](int s, const QVariant&, int pos, int length) {
                             log.events.append({'W', s, pos, length});
                         });
        QObject::connect(voice.get(), &SpVoice::EndStream, [this](int s, const QVariant&) {
            log.events.append({'E', s, 0, 0});
        });
        return voice;
    }

    bool m_real;
    bool m_device;
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

} // namespace orasent::test
