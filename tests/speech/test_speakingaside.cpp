// Word help's speech beside the reader's: the same rewriting and language voice, its own rate
// for one text, its words as spans of its text, and the reader's speak box left as it is.
#include "FakeVoice.h"
#include "speech/SpeakingCore.h"

#include <QSignalSpy>
#include <QTest>

using namespace orasent;
using orasent::test::FakeVoice;

class TestSpeakingAside : public QObject {
    Q_OBJECT
private slots:
    void aside_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<QString>("voice");     // the voice the text was read with
        QTest::addColumn<int>("wordPos");       // a Word event in the spoken text
        QTest::addColumn<QString>("heardWord"); // what that word is in the text given
        QTest::newRow("rewritten, chosen voice") << "rd banana"
                                                 << ""
                                                 << "ROAD BANANA"
                                                 << "voice/en-us" << 5 << "banana";
        QTest::newRow("language voice") << "Wörter"
                                        << "de"
                                        << "WÖRTER"
                                        << "voice/de" << 0 << "Wörter";
    }
    void aside() {
        QFETCH(QString, text);
        QFETCH(QString, language);
        QFETCH(QString, spoken);
        QFETCH(QString, voice);
        QFETCH(int, wordPos);
        QFETCH(QString, heardWord);
        FakeVoice engine;
        engine.setVoice(engine.voices.first());
        engine.setRate(3);
        SpeakingCore core;
        core.setVoice(&engine);
        core.setSpeakFlags(SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        core.setReplacementList(QStringLiteral("RD=ROAD"));
        core.setVoiceChooser([&engine](const QString& lang, int) {
            LanguageChoice choice;
            if (lang == QLatin1String("de"))
                choice.voice = engine.voices.at(2);
            return choice;
        });
        // A sentence the reader handed over waits in the speak box meanwhile.
        core.setSpeakBoxLanguage(QStringLiteral("en"), 1);
        core.setSpeakBoxText(QStringLiteral("The reader's sentence."));
        QSignalSpy heard(&core, &SpeakingCore::asideWordHeard);
        QSignalSpy ended(&core, &SpeakingCore::asideEnded);

        QVERIFY(core.speakAside(text, language, -7));
        QCOMPARE(engine.lastText(), spoken);
        QCOMPARE(engine.calls.last().voice.Id(), voice);
        QVERIFY(engine.log.contains(QStringLiteral("setRate(-7)")));
        QCOMPARE(engine.Rate(), 3);
        QCOMPARE(core.speakBoxText(), QStringLiteral("The reader's sentence."));
        QCOMPARE(core.speakBoxLanguage(), QStringLiteral("en"));

        engine.word(wordPos, heardWord.size());
        QCOMPARE(heard.size(), 1);
        QCOMPARE(text.mid(heard.first().at(0).toInt(), heard.first().at(1).toInt()), heardWord);
        engine.endStream();
        QCOMPARE(ended.size(), 1);
        QVERIFY(!core.isSpeaking());
    }

    void refusedOrEmpty() {
        FakeVoice engine;
        SpeakingCore core;
        core.setVoice(&engine);
        QVERIFY(!core.speakAside(QStringLiteral("  "), {}, 0));
        engine.failSpeak = true;
        QVERIFY(!core.speakAside(QStringLiteral("word"), {}, -5));
        QCOMPARE(engine.Rate(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSpeakingAside)
#include "test_speakingaside.moc"
