// The whole program as a new user starts it: both windows with the espeak-ng engine on a real
// audio output, in a working folder that holds only "Tech Pool.txt". Needs a sound server: run it
// through scripts/with-pulseaudio.sh, which provides a null sink when none is running.
#include "FakePrompts.h"
#include "LoadWaiting.h"
#include "engine/EspeakVoice.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QAudioDevice>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>
#include <memory>

using namespace orasent;

namespace {

template <class T> T* control(QWidget& parent, const QString& objectName) {
    return parent.findChild<T*>(objectName);
}

// The follow-along band in the reader's sentence box, or the word highlight of the speech
// window's box: its text and where it starts, or none.
std::pair<QString, int> bandIn(const QPlainTextEdit* text1) {
    const QList<QTextEdit::ExtraSelection> bands = text1->extraSelections();
    if (bands.isEmpty())
        return {QString(), -1};
    return {bands.first().cursor.selectedText(), bands.first().cursor.selectionStart()};
}

// The words a listener hears: runs of letters and digits, upper case as the speech window
// speaks them.
QStringList wordsOf(const QString& text) {
    QStringList words;
    static const QRegularExpression word(QStringLiteral("[\\w']+"));
    for (auto it = word.globalMatch(text.toUpper()); it.hasNext();)
        words << it.next().captured();
    return words;
}

// What the listener of one stream got: each Word event as the selection it made in MainTxtBox
// and as the band it put into the reader's Text1.
struct StreamRecord {
    bool started = false;
    bool ended = false;
    bool wordBeforeStart = false;
    bool wordAfterEnd = false;
    QStringList selections;
    QList<int> positions;
    QStringList bands;
    QList<int> bandStarts;
    QString textAtEnd;
    bool bandAtEnd = false;
};

// Waits up to this long for speech; generous for a loaded machine, never reached when it works.
constexpr int kSpeechTimeoutMs = 60000;

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    QString m_previousFolder;
    test::FakePrompts m_prompts;
    std::unique_ptr<TTSSetup> m_tts;
    std::unique_ptr<EnglishF> m_reader;
    QMap<int, StreamRecord> m_streams;
    QStringList m_sentences; // the text cut after each period followed by a blank
    QList<double> m_starts;  // where each of them starts, 1-based

    QPlainTextEdit* mainTxtBox() {
        return control<QPlainTextEdit>(*m_tts, QStringLiteral("MainTxtBox"));
    }
    QPushButton* readerButton(int n) {
        return control<QPushButton>(*m_reader, QStringLiteral("Command%1").arg(n));
    }
    EspeakVoice* voice() { return qobject_cast<EspeakVoice*>(m_tts->Voice()); }
    int newestStream() const { return m_streams.isEmpty() ? 0 : m_streams.lastKey(); }

    bool speechWindowIdle() {
        return m_tts->SpeakBtn()->isEnabled() && m_tts->handedOverBox()->text().isEmpty() &&
               voice()->isIdle();
    }

    // The first stream after `after` that was heard to its end with words, once the speech window
    // is idle again; 0 if none came.
    int waitForSpokenStream(int after) {
        int found = 0;
        const bool came = QTest::qWaitFor(
            [&] {
                for (auto it = m_streams.upperBound(after); it != m_streams.end(); ++it) {
                    if (it->ended && !it->selections.isEmpty()) {
                        found = it.key();
                        break;
                    }
                }
                return found != 0 && speechWindowIdle();
            },
            kSpeechTimeoutMs);
        return came ? found : 0;
    }

    // Every word of `expected` was selected, in order, and nothing else. espeak-ng speaks some
    // pairs as one word and reports only the first ("have been"): with `allWords` false a word
    // may go without its own selection.
    void verifyHighlightedInOrder(const StreamRecord& heard, const QString& expected,
                                  bool allWords = true) {
        QVERIFY(!heard.wordBeforeStart);
        QVERIFY(!heard.wordAfterEnd);
        for (int i = 1; i < heard.positions.size(); ++i)
            QVERIFY2(heard.positions[i] > heard.positions[i - 1], "word events go backwards");
        const QStringList selected = wordsOf(heard.selections.join(QLatin1Char(' ')));
        const QStringList words = wordsOf(expected);
        if (allWords) {
            QCOMPARE(selected, words);
            return;
        }
        int at = 0;
        for (const QString& word : selected) {
            while (at < words.size() && words.at(at) != word)
                ++at;
            QVERIFY2(at < words.size(), qPrintable(selected.join(QLatin1Char(' '))));
            ++at;
        }
        QVERIFY(selected.size() * 4 >= words.size() * 3);
    }

    // Stream `stream` spoke `text` with every word highlighted, and the window is idle after it.
    void verifySpoken(int stream, const QString& text) {
        QVERIFY2(stream, "nothing was spoken to its end");
        const StreamRecord& heard = m_streams[stream];
        QCOMPARE(wordsOf(heard.textAtEnd), wordsOf(text));
        verifyHighlightedInOrder(heard, text);
        if (!QTest::currentTestFailed())
            verifyIdleAfter(heard);
    }

    // The band in Text1 went through the words of `sentence` in order and left at the end.
    void verifyBandFollowed(int stream, const QString& sentence) {
        const StreamRecord& heard = m_streams[stream];
        QCOMPARE(wordsOf(heard.bands.join(QLatin1Char(' '))), wordsOf(sentence));
        for (int i = 1; i < heard.bandStarts.size(); ++i)
            QVERIFY2(heard.bandStarts[i] > heard.bandStarts[i - 1], "the band goes backwards");
        QVERIFY2(!heard.bandAtEnd, "the band stays after the end of speech");
        auto* text1 = control<QPlainTextEdit>(*m_reader, QStringLiteral("Text1"));
        QVERIFY(text1->extraSelections().isEmpty());
    }

    void verifyIdleAfter(const StreamRecord& heard) {
        QVERIFY(m_tts->SpeakBtn()->isEnabled());
        QVERIFY(!control<QPushButton>(*m_tts, QStringLiteral("StopBtn"))->isEnabled());
        // The end of a stream highlights the whole text.
        QCOMPARE(bandIn(mainTxtBox()).first.replace(QChar::ParagraphSeparator, QLatin1Char('\n')),
                 heard.textAtEnd);
    }

private slots:
    void initTestCase() {
        if (QMediaDevices::audioOutputs().isEmpty())
            QSKIP("no audio output device; run under scripts/with-pulseaudio.sh for a null sink");
        QVERIFY(m_folder.isValid());
        const QString pool =
            QStringLiteral(ORASENT_SOURCE_DATA_DIR) + QStringLiteral("/data/pools/Tech Pool.txt");
        QVERIFY(QFile::copy(pool, m_folder.filePath(QStringLiteral("Tech Pool.txt"))));
        m_previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_folder.path()));

        m_tts = std::make_unique<TTSSetup>([] { return createEspeakVoice(); }, m_prompts);
        m_reader = std::make_unique<EnglishF>(*m_tts, m_prompts);
        m_reader->loadWindow();
        orasent::test::waitForLoad(*m_reader);
        m_reader->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_reader.get()));
        QVERIFY(voice());
        const QString book = m_reader->model().bookText();
        for (int from = 0, end; (end = book.indexOf(QLatin1String(". "), from)) >= 0;
             from = end + 1) {
            m_sentences << book.mid(from, end + 1 - from);
            m_starts << from + 1;
        }
        QVERIFY(m_sentences.size() > 4);

        // Connected after the speech window's own handlers, so each sees the window as they left
        // it.
        QPlainTextEdit* box = mainTxtBox();
        auto* text1 = control<QPlainTextEdit>(*m_reader, QStringLiteral("Text1"));
        QVERIFY(box && text1);
        connect(voice(), &SpVoice::StartStream, this,
                [this](int s, const QVariant&) { m_streams[s].started = true; });
        connect(voice(), &SpVoice::Word, this,
                [this, box, text1](int s, const QVariant&, int pos, int) {
                    StreamRecord& r = m_streams[s];
                    r.wordBeforeStart |= !r.started;
                    r.wordAfterEnd |= r.ended;
                    r.selections << bandIn(box).first;
                    r.positions << pos;
                    const auto [band, start] = bandIn(text1);
                    r.bands << band;
                    r.bandStarts << start;
                });
        connect(voice(), &SpVoice::EndStream, this, [this, box, text1](int s, const QVariant&) {
            m_streams[s].ended = true;
            m_streams[s].textAtEnd = box->toPlainText();
            m_streams[s].bandAtEnd = !text1->extraSelections().isEmpty();
        });
    }

    void cleanupTestCase() {
        m_reader.reset();
        m_tts.reset();
        if (!m_previousFolder.isEmpty())
            QDir::setCurrent(m_previousFolder);
    }

    void init() {
        // A stream cut short by the engine's watchdog is a fault here, not a slow machine.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("ended early")));
        // Each command starts from a quiet speech window (the first waits for the start-up text).
        QVERIFY(
            QTest::qWaitFor([this] { return speechWindowIdle() && !m_reader->isInHandOverWait(); },
                            kSpeechTimeoutMs));
    }

    void speechWindowListsVoicesFormatsAndOutputs() {
        auto* voices = control<QComboBox>(*m_tts, QStringLiteral("VoiceCB"));
        auto* formats = control<QComboBox>(*m_tts, QStringLiteral("FormatCB"));
        auto* outputs = control<QComboBox>(*m_tts, QStringLiteral("AudioOutputCB"));
        QVERIFY(voices && formats && outputs);
        QCOMPARE(voices->count(), voice()->GetVoices().size());
        QVERIFY(voices->count() > 0);
        QCOMPARE(formats->count(), 36);
        QCOMPARE(formats->currentText(), QStringLiteral("SAFT22kHz16BitMono"));
        QCOMPARE(outputs->count(), voice()->GetAudioOutputs().size());
        QVERIFY(outputs->isEnabled());
    }

    void startUpSpeaksTheInstructions() {
        const int stream = waitForSpokenStream(0);
        QVERIFY(stream);
        verifyHighlightedInOrder(m_streams[stream], m_streams[stream].textAtEnd, false);
    }

    void talkStepsThroughTheSentences() {
        for (int i = 0; i < 2; ++i) {
            const int before = newestStream();
            QTest::mousePress(readerButton(3), Qt::LeftButton);
            QTest::mouseRelease(readerButton(3), Qt::LeftButton);
            const int stream = waitForSpokenStream(before);
            verifySpoken(stream, m_sentences.at(i));
            verifyBandFollowed(stream, m_sentences.at(i));
        }
    }

    void rightClickTalkReplaysTheLastSentence() {
        const int before = newestStream();
        QTest::mousePress(readerButton(3), Qt::RightButton);
        QTest::mouseRelease(readerButton(3), Qt::RightButton);
        // It steps back past the sentence shown last and speaks the one before it.
        verifySpoken(waitForSpokenStream(before), m_sentences.at(0));
    }

    void continuousPlayGoesOnByItself() {
        const int before = newestStream();
        QTest::keyClick(control<QPlainTextEdit>(*m_reader, QStringLiteral("Text1")), Qt::Key_Space);
        const int first = waitForSpokenStream(before);
        verifySpoken(first, m_sentences.at(1));
        // Nothing more is pressed: the pause timer takes the next sentence once speech has ended.
        verifySpoken(waitForSpokenStream(first), m_sentences.at(2));

        QTest::mouseClick(readerButton(4), Qt::LeftButton); // Stop
        QCOMPARE(m_reader->model().playMode(), ReaderModel::PlayMode::Off);
    }

    void bookmarkJumpSpeaks() {
        int before = newestStream();
        QTest::mouseClick(readerButton(11), Qt::LeftButton); // Set 25 Bookmarks
        int stream = waitForSpokenStream(before);
        QVERIFY(stream);
        verifyHighlightedInOrder(m_streams[stream], QStringLiteral("25 bookmarks have been set"),
                                 false);

        before = newestStream();
        QTest::mouseClick(readerButton(8), Qt::LeftButton); // Next Bookmark
        QCOMPARE(m_reader->model().bookNum(), 2);
        // The second of 25 marks spread over the pool is at the start of one of its sentences.
        const double mark = m_reader->model().bookMarks()[2];
        int at = 0;
        for (int i = 1; i < m_starts.size(); ++i)
            if (qAbs(m_starts.at(i) - mark) < qAbs(m_starts.at(at) - mark))
                at = i;
        // The announcement is followed in Text1 like any other text.
        const QString announced = QStringLiteral("Bookmark number 2. ") + m_sentences.at(at);
        const int jump = waitForSpokenStream(before);
        verifySpoken(jump, announced);
        verifyBandFollowed(jump, announced);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
