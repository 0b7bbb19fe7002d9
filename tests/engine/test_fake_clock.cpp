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
    qint64 frame = 0;   // from the event's stream position
    qint64 heardAt = 0; // the fake clock when the event arrived
};
} // namespace

class TestFakeClock : public QObject {
    Q_OBJECT
    std::unique_ptr<EspeakVoice> m_voice;
    std::shared_ptr<FakeClock> m_clock;
    QList<Logged> m_log;

    int bytesPerFrame() const {
        return qMax(1, m_clock->format.channels * m_clock->format.bitsPerSample / 8);
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
    // The listener hears `frames` more at a time until `kind` has come `times` times for `stream`.
    bool hearUntil(const QString& kind, int stream, int times, qint64 frames = 220) {
        for (int rounds = 0; count(kind, stream) < times; ++rounds) {
            if (rounds > 4000)
                return false;
            m_clock->played += frames;
            if (!letPlayerSeeClock())
                return false;
        }
        return true;
    }
    int count(const QString& kind, int stream) const {
        return int(std::count_if(m_log.begin(), m_log.end(), [&](const Logged& l) {
            return l.kind == kind && l.stream == stream;
        }));
    }

private slots:
    void init() {
        m_log.clear();
        m_clock = std::make_shared<FakeClock>();
        m_voice = std::make_unique<EspeakVoice>();
        auto clock = m_clock;
        m_voice->setOutputFactory([clock] { return std::make_unique<FakeClockOutput>(clock); });
        m_voice->setStallTimeout(24 * 3600 * 1000); // the test's clock stands still on purpose
        const auto record = [this](const char* kind) {
            return [this, kind](int s, const QVariant& p) {
                m_log.append(
                    {QLatin1String(kind), s, p.toLongLong() / bytesPerFrame(), m_clock->played});
            };
        };
        connect(m_voice.get(), &SpVoice::StartStream, this, record("start"));
        connect(m_voice.get(), &SpVoice::Word, this,
                [r = record("word")](int s, const QVariant& p, int, int) { r(s, p); });
        connect(m_voice.get(), &SpVoice::EndStream, this, record("end"));
    }
    void cleanup() { m_voice.reset(); }

    void eventsWaitForTheirFrame() {
        const int stream =
            m_voice->Speak(QStringLiteral("one two three four five six"), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(count("start", stream) == 1, 10000);
        QVERIFY(letPlayerSeeClock());
        // Nothing has been heard yet: at most the first word (frame 0) is due.
        QVERIFY(count("word", stream) <= 1);
        QCOMPARE(count("end", stream), 0);
        QVERIFY(hearUntil("end", stream, 1));
        QCOMPARE(m_log.first().kind, QStringLiteral("start"));
        QCOMPARE(m_log.last().kind, QStringLiteral("end"));
        QCOMPARE(count("word", stream), 6);
        QSet<qint64> distinctTimes;
        for (const Logged& l : std::as_const(m_log)) {
            QVERIFY2(l.frame <= l.heardAt,
                     qPrintable(QStringLiteral("%1 at frame %2 arrived when %3 were heard")
                                    .arg(l.kind)
                                    .arg(l.frame)
                                    .arg(l.heardAt)));
            if (l.kind == QLatin1String("word"))
                distinctTimes.insert(l.heardAt);
        }
        QVERIFY(distinctTimes.size() >= 5); // words arrive one by one, not in a burst
        QVERIFY(m_log.last().frame <= m_clock->data.size() / bytesPerFrame());
        QCOMPARE(m_clock->closed, 1);
    }

    void purgeLeavesNoStaleEvents() {
        const int first =
            m_voice->Speak(QStringLiteral("This is a long text that will not be heard to its end, "
                                          "because a newer text purges it after a few words."),
                           SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(count("start", first) == 1, 10000);
        QVERIFY(hearUntil("word", first, 3));
        const int purgeMark = m_log.size();
        const int second =
            m_voice->Speak(QStringLiteral("Stop."), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        QCOMPARE(m_clock->discarded, 1);
        QVERIFY(hearUntil("end", second, 1));
        // A little more time for any late chunk of the purged stream to show up.
        for (int i = 0; i < 20; ++i) {
            m_clock->played += 2205;
            QVERIFY(letPlayerSeeClock());
        }
        for (int i = purgeMark; i < m_log.size(); ++i)
            QCOMPARE(m_log.at(i).stream, second);
        QCOMPARE(m_log.at(purgeMark).kind, QStringLiteral("start"));
        QVERIFY(m_voice->isIdle());
    }

    void blankSpeakNeedsNoOutput() {
        // The blank that stops speech starts and ends at once, without waiting for a device.
        const int stream =
            m_voice->Speak(QStringLiteral(" "), SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML);
        QTRY_VERIFY_WITH_TIMEOUT(count("end", stream) == 1, 10000);
        QCOMPARE(count("start", stream), 1);
        QCOMPARE(m_clock->opened, 0);
        QCOMPARE(m_clock->calls, (QStringList{"prepare", "discard"})); // let go at once
        QVERIFY(m_voice->isIdle());
    }

    void queuedStreamsPlayInOrder() {
        const int a = m_voice->Speak(QStringLiteral("first"), SVSFlagsAsync);
        const int b = m_voice->Speak(QStringLiteral("second"), SVSFlagsAsync);
        QVERIFY(hearUntil("end", b, 1, 441));
        QStringList order;
        for (const Logged& l : std::as_const(m_log))
            order << l.kind + (l.stream == a ? "A" : "B");
        QCOMPARE(order, (QStringList{"startA", "wordA", "endA", "startB", "wordB", "endB"}));
        // Each device stream starts ahead of its sound, and only once the one before has ended.
        QCOMPARE(m_clock->calls,
                 (QStringList{"prepare", "open", "close", "prepare", "open", "close"}));
    }

    void brokenOutputEndsTheStream_data() {
        QTest::addColumn<bool>("fails"); // otherwise it stalls: the clock never moves
        QTest::newRow("device fails") << true;
        QTest::newRow("device stalls") << false;
    }
    void brokenOutputEndsTheStream() {
        QFETCH(bool, fails);
        if (!fails)
            m_voice->setStallTimeout(200);
        const int stream = m_voice->Speak(QStringLiteral("the device goes away"), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(count("start", stream) == 1, 10000);
        m_clock->failNow = fails;
        QTRY_VERIFY_WITH_TIMEOUT(count("end", stream) == 1, 10000);
        QVERIFY(m_voice->isIdle());
    }

    void speakReturnsAtOnceAndEndsWhenHeard() {
        // The default flags too: Speak returns before anything is heard; a timer plays the audio.
        QTimer listener;
        connect(&listener, &QTimer::timeout, this, [this] { m_clock->played += 2205; });
        listener.start(1);
        const int stream = m_voice->Speak(QStringLiteral("wait for me"), SVSFDefault);
        QCOMPARE(count("start", stream), 0);
        QTRY_COMPARE_WITH_TIMEOUT(count("end", stream), 1, 10000);
        listener.stop();
        QCOMPARE(count("start", stream), 1);
        QCOMPARE(count("word", stream), 3);
    }

    void stopRaisesNothingMore() {
        // Stopped mid-stream: the stream neither ends nor says another word, and the next one
        // plays from its start.
        const int old = m_voice->Speak(QStringLiteral("one two three four"), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(count("start", old) == 1, 10000);
        m_voice->stop();
        QVERIFY(m_voice->isIdle());
        QCOMPARE(m_clock->discarded, 1);
        const int fresh = m_voice->Speak(QStringLiteral("five"), SVSFlagsAsync);
        QVERIFY(hearUntil("end", fresh, 1, 2205));
        QCOMPARE(count("end", old), 0);
        QVERIFY(count("word", old) < 4);
    }
};

QTEST_GUILESS_MAIN(TestFakeClock)
#include "test_fake_clock.moc"
