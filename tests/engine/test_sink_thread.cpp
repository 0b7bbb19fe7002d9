// The audio thread: work posted to it runs in order off the caller's thread; a thread whose work
// hangs (as Qt does starting a stream on a just-removed device) is left behind for a new one.
#include "engine/SinkThread.h"

#include <QThread>
#include <QtTest>
#include <atomic>
#include <future>

using namespace orasent;

class TestSinkThread : public QObject {
    Q_OBJECT

private slots:
    void aHangingThreadIsReplaced() {
        const std::shared_ptr<SinkThread> first = SinkThread::current();
        QCOMPARE(SinkThread::current(), first);
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::atomic<QThread*> ranOn{nullptr};
        first->post([&ranOn, released] {
            ranOn = QThread::currentThread();
            released.wait(); // the sound server that never answers
        });
        QTRY_VERIFY_WITH_TIMEOUT(ranOn != nullptr, 10000);
        QVERIFY(ranOn != QThread::currentThread());
        QVERIFY(!first->isStuck());
        QTRY_VERIFY_WITH_TIMEOUT(first->isStuck(), 10000);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("audio thread is stuck"));
        SinkThread::abandon(first);
        const std::shared_ptr<SinkThread> second = SinkThread::current();
        QVERIFY(second != first);
        std::atomic<int> step{0};
        second->post([&step] { step = step == 0 ? 1 : -1; });
        second->post([&step] { step = step == 1 ? 2 : -1; });
        QTRY_COMPARE_WITH_TIMEOUT(step.load(), 2, 10000);
        QVERIFY(!second->isStuck());
        release.set_value(); // lets the first thread end with the process
    }
};

QTEST_GUILESS_MAIN(TestSinkThread)
#include "test_sink_thread.moc"
