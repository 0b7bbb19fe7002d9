#include "FileBytes.h"
#include "speech/WordListFile.h"

#include "TmpfsMount.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using orasent::test::readAll;
using orasent::test::writeBytes;

using namespace orasent;

class TestWordListFile : public QObject {
    Q_OBJECT
private slots:
    void loadsList_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("middle and trailing empty lines")
            << QByteArray("rd=road\r\n\r\nst=street\r\n\r\n\r\n") << "rd=road||st=street";
        QTest::newRow("only empty lines") << QByteArray("\r\n\r\n\r\n") << "";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("bar inside a line") << QByteArray("a=b|c=d\r\n") << "a=b|c=d";
        QTest::newRow("last line without break") << QByteArray("a=b\r\nc=d") << "a=b|c=d";
        QTest::newRow("lone CR ends a line") << QByteArray("a=b\rc=d\r") << "a=b|c=d";
        QTest::newRow("lone LF stays in the line") << QByteArray("a=b\nc=d\r\n") << "a=b\nc=d";
        QTest::newRow("case kept") << QByteArray("Rd = Road\r\n") << "Rd = Road";
        QTest::newRow("Windows-1252 bytes") << QByteArray("caf\xe9=kafay\r\n\x93q\x94=quote\r\n")
                                            << QString::fromUtf8("café=kafay|“q”=quote");
        QTest::newRow("UTF-8 bytes")
            << QByteArray("caf\xc3\xa9=kafay\r\n") << QString::fromUtf8("café=kafay");
        // At most 9,999 trailing separators are removed.
        QTest::newRow("10,000 trailing empty lines")
            << "a=b\r\n" + QByteArray("\r\n").repeated(10000) << "a=b||";
    }
    void loadsList() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("Speech.lst");
        writeBytes(path, bytes);
        QCOMPARE(loadReplacementList(path), expected);
    }

    void missingOrUnreadableFileGivesEmptyList() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Speech.lst");
        QCOMPARE(loadReplacementList(path), QString());
        QVERIFY(QDir(dir.path()).mkdir("Speech.lst"));
        QCOMPARE(loadReplacementList(path), QString());
    }

    void listToEditText_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty list") << ""
                                    << "\r\n";
        QTest::newRow("two entries") << "RD=ROAD|ST=STREET"
                                     << "RD=ROAD\r\nST=STREET\r\n";
        QTest::newRow("empty entry") << "A=B||C=D"
                                     << "A=B\r\n\r\nC=D\r\n";
    }
    void listToEditText() {
        QFETCH(QString, list);
        QFETCH(QString, expected);
        QCOMPARE(orasent::listToEditText(list), expected);
    }

    void editTextToList_data() {
        QTest::addColumn<QString>("editText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty list reopened") << "\r\n"
                                             << "";
        QTest::newRow("upper-cased") << "rd=Road\r\n"
                                     << "RD=ROAD";
        QTest::newRow("blank line kept in the middle") << "A=B\r\n\r\nC=D\r\n"
                                                       << "A=B||C=D";
        QTest::newRow("bar typed inside a line") << "a=b|c=d\r\n"
                                                 << "A=B|C=D";
        QTest::newRow("lone LF separates") << "a=b\nc=d"
                                           << "A=B|C=D";
        QTest::newRow("lone CR dropped") << "a=b\rc=d"
                                         << "A=BC=D";
        QTest::newRow("at most 9,999 trailing bars removed")
            << "a=b" + QString("\r\n").repeated(10001) << "A=B||";
        QTest::newRow("sharp s keeps its length")
            << QString::fromUtf8("straße=x") << QString::fromUtf8("STRAßE=X");
        QTest::newRow("accented") << QString::fromUtf8("café=x") << QString::fromUtf8("CAFÉ=X");
        QTest::newRow("outside the basic plane")
            << QString::fromUcs4(U"\U00010428=x") << QString::fromUcs4(U"\U00010400=X");
    }
    void editTextToList() {
        QFETCH(QString, editText);
        QFETCH(QString, expected);
        QCOMPARE(orasent::editTextToList(editText), expected);
    }

    void editTextToListLetsEventsRunAtEachCr() {
        int calls = 0;
        orasent::editTextToList("a\r\nb\rc\r\n\n", [&calls] { ++calls; });
        QCOMPARE(calls, 3);
    }

    // The file gets the text as typed, the list in memory is upper case, and a restart reads the
    // file's case.
    void save_data() {
        QTest::addColumn<QString>("editText");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reloaded");
        QTest::newRow("empty list opened and saved") << "\r\n" << QByteArray("\r\n\r\n") << "";
        QTest::newRow("rd=Road") << "rd=Road" << QByteArray("rd=Road\r\n") << "rd=Road";
        QTest::newRow("fits Windows-1252")
            << QString::fromUtf8("café=kafay\r\n") << QByteArray("caf\xe9=kafay\r\n\r\n")
            << QString::fromUtf8("café=kafay");
        QTest::newRow("needs UTF-8")
            << QString::fromUtf8("Ωmega=omega") << QByteArray("\xce\xa9mega=omega\r\n")
            << QString::fromUtf8("Ωmega=omega");
    }
    void save() {
        QFETCH(QString, editText);
        QFETCH(QByteArray, file);
        QFETCH(QString, reloaded);
        QTemporaryDir dir;
        const QString path = dir.filePath("Speech.lst");
        writeBytes(path, "a=b\r\nc=d\r\ne=f\r\n");
        QString error;
        QVERIFY2(saveWordListFile(path, editText, &error), qPrintable(error));
        QCOMPARE(readAll(path), file);
        QCOMPARE(loadReplacementList(path), reloaded);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Speech.lst"});
    }

    void failedSaveKeepsOldFile_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full disk") << false;
        QTest::newRow("read-only mount") << true;
    }
    void failedSaveKeepsOldFile() {
        QFETCH(bool, readOnly);
        test::TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        const QString path = disk.filePath("Speech.lst");
        QVERIFY(saveWordListFile(path, "rd=road", nullptr));
        if (readOnly)
            QVERIFY(disk.remountReadOnly());
        else
            disk.fill();
        QString error;
        QVERIFY(!saveWordListFile(path, QString(100000, u'x'), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), QByteArray("rd=road\r\n"));
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                 readOnly ? QStringList({"Speech.lst"}) : QStringList({".filler", "Speech.lst"}));
    }

    void sorts_data() {
        QTest::addColumn<QString>("editText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("case ignored, equal keep order") << "b=x\r\nA=y\r\na=y\r\n"
                                                        << "A=y\r\na=y\r\nb=x\r\n";
        QTest::newRow("upper-case forms decide") << "a=1\r\nA=0\r\n"
                                                 << "A=0\r\na=1\r\n";
        QTest::newRow("equal forms keep order") << "ab=1\r\nAB=1\r\naB=1\r\n"
                                                << "ab=1\r\nAB=1\r\naB=1\r\n";
        QTest::newRow("blank lines dropped") << "\r\nb\r\n\r\na\r\n\r\n"
                                             << "a\r\nb\r\n";
        QTest::newRow("last line without break") << "b\r\na"
                                                 << "a\r\nb\r\n";
        QTest::newRow("prefix is smaller") << "ab\r\na\r\n"
                                           << "a\r\nab\r\n";
        QTest::newRow("ordinal, not locale") << "a\r\nZ\r\n_\r\n"
                                             << "a\r\nZ\r\n_\r\n";
        QTest::newRow("blank counts as character") << "A=B\r\nA =B\r\n"
                                                   << "A =B\r\nA=B\r\n";
        QTest::newRow("lone CR dropped") << "b\rx\r\na\r\n"
                                         << "a\r\nbx\r\n";
        QTest::newRow("only blank lines") << "\r\n\r\n"
                                          << "";
    }
    void sorts() {
        QFETCH(QString, editText);
        QFETCH(QString, expected);
        QCOMPARE(sortEditText(editText).value_or("<refused>"), expected);
    }

    void sortLimit_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("lastHasLineBreak");
        QTest::addColumn<bool>("sorted");
        QTest::newRow("1999 lines with breaks") << 1999 << true << true;
        QTest::newRow("2000 lines with breaks") << 2000 << true << false;
        QTest::newRow("2000th line without break") << 2000 << false << true;
        QTest::newRow("2001 lines, last without break") << 2001 << false << false;
    }
    void sortLimit() {
        QFETCH(int, lines);
        QFETCH(bool, lastHasLineBreak);
        QFETCH(bool, sorted);
        QStringList numbered; // W02000=x ... W00001=x
        for (int i = lines; i >= 1; --i)
            numbered << QStringLiteral("W%1=x").arg(i, 5, 10, QLatin1Char('0'));
        const std::optional<QString> result =
            sortEditText(numbered.join("\r\n") + (lastHasLineBreak ? "\r\n" : ""));
        QCOMPARE(result.has_value(), sorted);
        if (sorted) {
            std::reverse(numbered.begin(), numbered.end());
            QCOMPARE(*result, numbered.join("\r\n") + "\r\n");
        }
    }

    void lastWordToTest_data() {
        QTest::addColumn<QString>("editText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one entry") << "RD=ROAD\r\n"
                                   << "ROAD\r\n";
        QTest::newRow("last of several, following lines included")
            << "RD=ROAD\r\nST=STREET\r\nnoequals\r\n"
            << "STREET\r\nnoequals\r\n";
        QTest::newRow("equals at the end") << "A="
                                           << "";
        QTest::newRow("no equals sign") << "hello there"
                                        << "hello there";
        QTest::newRow("no equals sign, long") << QString(300, u'x') << QString(255, u'x');
        QTest::newRow("long value") << "A=" + QString(300, u'y') << QString(255, u'y');
    }
    void lastWordToTest() {
        QFETCH(QString, editText);
        QFETCH(QString, expected);
        QCOMPARE(orasent::lastWordToTest(editText), expected);
    }
};

QTEST_GUILESS_MAIN(TestWordListFile)
#include "test_wordlistfile.moc"
