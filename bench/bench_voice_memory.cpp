// Resident memory of the reader while its default voice (the one a new user hears) reads 100
// sentences, Talk pressed for each as a user would, at the fastest rate to keep the run short.
// Needs an X display and a PulseAudio null sink:
//   xvfb-run -a scripts/with-pulseaudio.sh build/bench/bench_voice_memory
// Options: --sentences N (default 100).
#include "HeardRecorder.h"
#include "ProcessFigures.h"
#include "common/ui/UserPrompts.h"
#include "engine/CombinedVoice.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace orasent;
using namespace orasent::bench;

namespace {

constexpr long kGoalMiB = 200;

// Everyday sentences of about ten words, each one different.
QByteArray pool(int sentences) {
    static const char* const kWords[] = {"morning", "market", "bread",  "river",   "bridge",
                                         "garden",  "letter", "window", "kitchen", "station"};
    QByteArray text;
    for (int i = 0; i < sentences; ++i)
        text += QStringLiteral("On day %1 we walked past the %2 and the %3 before noon. ")
                    .arg(i + 1)
                    .arg(QLatin1String(kWords[i % 10]), QLatin1String(kWords[(i * 3 + 1) % 10]))
                    .toUtf8();
    return text;
}

double mib(long kib) {
    return kib / 1024.0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--sentences"));
    const int sentences = at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : 100;

    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("Tech Pool.txt")));
    if (!folder.isValid() || !QDir::setCurrent(folder.path()) ||
        QMediaDevices::audioOutputs().isEmpty() || !file.open(QIODevice::WriteOnly) ||
        file.write(pool(sentences + 1)) < 0) {
        std::printf("needs an X display and a PulseAudio sink\n");
        return 1;
    }
    file.close();
    {
        TTSSetup tts([] { return createDesktopVoice(); }, UserPrompts::standard());
        EnglishF reader(tts, UserPrompts::standard());
        reader.loadWindow();
        reader.show();
        if (!QTest::qWaitForWindowExposed(&reader))
            return 1;
        auto* talk = reader.findChild<QPushButton*>(QStringLiteral("Command3"));
        waitFor([&] { return tts.SpeakBtn()->isEnabled(); }, 20000);
        tts.stepRate(20);
        std::printf("voice: %s, rate %d\n", qPrintable(tts.Voice()->Voice().GetDescription()),
                    tts.Voice()->Rate());
        std::printf("resident memory while the default voice reads (goal < %ld MiB)\n", kGoalMiB);
        std::printf("  %4d sentences read  %7.1f MiB\n", 0, mib(statusKiB("VmRSS")));
        int unheard = 0;
        for (int s = 1; s <= sentences; ++s) {
            QTest::mouseClick(talk, Qt::LeftButton);
            unheard += !waitFor([&] { return !tts.SpeakBtn()->isEnabled(); }, 2000);
            waitFor([&] { return tts.SpeakBtn()->isEnabled(); }, 30000);
            if (s == 1 || s % 25 == 0)
                std::printf("  %4d sentences read  %7.1f MiB\n", s, mib(statusKiB("VmRSS")));
        }
        const long peak = statusKiB("VmHWM");
        std::printf("  peak %7.1f MiB, ratio to the goal %.2f (goal < 1.0); %d presses unheard\n",
                    mib(peak), mib(peak) / kGoalMiB, unheard);
        reader.hide();
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
