// A document load as a job: its signals come in order on the thread that made it, whether it
// reads at once or on a thread of its own, and a job that goes while it reads stops its thread.
#include "reader/DocumentLoadJob.h"

#include <QtTest>

#include <thread>

using namespace orasent;

namespace {
// Reports one page of two and one paragraph, then ends as `status`.
DocumentLoadJob::Loader scriptedLoader(DocumentLoad::Status status) {
    return [status](const QString&, const LoadProgress& progress) {
        progress.report(1, 2);
        progress.arrived({Paragraph{QStringLiteral("One."), Paragraph::Kind::Body, 0, {}, {}}});
        DocumentLoad load;
        load.status = status;
        load.bookText = QStringLiteral("One.");
        return load;
    };
}
} // namespace

class LoadJobTest : public QObject {
    Q_OBJECT
private slots:
    void signalsInOrder_data() {
        QTest::addColumn<bool>("background");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("last");
        for (const bool background : {false, true}) {
            const char* mode = background ? "background" : "at once";
            QTest::addRow("%s, loaded", mode)
                << background << int(DocumentLoad::Status::Loaded) << "finished";
            QTest::addRow("%s, failed", mode)
                << background << int(DocumentLoad::Status::Failed) << "failed";
            QTest::addRow("%s, cancelled", mode)
                << background << int(DocumentLoad::Status::Cancelled) << "finished";
        }
    }
    void signalsInOrder() {
        QFETCH(bool, background);
        QFETCH(int, status);
        QFETCH(QString, last);
        DocumentLoadJob job(7, QStringLiteral("book.txt"),
                            scriptedLoader(DocumentLoad::Status(status)));
        QStringList seen;
        bool ended = false;
        const auto end = [&](const QString& name) {
            return [&, name](int ticket, const DocumentLoad& load) {
                QCOMPARE(ticket, 7);
                QCOMPARE(int(load.status), status);
                seen << name;
                ended = true;
            };
        };
        connect(&job, &DocumentLoadJob::started, this, [&](int) { seen << "started"; });
        connect(&job, &DocumentLoadJob::progress, this, [&](int, int done, int total) {
            seen << QString("%1 of %2").arg(done).arg(total);
        });
        connect(&job, &DocumentLoadJob::partArrived, this,
                [&](int, const QVector<Paragraph>& part) { seen << part.value(0).text; });
        connect(&job, &DocumentLoadJob::finished, this, end("finished"));
        connect(&job, &DocumentLoadJob::failed, this, end("failed"));
        job.start(background ? DocumentLoadJob::Mode::Background : DocumentLoadJob::Mode::AtOnce);
        if (background)
            QCOMPARE(seen, QStringList({"started"})); // the rest comes through the event loop
        while (!ended)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(seen, QStringList({"started", "1 of 2", "One.", last}));
    }

    // Going while its loader still reads: it is told to stop, and the thread is waited for.
    void goingStopsTheThread() {
        std::atomic<bool> stopped{false};
        {
            DocumentLoadJob job(1, QStringLiteral("book.txt"),
                                [&](const QString&, const LoadProgress& progress) {
                                    while (!progress.cancelled())
                                        std::this_thread::yield();
                                    stopped = true;
                                    DocumentLoad load;
                                    load.status = DocumentLoad::Status::Cancelled;
                                    return load;
                                });
            job.start(DocumentLoadJob::Mode::Background);
        }
        QVERIFY(stopped);
    }
};

QTEST_MAIN(LoadJobTest)
#include "test_load_job.moc"
