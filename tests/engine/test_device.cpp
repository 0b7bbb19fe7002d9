// The espeak-ng voice on a real audio output. Needs a sound server: run it through
// scripts/with-pulseaudio.sh (the test "test_engine_device_pulse" does), which provides a
// null sink when no server is running.
#include "SpeakAndWait.h"
#include "engine/AudioOutputs.h"
#include "engine/EspeakVoice.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QtTest>

using namespace orasent;
using orasent::test::speakAndWait;

class TestDevice : public QObject {
    Q_OBJECT
    std::unique_ptr<EspeakVoice> m_voice;
    QStringList m_log;

private slots:
    void init() {
        if (QMediaDevices::audioOutputs().isEmpty())
            QSKIP("no audio output device; run under scripts/with-pulseaudio.sh for a null sink");
        m_log.clear();
        m_voice = std::make_unique<EspeakVoice>();
        connect(m_voice.get(), &SpVoice::StartStream, this,
                [this](int s, const QVariant&) { m_log << QStringLiteral("start%1").arg(s); });
        connect(m_voice.get(), &SpVoice::Word, this, [this](int s, const QVariant&, int, int) {
            m_log << QStringLiteral("word%1").arg(s);
        });
        connect(m_voice.get(), &SpVoice::EndStream, this,
                [this](int s, const QVariant&) { m_log << QStringLiteral("end%1").arg(s); });
    }
    void cleanup() { m_voice.reset(); }

    void outputsAreReadOncePerProcess() {
        // Not per voice, call or text: again only when the system's list changes.
        const int read = AudioOutputs::enumerations();
        EspeakVoice other;
        for (int i = 0; i < 3; ++i) {
            other.setAudioOutput(other.GetAudioOutputs().value(0));
            QVERIFY(speakAndWait(*m_voice, QStringLiteral("Once.")));
        }
        QCOMPARE(AudioOutputs::enumerations(), read);
    }

    void outputsAreListedInAStableOrder() {
        const SpObjectTokens outputs = m_voice->GetAudioOutputs();
        QVERIFY(!outputs.isEmpty());
        QCOMPARE(m_voice->GetAudioOutputs(), outputs);
        QCOMPARE(m_voice->AudioOutput(), outputs.first());
        for (const SpObjectToken& t : outputs) {
            QVERIFY(!t.GetDescription().isEmpty());
            m_voice->setAudioOutput(t);
            QCOMPARE(m_voice->AudioOutput(), t);
        }
    }

    void speaksAParagraphAloud() {
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        const int stream =
            m_voice->Speak(QStringLiteral("One two three. Four five six."), SVSFlagsAsync);
        QVERIFY(ends.wait(30000));
        QCOMPARE(m_log, (QStringList{QStringLiteral("start%1").arg(stream)} +
                         QStringList(6, QStringLiteral("word%1").arg(stream)) +
                         QStringList{QStringLiteral("end%1").arg(stream)}));
    }

    void speakReturnsBeforeItIsHeard() {
        const qsizetype mark = m_log.size();
        const int stream = m_voice->Speak(QStringLiteral("Wait for it."), SVSFDefault);
        QCOMPARE(m_log.size(), mark);
        QTRY_VERIFY_WITH_TIMEOUT(m_log.contains(QStringLiteral("end%1").arg(stream)), 30000);
        QVERIFY(m_voice->isIdle());
    }

    void purgeStopsTheOldStream() {
        QSignalSpy words(m_voice.get(), &SpVoice::Word);
        const int old =
            m_voice->Speak(QStringLiteral("This long sentence is cut short by the next one, "
                                          "so its last words are never heard at all."),
                           SVSFlagsAsync);
        QVERIFY(words.wait(30000));
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        const int mark = m_log.size();
        const int fresh =
            m_voice->Speak(QStringLiteral(" "), SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML);
        QVERIFY(ends.wait(30000));
        QCOMPARE(m_log.mid(mark), (QStringList{QStringLiteral("start%1").arg(fresh),
                                               QStringLiteral("end%1").arg(fresh)}));
        QVERIFY(!m_log.contains(QStringLiteral("end%1").arg(old)));
    }

    void quickStopsAndStartsKeepPlaying() {
        // Talk pressed as fast as a key repeats: each new sentence purges the one before it. The
        // sound server's streams are torn down while new ones open; the last still plays out.
        QSignalSpy words(m_voice.get(), &SpVoice::Word);
        int last = 0;
        for (int i = 0; i < 150; ++i) {
            last = m_voice->Speak(QStringLiteral("Again and again."),
                                  SVSFlagsAsync | SVSFPurgeBeforeSpeak);
            QVERIFY(words.wait(30000)); // its sound is on its way to the server
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_log.contains(QStringLiteral("end%1").arg(last)), 30000);
    }

    void everyFormatTheDeviceTakesPlays() {
        // A format the device refuses throws and changes nothing; the others play.
        for (int type : {4, 9, 22, 35, 39}) {
            const int before = m_voice->AudioOutputFormatType();
            try {
                m_voice->setAudioOutputFormatType(type);
            } catch (const SpeechError&) {
                QCOMPARE(m_voice->AudioOutputFormatType(), before);
                continue;
            }
            QCOMPARE(m_voice->AudioOutputFormatType(), type);
            const int stream = speakAndWait(*m_voice, QStringLiteral("Format check."));
            QCOMPARE(m_log.last(), QStringLiteral("end%1").arg(stream));
        }
    }
};

QTEST_GUILESS_MAIN(TestDevice)
#include "test_device.moc"
