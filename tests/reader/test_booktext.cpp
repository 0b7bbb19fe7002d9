// Building the book text from a file: line ends, joining, answer lines, encodings, big files.
#include "reader/BookTextLoader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace orasent;

namespace {
// Bytes the loader reads per step; the seam tests put their interesting bytes around it.
constexpr qsizetype kChunk = qsizetype(4) << 20;
} // namespace

class BookTextTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file");
        return path;
    }

    QString load(const QByteArray& bytes, bool* ok = nullptr) {
        QString text = QStringLiteral("old text");
        const bool loaded = loadBookText(writeFile(QStringLiteral("book.txt"), bytes), &text);
        if (ok)
            *ok = loaded;
        else
            [&] { QVERIFY(loaded); }();
        return text;
    }

    // A filler of sentences of exactly `size` ASCII bytes, without CR.
    static QByteArray filler(qsizetype size) {
        QByteArray bytes;
        bytes.reserve(size);
        while (bytes.size() < size)
            bytes += "Some words here. ";
        bytes.truncate(size);
        return bytes;
    }

private slots:
    void buildsText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lines joined, period without space ends no sentence")
            << QByteArray("The cat sat.\r\nThe dog ran. \r\n") << QStringLiteral("The cat sat.The dog ran. ");
        QTest::newRow("answer line on a line of its own")
            << QByteArray("Q: Why? \r\nQ: Why? The answer is yes. \r\n")
            << QStringLiteral("Q: Why? \r\nQ: Why? The answer is yes. ");
        QTest::newRow("small letters join like any line")
            << QByteArray("Q? \r\nthe answer is yes. \r\n") << QStringLiteral("Q? the answer is yes. ");
        QTest::newRow("first line with the answer")
            << QByteArray("The answer is 4. \r\nNext. ") << QStringLiteral("\r\nThe answer is 4. Next. ");
        QTest::newRow("answer on the last line without line end")
            << QByteArray("Q? \r\nSo The answer is") << QStringLiteral("Q? \r\nSo The answer is");
        QTest::newRow("only LF line ends stay in the text")
            << QByteArray("one\ntwo\nthree\n") << QStringLiteral("one\ntwo\nthree\n");
        QTest::newRow("mixed line ends")
            << QByteArray("a\r\nb\rc\nd\r\r\ne") << QStringLiteral("abc\nde");
        QTest::newRow("empty lines add nothing")
            << QByteArray("a \r\n\r\n\r\nb") << QStringLiteral("a b");
        QTest::newRow("blanks and tabs kept") << QByteArray("  a\t\r\n\tb  ") << QStringLiteral("  a\t\tb  ");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("only line ends") << QByteArray("\r\n\r\r\n") << QString();
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9. \r\n\xe2\x82\xac 5. ")
                               << QString::fromUtf8("café. € 5. ");
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xef\xbb\xbfHello. ") << QStringLiteral("Hello. ");
        QTest::newRow("Windows-1252") << QByteArray("caf\xe9 \x80 5. \x93q\x94. ")
                                      << QString::fromUtf8("café € 5. “q”. ");
        QTest::newRow("ends inside a UTF-8 sequence") << QByteArray("abc\xc3")
                                                      << QString::fromUtf8("abcÃ");
        QTest::newRow("NUL bytes") << QByteArray("a\0b. \r\nc", 8)
                                   << QStringView(u"a\0b. c", 6).toString();
        QTest::newRow("answer lines ending in a lone CR")
            << QByteArray("The answer is 1. \rThe answer is 2. \r")
            << QStringLiteral("\r\nThe answer is 1. \r\nThe answer is 2. ");
    }
    void buildsText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(load(bytes), expected);
    }

    void reloadingReplacesTheText() {
        // The storage of an earlier text may be reused; its characters never show through.
        QString text;
        const QString big = writeFile(QStringLiteral("big.txt"), filler(100000));
        const QString small = writeFile(QStringLiteral("small.txt"), "Tiny. ");
        QVERIFY(loadBookText(big, &text));
        QCOMPARE(text.size(), 100000);
        QVERIFY(loadBookText(big, &text));
        QCOMPARE(text.size(), 100000);
        QVERIFY(loadBookText(small, &text));
        QCOMPARE(text, QStringLiteral("Tiny. "));
        QVERIFY(loadBookText(big, &text));
        QVERIFY(!loadBookText(m_dir.filePath(QStringLiteral("gone.txt")), &text));
        QVERIFY(text.isEmpty());
    }

    void missingFileFails() {
        QString text = QStringLiteral("old");
        QString error;
        QVERIFY(!loadBookText(m_dir.filePath(QStringLiteral("gone.txt")), &text, &error));
        QVERIFY(text.isEmpty());
        QVERIFY(!error.isEmpty());
    }

    void directoryFails() {
        QString text;
        QVERIFY(!loadBookText(m_dir.path(), &text));
        QVERIFY(text.isEmpty());
    }

    void fifoFailsWithoutBlocking() {
        const QString path = m_dir.filePath(QStringLiteral("pipe.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QString text;
        QVERIFY(!loadBookText(path, &text));
    }

    // Everything below puts the interesting bytes where one read step ends and the next begins.
    void crLfSplitAcrossSteps() {
        QByteArray bytes = filler(kChunk - 1) + "\r\nNext. ";
        const QString text = load(bytes);
        QCOMPARE(text.size(), kChunk - 1 + 6);
        QVERIFY(text.endsWith(QStringLiteral("Next. ")));
        QVERIFY(!text.contains(u'\n'));
        QVERIFY(!text.contains(u'\r'));
    }

    void loneCrAtStepEndThenText() {
        QByteArray bytes = filler(kChunk - 1) + "\rX\nY";
        const QString text = load(bytes);
        QVERIFY(text.endsWith(QStringLiteral("X\nY")));
        QCOMPARE(text.size(), kChunk - 1 + 3);
    }

    void utf8SequenceSplitAcrossSteps() {
        QByteArray bytes = filler(kChunk - 1) + "\xc3\xa9. \xe2\x82\xac";
        const QString text = load(bytes);
        QVERIFY(text.endsWith(QString::fromUtf8("é. €")));
        QCOMPARE(text.size(), kChunk - 1 + 4);
    }

    void invalidByteInLaterStepMakesWholeFileWindows1252() {
        QByteArray bytes = "caf\xc3\xa9. " + filler(kChunk) + "\xe9t\xe9. ";
        const QString text = load(bytes);
        QVERIFY(text.startsWith(QString::fromUtf8("cafÃ©. ")));
        QVERIFY(text.endsWith(QString::fromUtf8("été. ")));
        QCOMPARE(text.size(), bytes.size());
    }

    void answerMarkerSplitAcrossSteps() {
        QByteArray bytes = "Q? \r\n" + filler(kChunk - 5 - 10) + "The answer is yes. \r\nEnd. ";
        const QString text = load(bytes);
        QVERIFY(text.startsWith(QStringLiteral("Q? \r\nSome words")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), 1);
        QVERIFY(text.endsWith(QStringLiteral("The answer is yes. End. ")));
    }

    void fiftyMegabyteSingleLine() {
        QByteArray bytes = filler(50 << 20);
        bytes += "The answer is at the end. ";
        const QString text = load(bytes);
        QCOMPARE(text.size(), bytes.size() + 2);
        QVERIFY(text.startsWith(QStringLiteral("\r\nSome words")));
    }
};

QTEST_GUILESS_MAIN(BookTextTest)
#include "test_booktext.moc"
