// Opening a file: a cancelled load keeps the previous reading, names the state file cannot hold
// are refused, and the file named on the command line opens or resumes.
#include "RecordingReaderPort.h"
#include "reader/ReaderModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}
} // namespace

class OpeningTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_first, m_second;

    // A model reading m_first at its third sentence with one bookmark.
    void readFirst(ReaderModel& model) {
        model.setFileName(m_first);
        model.OpenfF();
        model.setNextPos(12), model.setLastPos(7), model.setBookMarkAt(1, 7), model.setBookNum(1);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_first = writeFile(m_dir, "first.txt", "One. Two. Three. ");
        m_second = writeFile(m_dir, "second.txt", "Other. ");
        QVERIFY(!m_first.isEmpty() && !m_second.isEmpty());
    }

    void cancelledLoadKeepsReading_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Open File") << 0;
        QTest::newRow("path box") << 1;
        QTest::newRow("question pool") << 2;
    }
    void cancelledLoadKeepsReading() {
        QFETCH(int, way);
        RecordingReaderPort port;
        ReaderModel model(port);
        readFirst(model);
        port.scriptedLoad =
            DocumentLoad{DocumentLoad::Status::Cancelled, "ignored", {}, false, {}, {}, {}};
        port.clear();
        const QString pool = writeFile(m_dir, "Pool.txt", "Q. ");
        if (way == 0)
            QVERIFY(model.openChosenFile(m_second));
        else if (way == 1)
            QVERIFY(model.openTypedPath(m_second));
        else
            QVERIFY(model.openPool(pool));
        QCOMPARE(model.fileName(), m_first);
        QCOMPARE(model.bookText(), QString("One. Two. Three. "));
        QCOMPARE(model.nextPos(), 12.0);
        QCOMPARE(model.lastPos(), 7.0);
        QCOMPARE(model.bookMarks()[1], 7.0);
        QCOMPARE(model.bookNum(), 1);
        QCOMPARE(port.text2, m_first);
        QVERIFY(port.messages.isEmpty() && port.handedOver.isEmpty());
    }

    void failedDocumentSaysWhy() {
        RecordingReaderPort port;
        ReaderModel model(port);
        port.scriptedLoad = DocumentLoad{DocumentLoad::Status::Failed,
                                         {},
                                         "This PDF is locked with a password.",
                                         false,
                                         {},
                                         {},
                                         {}};
        QVERIFY(model.openChosenFile(m_second));
        QCOMPARE(port.messages, QStringList{"This PDF is locked with a password."});
        QVERIFY(model.bookText().isEmpty());
    }

    void lineBreakInNameRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("LF") << "a\nb.txt";
        QTest::newRow("CR") << "a\rb.txt";
    }
    void lineBreakInNameRefused() {
        QFETCH(QString, name);
        const QString path = writeFile(m_dir, name, "Text. ");
        QVERIFY(!path.isEmpty());
        RecordingReaderPort port;
        ReaderModel model(port);
        readFirst(model);
        QVERIFY(!model.openChosenFile(path));
        QVERIFY(!model.openTypedPath(path));
        QVERIFY(port.lastHandedOver().contains("line break"));
        QVERIFY(!model.openStartupFile(path).isEmpty());
        QCOMPARE(model.fileName(), m_first);
    }

    void startupFile_data() {
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("resumes");
        QTest::addColumn<bool>("refused");
        QTest::newRow("the saved file resumes") << m_first << true << false;
        QTest::newRow("another file starts anew") << m_second << false << false;
        QTest::newRow("missing file refused") << m_dir.filePath("gone.txt") << true << true;
        QTest::newRow("unreadable type refused")
            << writeFile(m_dir, "picture.xyz", "x") << true << true;
    }
    void startupFile() {
        QFETCH(QString, named);
        QFETCH(bool, resumes);
        QFETCH(bool, refused);
        RecordingReaderPort port;
        ReaderModel model(port);
        // The saved state may name the file relative to the working folder.
        QDir::setCurrent(m_dir.path());
        readFirst(model);
        model.setFileName("first.txt");
        QCOMPARE(model.openStartupFile(named).isEmpty(), !refused);
        QCOMPARE(model.fileName(), QString("first.txt")); // nothing changes before it is read
        QCOMPARE(model.bookMarks()[1], 7.0);
        model.OpenfF();
        QCOMPARE(model.fileName(), resumes ? QString("first.txt") : named);
        QCOMPARE(model.nextPos(), resumes ? 12.0 : 0.0);
        QCOMPARE(model.bookMarks()[1], resumes ? 7.0 : 0.0);
    }
};

QTEST_GUILESS_MAIN(OpeningTest)
#include "test_opening.moc"
