// A child process saves the three files in a loop and is killed with SIGKILL at random moments.
// Every file left behind must read back and equal either the old or the new content.
#include "FileBytes.h"
#include "SilentReaderPort.h"
#include "common/TextLines.h"
#include "reader/ReaderModel.h"
#include "reader/StateFile.h"
#include "speech/SpeechSettingsFile.h"
#include "speech/WordListFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using orasent::test::readAll;

using namespace orasent;

namespace {

struct Version {
    QByteArray state, settings, wordList;
};

// Two different contents for each file; `which` picks one.
void fillModel(ReaderModel& model, int which) {
    model.setFileName(which ? QStringLiteral("Tech Pool.txt")
                            : QStringLiteral("My book, part 2.txt"));
    model.setLastPos(which ? 41.04 : 1234567);
    for (int i = 1; i <= 100; ++i)
        model.setBookMarkAt(size_t(i), which ? i * 3.5 : 0);
    model.setBookNum(which ? 25 : 3);
    model.setSeconds(which ? 7 : 2);
}
SpeechSettings settingsFor(int which) {
    SpeechSettings s;
    s.voiceIndex = which ? 3 : 0;
    s.rate = which ? -10 : 4;
    s.left = which ? 1920 : 15.5;
    return s;
}
QString wordListFor(int which) {
    return which ? QStringLiteral("RD=ROAD\r\nST=STREET") : QStringLiteral("dr=doctor");
}

[[noreturn]] void saveForever(const QString& folder) {
    orasent::test::SilentReaderPort port;
    ReaderModel model(port);
    for (int i = 0;; i ^= 1) {
        fillModel(model, i);
        writeStateFile(folder + "/Orasent.txt", model, i ? 28 : 18, nullptr);
        writeSpeechSettings(folder + "/VIC.INI", settingsFor(i), nullptr);
        saveWordListFile(folder + "/Speech.lst", wordListFor(i), nullptr);
    }
}
} // namespace

class TestKilledSaves : public QObject {
    Q_OBJECT
private slots:
    void everyKillLeavesOldOrNewContent() {
        QTemporaryDir dir;
        const QString folder = dir.path();
        orasent::test::SilentReaderPort port;
        ReaderModel model(port);
        Version versions[2];
        for (int i = 0; i < 2; ++i) {
            fillModel(model, i);
            versions[i].state = formatStateFile(model, i ? 28 : 18);
            versions[i].settings = formatSpeechSettings(settingsFor(i));
            QVERIFY(saveWordListFile(folder + "/Speech.lst", wordListFor(i), nullptr));
            versions[i].wordList = readAll(folder + "/Speech.lst");
        }
        // Start from a complete first version of every file.
        fillModel(model, 0);
        QVERIFY(writeStateFile(folder + "/Orasent.txt", model, 18, nullptr));
        QVERIFY(writeSpeechSettings(folder + "/VIC.INI", settingsFor(0), nullptr));
        QVERIFY(saveWordListFile(folder + "/Speech.lst", wordListFor(0), nullptr));

        QRandomGenerator random(20261206);
        const int trials = 250;
        for (int trial = 0; trial < trials; ++trial) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0)
                saveForever(folder);
            ::usleep(random.bounded(200, 6000));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);

            const QByteArray state = readAll(folder + "/Orasent.txt");
            const QByteArray settings = readAll(folder + "/VIC.INI");
            const QByteArray wordList = readAll(folder + "/Speech.lst");
            QVERIFY2(state == versions[0].state || state == versions[1].state,
                     qPrintable(QString::number(trial)));
            QVERIFY(settings == versions[0].settings || settings == versions[1].settings);
            QVERIFY(wordList == versions[0].wordList || wordList == versions[1].wordList);
            // What is left also reads back through the program's own readers.
            QVERIFY(readStateFile(folder + "/Orasent.txt").fileName.has_value());
            QCOMPARE(readSpeechSettingsFile(folder + "/VIC.INI").size(), 9);
            QVERIFY(!loadReplacementList(folder + "/Speech.lst").isEmpty());
        }
        qInfo("%d kills, every file intact", trials);
    }
};

QTEST_GUILESS_MAIN(TestKilledSaves)
#include "test_killed_saves.moc"
