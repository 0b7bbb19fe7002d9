// The speech-dispatcher engine against a private server (scripts/with-speech-dispatcher.sh) that
// plays to the PulseAudio null sink: its voices, the words of a text in order, what is heard on
// the sink and how soon a stop silences it. Skips when no such server was started.
#include "../../bench/HeardRecorder.h"
#include "engine/speechd/SpeechDispatcherVoice.h"
#include "engine/speechd/SpeechdLink.h"

#include <QSignalSpy>
#include <QtTest>

using namespace orasent;
using orasent::bench::nowMs;
using orasent::bench::Recorder;
using orasent::bench::waitFor;

namespace {
constexpr int kEnoughMs = 20000; // an upper bound for a stuck server, not a speed figure

struct Event {
    QString kind;
    int stream = 0;
    int pos = 0;
    int length = 0;
};

class Journal : public QObject {
public:
    explicit Journal(SpVoice& voice) {
        connect(&voice, &SpVoice::StartStream, this, [this](int s, const QVariant&) {
            events.append({"start", s});
        });
        connect(&voice, &SpVoice::Word, this, [this](int s, const QVariant&, int p, int l) {
            events.append({"word", s, p, l});
        });
        connect(&voice, &SpVoice::Sentence, this, [this](int s, const QVariant&, int p, int l) {
            events.append({"sentence", s, p, l});
        });
        connect(&voice, &SpVoice::EndStream, this, [this](int s, const QVariant&) {
            events.append({"end", s});
            ended = s;
        });
    }
    QList<Event> events;
    int ended = 0;
};
} // namespace

class TestSpeechdVoice : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void listsModuleVoices();
    void wordsInOrderAndHeard();
    void stopSilences();
    void stopRaisesNothingMore();
    void speakReturnsAtOnce();
    void moduleWithoutMarksGivesTheSentence();
    void cleanupTestCase();

private:
    std::unique_ptr<SpeechDispatcherVoice> m_voice;
    Recorder m_recorder;
};

void TestSpeechdVoice::initTestCase() {
    if (qEnvironmentVariableIsEmpty("SPEECHD_ADDRESS"))
        QSKIP("no private speech-dispatcher (run under scripts/with-speech-dispatcher.sh)");
    m_voice = std::make_unique<SpeechDispatcherVoice>(nullptr, 10000);
    if (!m_voice->isConnected())
        QSKIP("the speech-dispatcher server does not answer");
    const SpObjectTokens voices = m_voice->GetVoices();
    for (const SpObjectToken& v : voices) {
        if (v.GetDescription() == QLatin1String("English (America) (espeak-ng)")) {
            m_voice->setVoice(v);
            break;
        }
    }
    QVERIFY(m_recorder.start(qEnvironmentVariable("ORASENT_SPEECHD_MONITOR").toStdString()));
}

void TestSpeechdVoice::listsModuleVoices() {
    const SpObjectTokens voices = m_voice->GetVoices();
    QVERIFY(voices.size() > 10);
    for (const SpObjectToken& v : voices) {
        QVERIFY2(v.GetDescription().endsWith(QLatin1String(" (espeak-ng)")) ||
                     v.GetDescription().endsWith(QLatin1String(" (espeak-ng-generic)")),
                 qPrintable(v.GetDescription()));
        QVERIFY2(!v.GetDescription().contains(QLatin1Char('+')), qPrintable(v.GetDescription()));
    }
    QVERIFY(m_voice->Voice().GetDescription().startsWith(QLatin1String("English")));
}

void TestSpeechdVoice::wordsInOrderAndHeard() {
    Journal journal(*m_voice);
    const QString text = QStringLiteral("Reading <emph>one</emph> two &amp; three.");
    const qint64 before = m_recorder.count();
    const int stream = m_voice->Speak(text, SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML);
    QVERIFY(waitFor([&] { return journal.ended == stream; }, kEnoughMs));
    QVERIFY(waitFor([&] { return m_recorder.firstLoud(before) >= 0; }, 2000));

    QCOMPARE(journal.events.first().kind, QStringLiteral("start"));
    QCOMPARE(journal.events.last().kind, QStringLiteral("end"));
    QStringList words;
    int lastPos = -1;
    for (const Event& e : std::as_const(journal.events)) {
        QCOMPARE(e.stream, stream);
        if (e.kind != QLatin1String("word"))
            continue;
        QVERIFY(e.pos > lastPos);
        QVERIFY(e.pos >= 0 && e.pos + e.length <= text.size());
        words << text.mid(e.pos, e.length);
        lastPos = e.pos;
    }
    QCOMPARE(words, QStringList({"Reading", "one", "two", "three"}));
    QCOMPARE(m_voice->marksOf(QStringLiteral("espeak-ng")), SpeechDispatcherVoice::Marks::Given);
}

// The time from the stopping Speak to the last loud sample heard; reported, and held to 100 ms.
void TestSpeechdVoice::stopSilences() {
    Journal journal(*m_voice);
    QString text;
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral("This sentence goes on for a while so that it can be stopped. ");
    const qint64 before = m_recorder.count();
    const int stream = m_voice->Speak(text, SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML);
    QVERIFY(waitFor([&] { return m_recorder.firstLoud(before) >= 0; }, kEnoughMs));
    QVERIFY(waitFor([&] { return journal.events.size() > 3; }, kEnoughMs));

    const double stopAt = nowMs();
    const int blank = m_voice->Speak(QStringLiteral(" "), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
    QVERIFY(waitFor([&] { return journal.ended == blank; }, kEnoughMs));
    waitFor([] { return false; }, 1000); // what is still heard arrives meanwhile

    const qint64 from = m_recorder.indexAt(stopAt);
    qint64 lastLoud = -1;
    for (qint64 i = from; (i = m_recorder.firstLoud(i)) >= 0; ++i)
        lastLoud = i;
    const double heardFor = lastLoud < 0 ? 0 : m_recorder.timeOf(lastLoud) - stopAt;
    qInfo("speech-dispatcher: heard %.0f ms after the stop", heardFor);
    QVERIFY2(heardFor <= 100, qPrintable(QStringLiteral("%1 ms").arg(heardFor)));

    const int stopIndex = [&] {
        for (int i = 0; i < journal.events.size(); ++i)
            if (journal.events[i].stream == blank)
                return i;
        return -1;
    }();
    QVERIFY(stopIndex > 0);
    for (int i = stopIndex; i < journal.events.size(); ++i)
        QCOMPARE(journal.events[i].stream, blank); // nothing of the stopped stream after it
    QVERIFY(stream < blank);
}

// stop() is speech-dispatcher's CANCEL: nothing of the stopped text arrives afterwards.
void TestSpeechdVoice::stopRaisesNothingMore() {
    Journal journal(*m_voice);
    QString text;
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral("This sentence goes on for a while so that it can be stopped. ");
    m_voice->Speak(text, SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML);
    QVERIFY(waitFor([&] { return journal.events.size() > 3; }, kEnoughMs));
    m_voice->stop();
    const qsizetype mark = journal.events.size();
    const int next = m_voice->Speak(QStringLiteral("one"), SVSFlagsAsync);
    QVERIFY(waitFor([&] { return journal.ended == next; }, kEnoughMs));
    for (qsizetype i = mark; i < journal.events.size(); ++i)
        QCOMPARE(journal.events[i].stream, next);
    QVERIFY(m_voice->isConnected());
}

// The default flags speak as the others do: Speak returns before anything is heard.
void TestSpeechdVoice::speakReturnsAtOnce() {
    Journal journal(*m_voice);
    const int stream = m_voice->Speak(QStringLiteral("one"), SVSFDefault);
    QVERIFY(journal.events.isEmpty());
    QVERIFY(waitFor([&] { return journal.ended == stream; }, kEnoughMs));
}

// The generic module drops marks: no Word events, a Sentence over the whole text instead.
void TestSpeechdVoice::moduleWithoutMarksGivesTheSentence() {
    const SpObjectToken english = m_voice->Voice();
    SpObjectToken generic;
    for (const SpObjectToken& v : m_voice->GetVoices())
        if (v.GetDescription().endsWith(QLatin1String(" (espeak-ng-generic)")))
            generic = v;
    if (generic.isNull())
        QSKIP("the server has no generic module");
    m_voice->setVoice(generic);
    const QString text = QStringLiteral("Speaking without <b>marks</b> here.");
    for (int round = 0; round < 2; ++round) {
        Journal journal(*m_voice);
        const int stream = m_voice->Speak(text, SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML);
        QVERIFY(waitFor([&] { return journal.ended == stream; }, kEnoughMs));
        QStringList kinds;
        for (const Event& e : std::as_const(journal.events)) {
            kinds << e.kind;
            if (e.kind == QLatin1String("sentence"))
                QCOMPARE(text.mid(e.pos, e.length),
                         QStringLiteral("Speaking without <b>marks</b> here"));
        }
        QCOMPARE(kinds, QStringList({"start", "sentence", "end"}));
        QCOMPARE(m_voice->marksOf(QStringLiteral("espeak-ng-generic")),
                 SpeechDispatcherVoice::Marks::Dropped);
    }
    m_voice->setVoice(english);
}

// The connection's thread ends once its voice is gone, so the process can end without it
// still closing the connection (which crashed the process's exit).
void TestSpeechdVoice::cleanupTestCase() {
    const bool connected = m_voice && m_voice->isConnected();
    m_voice.reset();
    if (connected)
        QVERIFY(SpeechdLink::waitAllClosed(kEnoughMs));
}

QTEST_GUILESS_MAIN(TestSpeechdVoice)
#include "test_speechd_voice.moc"
