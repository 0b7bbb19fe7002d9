// The speech window on the program's own voice (espeak-ng and speech-dispatcher). Without a
// server the lists are espeak-ng's alone and the load does not wait for one; with the private
// server of scripts/with-speech-dispatcher.sh (on the PulseAudio null sink) its voices follow,
// Test is heard with its words in order, the window returns to idle and a stop silences it.
// Killed mid-sentence, the server's loss ends the stream, is announced, and a spawned server
// speaks the next sentence with the chosen voice, 20 times over.
#include "../../../bench/HeardRecorder.h"
#include "FakePrompts.h"
#include "engine/CombinedVoice.h"
#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "engine/speechd/SpeechDispatcherVoice.h"
#include "speech/ui/TTSSetup.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace orasent;
using orasent::bench::nowMs;
using orasent::bench::Recorder;
using orasent::bench::waitFor;

namespace {
constexpr int kEnoughMs = 20000; // an upper bound for a stuck server, not a speed figure

QStringList items(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QStringList descriptions(const SpObjectTokens& tokens) {
    QStringList texts;
    for (const SpObjectToken& t : tokens)
        texts << t.GetDescription();
    return texts;
}

// The private server's process, as its pid file names it; 0 when there is none.
pid_t serverPid() {
    QFile file(qEnvironmentVariable("ORASENT_SPEECHD_PIDFILE"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return pid_t(file.readAll().trimmed().toLong());
}

struct Window {
    QTemporaryDir folder;
    QString previous = QDir::currentPath();
    test::FakePrompts prompts;
    TTSSetup w{[] { return createDesktopVoice(); }, prompts};
    Window() {
        QDir::setCurrent(folder.path());
        w.loadWindow();
        w.Timer1()->stop();
    }
    ~Window() { QDir::setCurrent(previous); }
    QComboBox* box(const char* name) const { return w.findChild<QComboBox*>(name); }
};
} // namespace

class TestSpeechdWindow : public QObject {
    Q_OBJECT
private slots:
    void noServerSameListsAsBefore();
    void serverVoicesSpeakThroughTheWindow();
    void serverKilledMidSentenceComesBack();
    void socketPathsThatServeNothing();
};

void TestSpeechdWindow::noServerSameListsAsBefore() {
    const QByteArray saved = qgetenv("SPEECHD_ADDRESS");
    QTemporaryDir nowhere;
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + nowhere.filePath("none.sock").toUtf8());
    QElapsedTimer clock;
    clock.start();
    {
        SpeechDispatcherVoice absent;
        QVERIFY(!absent.isConnected());
        QVERIFY(absent.GetVoices().isEmpty());
    }
    const qint64 waited = clock.elapsed();
    qInfo("no server: the connection was given up after %lld ms", waited);
    QVERIFY2(waited <= 300, qPrintable(QString::number(waited)));

    EspeakVoice espeak;
    {
        Window win;
        QCOMPARE(items(win.box("VoiceCB")),
                 descriptions(espeak.GetVoices()) + descriptions(localVoiceTokens()));
        QCOMPARE(win.box("AudioOutputCB")->count(),
                 qMax<qsizetype>(1, espeak.GetAudioOutputs().size()));
        QCOMPARE(win.box("FormatCB")->count(), 36);
        QVERIFY(win.box("FormatCB")->toolTip().isEmpty());
    }
    if (saved.isNull())
        qunsetenv("SPEECHD_ADDRESS");
    else
        qputenv("SPEECHD_ADDRESS", saved);
}

void TestSpeechdWindow::serverVoicesSpeakThroughTheWindow() {
    if (qEnvironmentVariableIsEmpty("SPEECHD_ADDRESS"))
        QSKIP("no private speech-dispatcher (run under scripts/with-speech-dispatcher.sh)");
    const QStringList espeak = descriptions(EspeakVoice().GetVoices());
    Window win;
    QComboBox* voices = win.box("VoiceCB");
    // The server may answer after the load; its voices come then, before Flite's and Festival's.
    const QStringList flite = descriptions(localVoiceTokens());
    if (!waitFor([&] { return voices->count() > espeak.size() + flite.size(); }, kEnoughMs))
        QSKIP("the speech-dispatcher server does not answer");
    const QStringList listed = items(voices);
    QCOMPARE(listed.mid(0, espeak.size()), espeak);
    QCOMPARE(listed.mid(listed.size() - flite.size()), flite);
    for (const QString& text :
         listed.mid(espeak.size(), listed.size() - espeak.size() - flite.size()))
        QVERIFY2(text.endsWith(QLatin1String(" (espeak-ng)")) ||
                     text.endsWith(QLatin1String(" (espeak-ng-generic)")),
                 qPrintable(text));
    const int english = listed.indexOf(QStringLiteral("English (America) (espeak-ng)"));
    QVERIFY(english >= espeak.size());
    voices->setCurrentIndex(english);
    emit voices->activated(english);
    QVERIFY(!win.box("FormatCB")->toolTip().isEmpty());

    Recorder recorder;
    QVERIFY(recorder.start(qEnvironmentVariable("ORASENT_SPEECHD_MONITOR").toStdString()));
    QStringList words;
    int lastPos = -1;
    bool inOrder = true;
    const QString sentence = QString::fromLatin1(TTSSetup::kTestSentence);
    QObject::connect(win.w.Voice(), &SpVoice::Word, &win.w,
                     [&](int, const QVariant&, int p, int l) {
                         inOrder = inOrder && p > lastPos && p + l <= sentence.size();
                         lastPos = p;
                         words << sentence.mid(p, l);
                     });
    const qint64 before = recorder.count();
    win.w.findChild<QPushButton*>("BtnTest")->click();
    QVERIFY(!win.w.SpeakBtn()->isEnabled());
    QVERIFY(waitFor([&] { return win.w.SpeakBtn()->isEnabled(); }, kEnoughMs));
    QVERIFY(waitFor([&] { return recorder.firstLoud(before) >= 0; }, 2000));
    QVERIFY(inOrder);
    QCOMPARE(words.join(u' '), QStringLiteral("This is a test of the Speech Recognition System"));
    QVERIFY(!win.w.findChild<QPushButton*>("StopBtn")->isEnabled());

    // A long text, then Stop: the time to the last loud sample is reported and held to 100 ms.
    const qint64 start = recorder.count();
    win.w.handedOverBox()->setText(
        QStringLiteral("a long text that goes on and on. ").repeated(20));
    win.w.onSpeakingTick();
    QVERIFY(waitFor([&] { return recorder.firstLoud(start) >= 0; }, kEnoughMs));
    const double stopAt = nowMs();
    win.w.StopVoice();
    QVERIFY(waitFor([&] { return win.w.SpeakBtn()->isEnabled(); }, kEnoughMs));
    waitFor([] { return false; }, 1000); // what is still heard arrives meanwhile
    qint64 lastLoud = -1;
    for (qint64 i = recorder.indexAt(stopAt); (i = recorder.firstLoud(i)) >= 0; ++i)
        lastLoud = i;
    const double heardFor = lastLoud < 0 ? 0 : recorder.timeOf(lastLoud) - stopAt;
    qInfo("speech window on speech-dispatcher: heard %.0f ms after Stop", heardFor);
    QVERIFY2(heardFor <= 100, qPrintable(QString::number(heardFor)));
}

void TestSpeechdWindow::serverKilledMidSentenceComesBack() {
    if (qEnvironmentVariableIsEmpty("SPEECHD_ADDRESS") || serverPid() <= 0)
        QSKIP("no private speech-dispatcher (run under scripts/with-speech-dispatcher.sh)");
    Window win;
    QComboBox* voices = win.box("VoiceCB");
    const int english = [&] {
        waitFor([&] { return voices->findText("English (America) (espeak-ng)") >= 0; }, kEnoughMs);
        return voices->findText("English (America) (espeak-ng)");
    }();
    if (english < 0)
        QSKIP("the speech-dispatcher server does not answer");
    voices->setCurrentIndex(english);
    emit voices->activated(english);
    auto* combined = qobject_cast<CombinedVoice*>(win.w.Voice());
    auto* desktop = qobject_cast<SpeechDispatcherVoice*>(combined->secondEngine());
    QVERIFY(desktop);
    Recorder recorder;
    QVERIFY(recorder.start(qEnvironmentVariable("ORASENT_SPEECHD_MONITOR").toStdString()));
    QPlainTextEdit* mainText = win.w.findChild<QPlainTextEdit*>("MainTxtBox");
    QList<double> idleAfter;
    for (int round = 1; round <= 20; ++round) {
        const qint64 before = recorder.count();
        win.w.handedOverBox()->setText(
            QStringLiteral("round %1, a long text that goes on and on. ").arg(round).repeated(10));
        win.w.onSpeakingTick();
        QVERIFY2(waitFor([&] { return recorder.firstLoud(before) >= 0; }, kEnoughMs),
                 qPrintable(QString::number(round)));
        bool idle = false;
        const QMetaObject::Connection watch =
            connect(&win.w.speakingCore(), &SpeakingCore::speakingStateApplied, this,
                    [&](bool speaking) { idle = idle || !speaking; });
        const double killedAt = nowMs();
        QCOMPARE(::kill(serverPid(), SIGKILL), 0);
        QVERIFY(waitFor([&] { return idle; }, kEnoughMs));
        idleAfter << nowMs() - killedAt;
        disconnect(watch);
        // The notice, said by espeak-ng, and the chosen voice kept.
        QVERIFY(waitFor(
            [&] { return mainText->toPlainText().startsWith(CombinedVoice::kStoppedNotice); },
            kEnoughMs));
        QCOMPARE(voices->currentIndex(), english);
        QVERIFY(waitFor([&] { return desktop->isConnected(); }, kEnoughMs));
        QVERIFY(waitFor([&] { return win.w.SpeakBtn()->isEnabled(); }, kEnoughMs));
    }
    // The next sentence is heard from the returned server, in the chosen voice.
    const qint64 before = recorder.count();
    win.w.handedOverBox()->setText(QStringLiteral("The next sentence."));
    win.w.onSpeakingTick();
    QVERIFY(waitFor([&] { return recorder.firstLoud(before) >= 0; }, kEnoughMs));
    QVERIFY(waitFor([&] { return win.w.SpeakBtn()->isEnabled(); }, kEnoughMs));
    QCOMPARE(combined->Voice().GetDescription(), QStringLiteral("English (America) (espeak-ng)"));
    std::sort(idleAfter.begin(), idleAfter.end());
    qInfo("server killed 20 times: idle after %.0f ms (median), %.0f ms (most)",
          idleAfter.at(idleAfter.size() / 2), idleAfter.constLast());

    // A server that stops answering: the text is given up and the window goes idle; once it
    // answers again the connection is made anew.
    const pid_t server = serverPid();
    QCOMPARE(::kill(server, SIGSTOP), 0);
    const double stoppedAt = nowMs();
    win.w.handedOverBox()->setText(QStringLiteral("Nobody answers this."));
    win.w.onSpeakingTick();
    QVERIFY(!win.w.SpeakBtn()->isEnabled());
    const bool gaveUp = waitFor([&] { return !desktop->isConnected(); }, kEnoughMs);
    const double gaveUpAfter = nowMs() - stoppedAt;
    QCOMPARE(::kill(server, SIGCONT), 0);
    QVERIFY(gaveUp);
    qInfo("server stopped: the text was given up after %.0f ms", gaveUpAfter);
    QVERIFY(waitFor([&] { return desktop->isConnected(); }, kEnoughMs));
    QVERIFY(waitFor([&] { return win.w.SpeakBtn()->isEnabled(); }, kEnoughMs));
    const qint64 later = recorder.count();
    win.w.handedOverBox()->setText(QStringLiteral("Answered again."));
    win.w.onSpeakingTick();
    QVERIFY(waitFor([&] { return recorder.firstLoud(later) >= 0; }, kEnoughMs));
}

// A file that is not a socket is neither connected to nor replaced by a spawned server; a
// socket whose server never answers leaves the voice without a connection, and the load goes on.
void TestSpeechdWindow::socketPathsThatServeNothing() {
    const QByteArray saved = qgetenv("SPEECHD_ADDRESS");
    QTemporaryDir folder;
    const QString file = folder.filePath("not-a-socket");
    {
        QFile plain(file);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("keep me");
    }
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + file.toUtf8());
    QVERIFY(!SpeechdLink::mayAutospawn());
    {
        SpeechDispatcherVoice voice;
        QVERIFY(!voice.isConnected());
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.Speak(QStringLiteral("x"), SVSFlagsAsync));
    }
    QFile kept(file);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep me"));

    // Listening, so connecting succeeds, but never a word back.
    const QByteArray silentPath = folder.filePath("silent.sock").toUtf8();
    const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, silentPath.constData(), sizeof(address.sun_path));
    QCOMPARE(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    QCOMPARE(::listen(silent, 4), 0);
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + silentPath);
    {
        SpeechDispatcherVoice voice;
        QVERIFY(!voice.isConnected());
        QVERIFY(voice.GetVoices().isEmpty());
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.Speak(QStringLiteral("x"), SVSFlagsAsync));
    }
    ::close(silent); // the waiting connection ends with it
    if (saved.isNull())
        qunsetenv("SPEECHD_ADDRESS");
    else
        qputenv("SPEECHD_ADDRESS", saved);
}

QTEST_MAIN(TestSpeechdWindow)
#include "test_speechd_window.moc"
