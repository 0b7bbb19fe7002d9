// Text that breaks markup, numbers and word lengths, spoken by espeak-ng as the speech window
// speaks (flags 11: asynchronous, purge, XML) into a WAV file: every stream ends, the engine is
// idle afterwards, word offsets stay inside the text, and the next text is spoken.
#include "engine/EspeakVoice.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;

namespace {
constexpr int kFlags = SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML;

QString controlCharacters() {
    QString text = QStringLiteral("bell");
    for (ushort c = 0; c < 0x20; ++c)
        text += QChar(c) + QStringLiteral("x");
    return text + QChar(0x7f) + QChar(0) + QStringLiteral("end");
}

// 1 MB of words with no period followed by a blank.
QString megabyteWithoutSentenceEnd() {
    QString text = QStringLiteral("reading on and on.without a stop ").repeated(32000);
    text.truncate(1 << 20);
    return text;
}
} // namespace

class TestHostileText : public QObject {
    Q_OBJECT
private slots:
    void hostileText_data();
    void hostileText();
};

void TestHostileText::hostileText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("purgeAfterFirstWord");
    QTest::newRow("<") << QStringLiteral("<") << false;
    QTest::newRow("</speak>") << QStringLiteral("</speak>") << false;
    QTest::newRow("&") << QStringLiteral("&") << false;
    QTest::newRow("entities") << QStringLiteral(
                                     "fish & chips && A&B &amp &#0; &#x110000; &nosuch; &#65")
                              << false;
    QTest::newRow("tags never closed")
        << QStringLiteral("<speak><p><s>never closed <emphasis>at all") << false;
    QTest::newRow("closing tags only")
        << QStringLiteral("</s></p></emphasis> stray closers </voice></speak>") << false;
    QTest::newRow("crossed tags") << QStringLiteral(
                                         "<p><s>crossed</p></s> <prosody rate=\"fast>open quote")
                                  << false;
    QTest::newRow("declaration, entity, comment")
        << QStringLiteral("<?xml version='1.0'?><!DOCTYPE s [<!ENTITY a "
                          "'aaaa'>]><speak>&a;</speak><!-- no end")
        << false;
    QTest::newRow("440 s'") << QStringLiteral("s'").repeated(440) << false;
    QTest::newRow("440 s’") << QStringLiteral("s’").repeated(440) << false;
    QTest::newRow("440 s&apos;") << QStringLiteral("S&apos;").repeated(440) << false;
    QTest::newRow("440 s&#39; in a tag")
        << QStringLiteral("<s>%1</s>").arg(QStringLiteral("s&#39;").repeated(440)) << false;
    QTest::newRow("10,000-character word") << QStringLiteral("abcdefghij").repeated(1000) << false;
    QTest::newRow("numbers above 9999")
        << QStringLiteral(
               "10000 65535 99999 123456789 2147483648 98765432109876543210 1e308 -32769")
        << false;
    QTest::newRow("control characters and NUL") << controlCharacters() << false;
    QTest::newRow("NUL only") << QString(QChar(0)) << false;
    QTest::newRow("1 MB without a sentence end") << megabyteWithoutSentenceEnd() << true;
}

void TestHostileText::hostileText() {
    QFETCH(QString, text);
    QFETCH(bool, purgeAfterFirstWord);
    QTemporaryDir folder;
    EspeakVoice voice;
    voice.setAudioOutputFormatType(4); // 8 kHz 8-bit mono keeps long streams small on disk
    voice.setAudioOutputToWaveFile(folder.filePath(QStringLiteral("hostile.wav")));
    QList<int> ended;
    QList<QPair<int, int>> words; // stream, end of the word
    connect(&voice, &SpVoice::EndStream, this, [&](int s, const QVariant&) { ended << s; });
    connect(&voice, &SpVoice::Word, this, [&](int s, const QVariant&, int pos, int length) {
        QVERIFY(pos >= 0 && length >= 0);
        words << qMakePair(s, pos + length);
    });

    const int stream = voice.Speak(text, kFlags);
    if (purgeAfterFirstWord) {
        QTRY_VERIFY_WITH_TIMEOUT(!words.isEmpty(), 60000);
        const int blank = voice.Speak(QStringLiteral(" "), kFlags);
        QTRY_VERIFY_WITH_TIMEOUT(ended.contains(blank), 60000);
        QVERIFY(!ended.contains(stream));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(ended.contains(stream), 120000);
    }
    QVERIFY(voice.isIdle());
    for (const auto& [s, end] : std::as_const(words))
        QVERIFY2(s != stream || end <= text.size(),
                 qPrintable(QStringLiteral("word ends at %1").arg(end)));

    const QString next = QStringLiteral("Still reading.");
    const int after = voice.Speak(next, kFlags);
    QTRY_VERIFY_WITH_TIMEOUT(ended.contains(after), 60000);
    int heard = 0;
    for (const auto& w : std::as_const(words))
        heard += w.first == after ? 1 : 0;
    QCOMPARE(heard, 2);
    QVERIFY(voice.isIdle());
}

QTEST_MAIN(TestHostileText)
#include "test_hostile_text.moc"
