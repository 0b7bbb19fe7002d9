// Running lines of recognised pages: what repeats at a page's top or bottom on nearby pages
// (page numbers varying, recognition's slips allowed) and page numbers go; text stays.
#include "documents/RecognisedRunningLines.h"

#include <QtTest>

using namespace orasent;

class TestRecognisedRunningLines : public QObject {
    Q_OBJECT
private slots:
    void dropsRunningLines_data() {
        QTest::addColumn<QList<QStringList>>("pages");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("expected");
        const QString slug = "14773_01_1-174 r9jm.qxd 2/10/04 3:51 PM Page %1";
        // Facing pages: the head alternates, the slug and the link are on every page.
        const QStringList bodies = {"Comics grow.", "They copy.",     "Markets flourish.",
                                    "Law differs.", "Artists learn.", "Judges rule."};
        QList<QStringList> book;
        for (int p = 0; p < 6; ++p)
            book << QStringList{slug.arg(20 + p), QString(QChar('A' + p)), bodies[p],
                                p % 2 ? QString("INTRODUCTION %1").arg(20 + p)
                                      : QString("%1 FREE CULTURE").arg(20 + p),
                                "<http://free-culture.org/get-it>"};
        book[3][0] = "14773_01_1-174_r9jm.qxd 2/10/04 3:51 PM Paqe 23"; // a slip
        book[4][4] = "<nttp: //free-culture. org/get-it>";
        QTest::newRow("first page, from the pages after it")
            << book << 0 << QStringList{"A", "Comics grow."};
        QTest::newRow("slips and alternating heads")
            << book << 3 << QStringList{"D", "Law differs."};
        QTest::newRow("last page") << book << 5 << QStringList{"F", "Judges rule."};
        QTest::newRow("page numbers alone")
            << QList<QStringList>{{"12", "Body one.", "- 3 -"}} << 0 << QStringList{"Body one."};
        // A chapter heading far from the next one, and text that merely starts alike.
        QTest::newRow("text stays") << QList<QStringList>{{"Chapter 1", "It began."},
                                                          {"The night was long.", "More."},
                                                          {"The end came soon.", "Chapter 2"},
                                                          {"It ended.", "Again."}}
                                    << 0 << QStringList{"Chapter 1", "It began."};
        QTest::newRow("a long paragraph is text")
            << QList<QStringList>{{QString(130, 'a'), "One."}, {QString(130, 'a'), "Two."}} << 0
            << QStringList{QString(130, 'a'), "One."};
    }
    void dropsRunningLines() {
        QFETCH(QList<QStringList>, pages);
        QFETCH(int, index);
        QFETCH(QStringList, expected);
        RecognisedRunningLines running;
        for (int p = 0; p < pages.size(); ++p)
            running.learn(p, pages[p]);
        running.forgetBefore(index - RecognisedRunningLines::kReach);
        QCOMPARE(running.withoutRunningLines(index, pages[index]), expected);
    }
};

QTEST_GUILESS_MAIN(TestRecognisedRunningLines)
#include "test_recognised_running_lines.moc"
