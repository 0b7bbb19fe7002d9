// Event timing against a fake output clock: the test decides how much audio has been "heard".
#include "FakeClockOutput.h"
#include "engine/EspeakVoice.h"

#include <QtTest>

using namespace orasent;
using orasent::test::FakeClock;
using orasent::test::FakeClockOutput;

namespace {
struct Logged {
    QString kind;
    int stream = 0;
    qint64 frame = 0;      // from the event's stream position
    qint64 heardAt = 0;    // the fake clock when the event arrived
    int pos = 0;
};
} // namespace

class TestFakeClock : public QObject {
    Q_OBJECT
    std::unique_ptr<EspeakVoice> m_voice;
    std::shared_ptr<FakeClock> m_clock;
    QList<Logged> m_log;

    int bytesPerFrame() const { return m_clock->format.channels * m_clock->format.bitsPerSample / 8; }
    void record(const QString& kind, int stream, const QVariant& position, int pos = -1) {
        const int bpf = qMax(1, bytesPerFrame());
        m_log.append({kind, stream, position.toLongLong() / bpf, m_clock->played, pos});
    }
    // Lets the player look at the clock at least twice (or finish all it had).
    bool letPlayerSeeClock() {
        const qint64 polls = m_clock->polls;
        QElapsedTimer guard;
        guard.start();
        while (m_clock->polls < polls + 2 && !m_voice->isIdle()) {
            if (guard.elapsed() > 20000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return true;
    }
    int count(const QString& kind, int stream) const {
        int n = 0;
        for (const Logged& l : m_log)
            n += (l.kind == kind && l.stream == stream);
        return n;
    }

private slots:
    void init() {
        m_log.clear();
        m_clock = std::make_shared<FakeClock>();
        m_voice = std::make_unique<EspeakVoice>();
        auto clock = m_clock;
        m_voice->setOutputFactory([clock] { return std::make_unique<FakeClockOutput>(clock); });
        m_voice->setStallTimeout(24 * 3600 * 1000); // the test's clock stands still on purpose
        connect(m_voice.get(), &SpVoice::StartStream, this,
                [this](int s, const QVariant& p) { record(QStringLiteral("start"), s, p); });
        connect(m_voice.get(), &SpVoice::Word, this,
                [this](int s, const QVariant& p, int pos, int) { record(QStringLiteral("word"), s, p, pos); });
        connect(m_voice.get(), &SpVoice::EndStream, this,
                [this](int s, const QVariant& p) { record(QStringLiteral("end"), s, p); });
    }
    void cleanup() { m_voice.reset(); }

    void eventsWaitForTheirFrame() {
        const int stream = m_voice->Speak(QStringLiteral("one two three four five six"), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("start"), stream) == 1, 10000);
        QVERIFY(letPlayerSeeClock());
        // Nothing has been heard yet: at most the first word (frame 0) is due.
        QVERIFY(count(QStringLiteral("word"), stream) <= 1);
        QCOMPARE(count(QStringLiteral("end"), stream), 0);

        // Let the listener hear 10 ms at a time until the stream ends.
        int rounds = 0;
        while (count(QStringLiteral("end"), stream) == 0) {
            QVERIFY2(++rounds < 2000, "the stream never ended");
            m_clock->played += 220;
            QVERIFY(letPlayerSeeClock());
        }
        QCOMPARE(m_log.first().kind, QStringLiteral("start"));
        QCOMPARE(m_log.last().kind, QStringLiteral("end"));
        QCOMPARE(count(QStringLiteral("word"), stream), 6);
        QSet<qint64> distinctTimes;
        for (const Logged& l : std::as_const(m_log)) {
            QVERIFY2(l.frame <= l.heardAt, qPrintable(QStringLiteral("%1 at frame %2 arrived when %3 were heard")
                                                          .arg(l.kind).arg(l.frame).arg(l.heardAt)));
            if (l.kind == QLatin1String("word"))
                distinctTimes.insert(l.heardAt);
        }
        QVERIFY(distinctTimes.size() >= 5); // words arrive one by one, not in a burst
        // The stream ends only when its last frame has been heard.
        const qint64 totalFrames = m_clock->data.size() / bytesPerFrame();
        QVERIFY(m_log.last().heardAt >= m_log.last().frame);
        QVERIFY(m_log.last().frame <= totalFrames);
        QCOMPARE(m_clock->closed, 1);
    }

    void purgeLeavesNoStaleEvents() {
        const int first = m_voice->Speak(QStringLiteral("This is a long text that will not be heard to its end, "
                                                        "because a newer text purges it after a few words."),
                                         SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("start"), first) == 1, 10000);
        while (count(QStringLiteral("word"), first) < 3) {
            m_clock->played += 220;
            QVERIFY(letPlayerSeeClock());
        }
        const int purgeMark = m_log.size();
        const int second = m_voice->Speak(QStringLiteral("Stop."), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        QCOMPARE(m_clock->discarded, 1);
        int rounds = 0;
        while (count(QStringLiteral("end"), second) == 0) {
            QVERIFY2(++rounds < 2000, "the new stream never ended");
            m_clock->played += 220;
            QVERIFY(letPlayerSeeClock());
        }
        // A little more time for any late chunk of the purged stream to show up.
        for (int i = 0; i < 20; ++i) {
            m_clock->played += 2205;
            QVERIFY(letPlayerSeeClock());
        }
        for (int i = purgeMark; i < m_log.size(); ++i)
            QCOMPARE(m_log.at(i).stream, second);
        QCOMPARE(m_log.at(purgeMark).kind, QStringLiteral("start"));
        QCOMPARE(count(QStringLiteral("end"), first), 0);
        QVERIFY(m_voice->isIdle());
    }

    void queuedStreamsPlayInOrder() {
        const int a = m_voice->Speak(QStringLiteral("first"), SVSFlagsAsync);
        const int b = m_voice->Speak(QStringLiteral("second"), SVSFlagsAsync);
        int rounds = 0;
        while (count(QStringLiteral("end"), b) == 0) {
            QVERIFY2(++rounds < 4000, "the queued stream never ended");
            m_clock->played += 441;
            QVERIFY(letPlayerSeeClock());
        }
        QStringList order;
        for (const Logged& l : std::as_const(m_log))
            order << QStringLiteral("%1%2").arg(l.kind).arg(l.stream == a ? "A" : "B");
        QCOMPARE(order, (QStringList{"startA", "wordA", "endA", "startB", "wordB", "endB"}));
    }

    void failingOutputEndsTheStream() {
        const int stream = m_voice->Speak(QStringLiteral("the device goes away"), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("start"), stream) == 1, 10000);
        m_clock->failNow = true;
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("end"), stream) == 1, 10000);
        QVERIFY(m_voice->isIdle());
    }

    void stalledOutputEndsTheStream() {
        m_voice->setStallTimeout(200);
        const int stream = m_voice->Speak(QStringLiteral("nobody is listening"), SVSFlagsAsync);
        // The clock never moves: the watchdog gives the stream up.
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("end"), stream) == 1, 10000);
        QVERIFY(m_voice->isIdle());
    }

    void synchronousSpeakReturnsWhenHeard() {
        // A timer plays the audio while Speak(…, 0) waits; events still arrive during the wait.
        QTimer listener;
        connect(&listener, &QTimer::timeout, this, [this] { m_clock->played += 2205; });
        listener.start(1);
        const int stream = m_voice->Speak(QStringLiteral("wait for me"), SVSFDefault);
        listener.stop();
        QCOMPARE(count(QStringLiteral("start"), stream), 1);
        QCOMPARE(count(QStringLiteral("word"), stream), 3);
        QCOMPARE(count(QStringLiteral("end"), stream), 1);
    }
};

QTEST_GUILESS_MAIN(TestFakeClock)
#include "test_fake_clock.moc"
