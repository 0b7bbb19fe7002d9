// Building the book text from a file: line ends, joining, answer lines, encodings, big files.
#include "documents/BookTextLoader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace orasent;

constexpr qsizetype kChunk = qsizetype(4) << 20; // bytes the loader reads per step

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

    QString load(const QByteArray& bytes) {
        QString text = "old text";
        return loadBookText(writeFile("book.txt", bytes), &text) ? text : "<failed>";
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
        QTest::newRow("lines joined with a blank: a line ending in a period ends a sentence")
            << QByteArray("The cat sat.\r\nThe dog ran. \r\n")
            << QStringLiteral("The cat sat. The dog ran. ");
        QTest::newRow("hard-wrapped lines")
            << QByteArray("This is a line that wraps\r\nonto the next line. And a second\r\n"
                          "sentence ends here.\r\n")
            << QStringLiteral("This is a line that wraps onto the next line. And a second "
                              "sentence ends here. ");
        QTest::newRow("empty lines end a paragraph, which closes its sentence")
            << QByteArray("CHAPTER I\r\n\r\n\r\nIt was\r\nnight\r\n \t\r\nEnd.")
            << QStringLiteral("CHAPTER I. \r\nIt was night. \r\nEnd. ");
        QTest::newRow("answer line on a line of its own")
            << QByteArray("Q: Why? \r\nQ: Why? The answer is yes. \r\n")
            << QStringLiteral("Q: Why? \r\nQ: Why? The answer is yes. ");
        QTest::newRow("answer line after a line without a trailing blank")
            << QByteArray("Q: Why?\r\nThe answer is yes.\r\nNext?")
            << QStringLiteral("Q: Why?\r\nThe answer is yes. Next?. ");
        QTest::newRow("small letters join like any line")
            << QByteArray("Q? \r\nthe answer is yes. \r\n")
            << QStringLiteral("Q? the answer is yes. ");
        QTest::newRow("first line with the answer")
            << QByteArray("The answer is 4. \r\nNext. ")
            << QStringLiteral("\r\nThe answer is 4. Next. ");
        QTest::newRow("answer on the last line without line end")
            << QByteArray("Q? \r\nSo The answer is") << QStringLiteral("Q? \r\nSo The answer is. ");
        QTest::newRow("LF line ends")
            << QByteArray("one\ntwo\nthree\n") << QStringLiteral("one two three. ");
        QTest::newRow("mixed line ends")
            << QByteArray("a\r\nb\rc\nd\r\r\ne") << QStringLiteral("a b c d. \r\ne. ");
        QTest::newRow("blanks and tabs kept inside")
            << QByteArray("  a\t\r\n\tb  ") << QStringLiteral("  a\t\tb. ");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("only line ends and blanks") << QByteArray("\r\n \r\t\r\n") << QString();
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9. \r\n\xe2\x82\xac 5. ")
                               << QString::fromUtf8("café. € 5. ");
        QTest::newRow("UTF-8 with BOM")
            << QByteArray("\xef\xbb\xbfHello. ") << QStringLiteral("Hello. ");
        QTest::newRow("UTF-16 LE") << QByteArray("\xff\xfeH\0i\0.\0\r\0\n\0\xac\x20\0", 15)
                                   << QString::fromUtf8("Hi. €. ");
        QTest::newRow("UTF-16 BE") << QByteArray("\xfe\xff\0H\0i\0!", 8) << QStringLiteral("Hi!. ");
        QTest::newRow("UTF-32 LE") << QByteArray("\xff\xfe\0\0"
                                                 "A\0\0\0"
                                                 "\x00\xf6\x01\0",
                                                 12)
                                   << QString::fromUtf8("A😀. ");
        QTest::newRow("UTF-32 BE") << QByteArray("\0\0\xfe\xff\0\0\0A", 8) << QStringLiteral("A. ");
        QTest::newRow("BOM and nothing else") << QByteArray("\xff\xfe") << QString();
        QTest::newRow("Windows-1252")
            << QByteArray("caf\xe9 \x80 5. \x93q\x94. ") << QString::fromUtf8("café € 5. “q”. ");
        QTest::newRow("ends inside a UTF-8 sequence")
            << QByteArray("abc\xc3") << QString::fromUtf8("abcÃ. ");
        QTest::newRow("NUL bytes")
            << QByteArray("a\0b. \r\nc", 8) << QStringView(u"a\0b. c. ", 8).toString();
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
        const QString big = writeFile("big.txt", filler(100000));
        QVERIFY(loadBookText(big, &text) && loadBookText(big, &text));
        QCOMPARE(text, QString::fromLatin1(filler(100000)) + ". ");
        QVERIFY(loadBookText(writeFile("small.txt", "Tiny. "), &text));
        QCOMPARE(text, "Tiny. ");
    }

    void unreadableFails_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "gone.txt";
        QTest::newRow("folder") << "folder";
        QTest::newRow("fifo, without blocking") << "pipe.txt";
    }
    void unreadableFails() {
        QFETCH(QString, name);
        const QString path = m_dir.filePath(name);
        QVERIFY(QDir(m_dir.path()).mkpath("folder"));
        if (name == "pipe.txt")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QString text = "old", error;
        QVERIFY(!loadBookText(path, &text, &error));
        QVERIFY(text.isEmpty());
        QVERIFY(!error.isEmpty());
    }

    // The interesting bytes sit where one read step ends and the next begins, or far in.
    void largeFiles_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<qsizetype>("fill");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("textHead");
        QTest::addColumn<QString>("textTail");
        // The filler's last line gets a blank after it unless it already ends in one.
        const QString joint = filler(kChunk - 1).endsWith(' ') ? "" : " ";
        QTest::newRow("CR LF split")
            << QByteArray() << kChunk - 1 << QByteArray("\r\nNext. ") << "" << joint + "Next. ";
        QTest::newRow("lone CR at the step end")
            << QByteArray() << kChunk - 1 << QByteArray("\rX\nY") << "" << joint + "X Y. ";
        QTest::newRow("UTF-8 sequence split")
            << QByteArray() << kChunk - 1 << QByteArray("\xc3\xa9. \xe2\x82\xac") << ""
            << QString::fromUtf8("é. €. ");
        QTest::newRow("invalid byte in a later step: all Windows-1252")
            << QByteArray("caf\xc3\xa9. ") << kChunk << QByteArray("\xe9t\xe9. ")
            << QString::fromUtf8("cafÃ©. ") << QString::fromUtf8("été. ");
        QTest::newRow("answer marker split")
            << QByteArray("Q? \r\n") << kChunk - 15 << QByteArray("The answer is yes. \r\nEnd. ")
            << "Q? \r\n"
            << "The answer is yes. End. ";
        QTest::newRow("single line of 50 MB") << QByteArray() << (qsizetype(50) << 20)
                                              << QByteArray("The answer is at the end. ") << "\r\n"
                                              << "The answer is at the end. ";
    }
    void largeFiles() {
        QFETCH(QByteArray, head);
        QFETCH(qsizetype, fill);
        QFETCH(QByteArray, tail);
        QFETCH(QString, textHead);
        QFETCH(QString, textTail);
        const QByteArray middle = filler(fill);
        const QString text = load(head + middle + tail);
        QCOMPARE(text.size(), textHead.size() + middle.size() + textTail.size());
        QVERIFY(text == textHead + QString::fromLatin1(middle) + textTail);
    }
};

QTEST_GUILESS_MAIN(BookTextTest)
#include "test_booktext.moc"
