// Real espeak-ng into a WAV file (no audio device): the Word events of awkward texts land on
// the right words of the caller's text, between one StartStream and one EndStream.
#include "SpeakAndWait.h"
#include "engine/EspeakVoice.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::speakAndWait;

class TestEspeakWords : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<EspeakVoice> m_voice;

    // The words highlighted while `text` is spoken, as the substrings they select.
    QStringList spokenWords(const QString& text, int flags = 0) {
        m_voice->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("words.wav")));
        QSignalSpy words(m_voice.get(), &SpVoice::Word);
        QSignalSpy starts(m_voice.get(), &SpVoice::StartStream);
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        const int stream = speakAndWait(*m_voice, text, flags);
        m_voice->setAudioOutputToWaveFile({});
        QStringList out;
        int lastPos = -1;
        for (const QList<QVariant>& w : std::as_const(words)) {
            const int pos = w.at(2).toInt();
            const int length = w.at(3).toInt();
            if (pos < 0 || length <= 0 || pos + length > text.size())
                return {QStringLiteral("span outside the text: %1+%2").arg(pos).arg(length)};
            if (pos <= lastPos)
                return {QStringLiteral("span moved backwards to %1").arg(pos)};
            lastPos = pos;
            out << text.mid(pos, length);
        }
        if (starts.count() != 1 || ends.count() != 1 || ends.first().at(0).toInt() != stream)
            return {QStringLiteral("%1 StartStream and %2 EndStream events")
                        .arg(starts.count())
                        .arg(ends.count())};
        return out;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("LANG", "en_US.UTF-8");
        m_voice = std::make_unique<EspeakVoice>();
        QVERIFY(!m_voice->GetVoices().isEmpty());
        QCOMPARE(m_voice->Voice().GetDescription(), QStringLiteral("English (America)"));
    }

    void words_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ascii") << QStringLiteral("The quick brown fox jumps.") << 0
                               << QStringList{"The", "quick", "brown", "fox", "jumps"};
        QTest::newRow("accents") << QStringLiteral("Café crème and naïve façade.") << 0
                                 << QStringList{"Café", "crème", "and", "naïve", "façade"};
        QTest::newRow("emoji") << QStringLiteral("I 😀 smile") << 0
                               << QStringList{"I", "😀", "smile"};
        QTest::newRow("crlf") << QStringLiteral("one\r\ntwo\r\nthree") << 0
                              << QStringList{"one", "two", "three"};
        QTest::newRow("markup with entities")
            << QStringLiteral(
                   "<speak>Tom &amp; Jerry <emphasis>really</emphasis> like caf&#233;.</speak>")
            << int(SVSFIsXML)
            << QStringList{"Tom", "&amp;", "Jerry", "really", "like", "caf&#233;"};
        QTest::newRow("numbers quotes abbreviations")
            << QStringLiteral("Hello world, e.g. 1234 \"quoted\" text.") << 0
            << QStringList{"Hello", "world", "e.g", "1234", "quoted", "text"};
        QTest::newRow("long word")
            << QStringLiteral("a Pneumonoultramicroscopicsilicovolcanoconiosis case") << 0
            << QStringList{"a", "Pneumonoultramicroscopicsilicovolcanoconiosis", "case"};
        QTest::newRow("control characters")
            << (QStringLiteral("one") + QChar(0) + QStringLiteral("two\x07three")) << 0
            << QStringList{"one", "two", "three"};
        QTest::newRow("malformed markup still spoken")
            << QStringLiteral("<speak>Hello <b world</speak>") << int(SVSFIsXML)
            << QStringList{"Hello", "b", "world"};
        // Nothing to say still starts and ends a stream.
        QTest::newRow("empty") << QString() << 0 << QStringList();
        QTest::newRow("blank xml") << QStringLiteral(" ") << int(SVSFIsXML) << QStringList();
        QTest::newRow("markup only")
            << QStringLiteral("<speak></speak>") << int(SVSFIsXML) << QStringList();
    }
    void words() {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QStringList, expected);
        QCOMPARE(spokenWords(text, flags), expected);
    }
};

QTEST_GUILESS_MAIN(TestEspeakWords)
#include "test_espeak_words.moc"
