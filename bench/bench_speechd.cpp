// Talk to the first heard sample through a speech-dispatcher voice, against spd-say speaking the
// same sentences with the same voice as a new client of the same server, both recorded from the
// server's own null sink. Goal: ratio at most 1.0 (the resident connection is not slower).
//   scripts/with-pulseaudio.sh scripts/with-speech-dispatcher.sh build/bench/bench_speechd
// Options: --presses N (default 15), --voice NAME (default "English (America)").
#include "HeardRecorder.h"
#include "common/ui/UserPrompts.h"
#include "engine/CombinedVoice.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace orasent;
using namespace orasent::bench;

namespace {

bool waitForQuiet(Recorder& rec, int quietMs) {
    return waitFor([&] { return rec.firstLoud(rec.count() - quietMs * kRate / 1000) < 0; }, 20000);
}

// Milliseconds from `fromMs` to the first loud sample after it, or -1.
double heardAfter(Recorder& rec, double fromMs) {
    const qint64 from = rec.indexAt(fromMs);
    if (!waitFor([&] { return rec.firstLoud(from) >= 0; }, 5000))
        return -1;
    return rec.timeOf(rec.firstLoud(from)) - fromMs;
}

bool prepareFolder(QTemporaryDir& folder) {
    const QString pool =
        QStringLiteral(ORASENT_SOURCE_DATA_DIR) + QStringLiteral("/data/pools/Tech Pool.txt");
    return folder.isValid() &&
           QFile::copy(pool, folder.filePath(QStringLiteral("Tech Pool.txt"))) &&
           QDir::setCurrent(folder.path());
}

bool chooseVoice(TTSSetup& tts, const QString& name) {
    auto* voices = tts.findChild<QComboBox*>(QStringLiteral("VoiceCB"));
    const QString wanted = name + QStringLiteral(" (espeak-ng)");
    if (!waitFor([&] { return voices->findText(wanted) >= 0; }, 20000))
        return false;
    const int index = voices->findText(wanted);
    voices->setCurrentIndex(index);
    emit voices->activated(index);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const char* name, const QString& fallback) {
        const int at = args.indexOf(QString::fromLatin1(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };
    const int presses = option("--presses", QStringLiteral("15")).toInt();
    const QString voiceName = option("--voice", QStringLiteral("English (America)"));
    Recorder rec;
    QTemporaryDir folder;
    if (qEnvironmentVariableIsEmpty("SPEECHD_ADDRESS") ||
        !rec.start(qEnvironmentVariable("ORASENT_SPEECHD_MONITOR").toStdString()) ||
        !prepareFolder(folder)) {
        std::printf(
            "needs scripts/with-speech-dispatcher.sh under a PulseAudio server, and parec\n");
        return 1;
    }

    std::vector<double> talk, client;
    QStringList sentences;
    int lostTalk = 0, lostClient = 0;
    {
        TTSSetup tts([] { return createDesktopVoice(); }, UserPrompts::standard());
        EnglishF reader(tts, UserPrompts::standard());
        reader.loadWindow();
        auto* talkButton = reader.findChild<QPushButton*>(QStringLiteral("Command3"));
        auto* stopButton = reader.findChild<QPushButton*>(QStringLiteral("Command4"));
        if (!talkButton || !stopButton || !chooseVoice(tts, voiceName)) {
            std::printf("no speech-dispatcher voice \"%s\"\n", qPrintable(voiceName));
            return 1;
        }
        reader.model().setNextPos(1);
        for (int i = 0; i <= presses; ++i) { // the first press warms the server up
            waitFor(
                [&] {
                    return tts.SpeakBtn()->isEnabled() && tts.handedOverBox()->text().isEmpty();
                },
                20000);
            waitForQuiet(rec, 300);
            const double pressed = nowMs();
            QTest::mousePress(talkButton, Qt::LeftButton);
            QTest::mouseRelease(talkButton, Qt::LeftButton);
            const double heard = heardAfter(rec, pressed);
            sentences << reader.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
                             ->toPlainText()
                             .toUpper()
                             .simplified();
            if (heard < 0)
                ++lostTalk;
            else if (i > 0)
                talk.push_back(heard);
            QTest::qWait(300);
            QTest::mousePress(stopButton, Qt::LeftButton);
            QTest::mouseRelease(stopButton, Qt::LeftButton);
        }
        waitFor([&] { return tts.SpeakBtn()->isEnabled(); }, 20000);
    }
    for (int i = 0; i <= presses; ++i) {
        waitForQuiet(rec, 300);
        QProcess spdSay;
        const double started = nowMs();
        spdSay.start(QStringLiteral("spd-say"),
                     {QStringLiteral("-o"), QStringLiteral("espeak-ng"), QStringLiteral("-y"),
                      voiceName, QStringLiteral("-i"), QStringLiteral("100"),
                      sentences.value(i % qMax<qsizetype>(1, sentences.size()))});
        const double heard = heardAfter(rec, started);
        if (heard < 0)
            ++lostClient;
        else if (i > 0)
            client.push_back(heard);
        QTest::qWait(300);
        QProcess::execute(QStringLiteral("spd-say"), {QStringLiteral("-C")});
        spdSay.waitForFinished(5000);
    }

    const double a = median(talk), b = median(client);
    std::printf(
        "speech-dispatcher heard latency, first sample on its sink (without audio: %d, %d)\n",
        lostTalk, lostClient);
    std::printf("  1 Talk through \"%s (espeak-ng)\"  median %6.1f ms  (%zu presses)\n",
                qPrintable(voiceName), a, talk.size());
    std::printf("  2 spd-say, a new client          median %6.1f ms  (%zu runs)\n", b,
                client.size());
    std::printf("  ratio 1 / 2                             %6.2f     (goal <= 1.0)\n", a / b);
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
