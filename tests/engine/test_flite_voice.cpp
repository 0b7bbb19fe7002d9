// Real Flite into a WAV file (no audio device): word events land on the words as written
// (a number or an abbreviation is one word however Flite says it), awkward input ends its stream,
// a purge stops a long synthesis, and the combined voice list keeps every saved index.
#include "FakeVoice.h"
#include "engine/CmuPhones.h"
#include "engine/CombinedVoice.h"
#include "engine/LocalVoices.h"
#include "engine/flite/FliteText.h"
#include "engine/flite/FliteVoice.h"
#include "engine/flite/FliteWorker.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

using namespace orasent;

class TestFliteVoice : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<FliteVoice> m_voice;

    // The words highlighted while `text` is spoken, as the substrings they select.
    QStringList spokenWords(const QString& text, int flags = 0) {
        m_voice->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("words.wav")));
        QSignalSpy words(m_voice.get(), &SpVoice::Word);
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        const int stream = m_voice->Speak(text, flags | SVSFlagsAsync);
        m_voice->setAudioOutputToWaveFile({});
        if (!waitForEnd(ends, stream))
            return {QStringLiteral("no EndStream")};
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
        if (ends.count() != 1 || ends.first().at(0).toInt() != stream)
            return {QStringLiteral("%1 EndStream events").arg(ends.count())};
        return out;
    }

    // The audio file and the word events (place in the audio, place in the text) of `text`.
    std::pair<QByteArray, QList<QList<QVariant>>> heard(const QString& text) {
        const QString path = m_dir.filePath(QStringLiteral("heard.wav"));
        m_voice->setAudioOutputToWaveFile(path);
        QSignalSpy words(m_voice.get(), &SpVoice::Word);
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        const int stream = m_voice->Speak(text, SVSFlagsAsync);
        m_voice->setAudioOutputToWaveFile({});
        if (!waitForEnd(ends, stream))
            return {};
        QList<QList<QVariant>> events;
        for (QList<QVariant> w : std::as_const(words)) {
            w.removeFirst(); // the stream's number
            events << w;
        }
        QFile file(path);
        return {file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), events};
    }

    // Waits for the stream's EndStream (the engine always raises one).
    static bool waitForEnd(QSignalSpy& ends, int stream) {
        auto ended = [&] {
            return std::any_of(ends.cbegin(), ends.cend(),
                               [&](const QList<QVariant>& e) { return e.at(0).toInt() == stream; });
        };
        while (!ended())
            if (!ends.wait(300000))
                return false;
        return true;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_voice = std::make_unique<FliteVoice>();
        QCOMPARE(m_voice->Voice().Id(), QStringLiteral("flite/cmu_us_rms"));
        QCOMPARE(m_voice->LanguageOf(m_voice->Voice()), QStringLiteral("en-US"));
    }

    void words_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain") << QStringLiteral("The quick brown fox jumps.") << 0
                               << QStringList{"The", "quick", "brown", "fox", "jumps"};
        QTest::newRow("abbreviations")
            << QStringLiteral("Dr. Smith met Mr. Jones on St. Mary's.") << 0
            << QStringList{"Dr", "Smith", "met", "Mr", "Jones", "on", "St", "Mary's"};
        QTest::newRow("numbers") << QStringLiteral("It cost $42 in 1999, or 3.5 more.") << 0
                                 << QStringList{"It",   "cost", "$42", "in",
                                                "1999", "or",   "3.5", "more"};
        QTest::newRow("punctuation") << QStringLiteral("Wait... (really?) Yes; no: maybe!") << 0
                                     << QStringList{"Wait", "really", "Yes", "no", "maybe"};
        QTest::newRow("curly quotes") << QStringLiteral("“Don’t,” she said, ‘now’.") << 0
                                      << QStringList{"Don’t", "she", "said", "now"};
        QTest::newRow("accents") << QStringLiteral("A café in Zürich.") << 0
                                 << QStringList{"A", "café", "in", "Zürich"};
        QTest::newRow("markup")
            << QStringLiteral(
                   "<speak>Tom &amp; Jerry <b>run</b>.<br/>Caf&#233;s<i>close</i></speak>")
            << int(SVSFIsXML) << QStringList{"Tom", "&amp;", "Jerry", "run", "Caf&#233;s", "close"};
        QTest::newRow("emoji and controls")
            << (QStringLiteral("one 😀 two") + QChar(0) + QStringLiteral("three") + QChar(7) +
                QStringLiteral("four"))
            << 0 << QStringList{"one", "two", "three", "four"};
        QTest::newRow("lone surrogate")
            << (QStringLiteral("one ") + QChar(0xd800) + " two") << 0 << QStringList{"one", "two"};
        QTest::newRow("empty") << QString() << 0 << QStringList();
        // Another script is read by espeak-ng's voice for it, in its place.
        QTest::newRow("arabic inside english")
            << QStringLiteral("He said مرحبا بكم and left.") << 0
            << QStringList{"He", "said", "مرحبا", "بكم", "and", "left"};
        // Sounds given as CMU phones are one word, where their inline form stands.
        QTest::newRow("sounds") << (QStringLiteral("Say ") + cmuInlineSounds("təˈmɑːtoʊ") +
                                    QStringLiteral(" twice, ") + cmuInlineSounds("ʃ") + ".")
                                << 0 << QStringList{"Say", "⟦t ax0 m aa1 t ow0⟧", "twice", "⟦sh⟧"};
        QTest::newRow("sounds in markup")
            << (QStringLiteral("<speak>a <b>") + cmuInlineSounds("ˈnaɪf") + "</b>s</speak>")
            << int(SVSFIsXML) << QStringList{"a", "⟦n ay1 f⟧", "s"};
        QTest::newRow("russian then chinese")
            << QStringLiteral("Привет мир. 你好") << 0 << QStringList{"Привет", "мир", "你好"};
    }
    void words() {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QStringList, expected);
        QCOMPARE(spokenWords(text, flags).join(u'|'), expected.join(u'|'));
    }

    // Each is spoken through to its end (no crash, no hang): its words stay in the text, and a
    // text with nothing readable is skipped with an empty stream.
    void awkwardInputEnds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("spoken");
        QTest::newRow("1,000 characters, no punctuation")
            << QStringLiteral("word and ").repeated(111) + QStringLiteral("a") << true;
        QTest::newRow("a 500-letter word") << QStringLiteral("ab").repeated(250) << true;
        QTest::newRow("10,000 digits") << QStringLiteral("1234567890").repeated(1000) << true;
        QString controls;
        for (char16_t c = 0; c < 0x20; ++c)
            controls += QChar(c);
        QTest::newRow("control characters only") << controls.repeated(3) << false;
        QTest::newRow("lone surrogates only")
            << (QString(QChar(0xd800)) + QChar(0xdfff) + QChar(0xdc00) + QChar(0xd83d)) << false;
        QTest::newRow("emoji only")
            << QStringLiteral("😀🎉👍🏽 🇬🇧").repeated(20) << false;
        QTest::newRow("arabic passage")
            << QStringLiteral("السلام عليكم ورحمة الله. ").repeated(8) << true;
        QTest::newRow("chinese passage")
            << QStringLiteral("我们今天去公园散步。").repeated(8) << true;
    }
    void awkwardInputEnds() {
        QFETCH(QString, text);
        QFETCH(bool, spoken);
        // At the fastest rate the hour of 10,000 digits is made in a third of the time.
        m_voice->setRate(10);
        const QStringList words = spokenWords(text);
        m_voice->setRate(0);
        QVERIFY2(words.isEmpty() || !words.first().startsWith(QLatin1String("span")),
                 qPrintable(words.value(0)));
        QVERIFY2(words.value(0) != QLatin1String("no EndStream"), "no EndStream");
        QCOMPARE(!words.isEmpty(), spoken);
    }

    // Once per language and document: the next document tells it again.
    void otherScriptIsToldOncePerDocument() {
        QSignalSpy notices(m_voice.get(), &SpVoice::Notice);
        m_voice->newDocument();
        spokenWords(QStringLiteral("A Greek word: λόγος."));
        spokenWords(QStringLiteral("Another: ήλιος."));
        QCOMPARE(notices.count(), 1);
        QCOMPARE(notices.first().at(0).toString(),
                 QStringLiteral("Greek is read by espeak-ng's voice."));
        m_voice->newDocument();
        spokenWords(QStringLiteral("Again: ήλιος."));
        QCOMPARE(notices.count(), 2);
    }

    void phrasesAreShortAndCoverTheText() {
        const FliteText text(QStringLiteral("x").repeated(450) + QStringLiteral(" end."), false);
        const QVector<FlitePhrase> phrases = text.phrases();
        QCOMPARE(phrases.first().begin, 0);
        QCOMPARE(phrases.last().end, 455);
        QCOMPARE(text.sourceSpan(451, 3), std::make_pair(451, 3));
        for (const FlitePhrase& p : phrases)
            QVERIFY(p.end - p.begin <= FliteText::kMostPhraseBytes);
    }

    // A played text's first phrase is its first words; "~" marks a phrase the speech runs on from
    // (cut where no punctuation is).
    void phraseCuts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("firstBytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole sentences") << QStringLiteral("Many people walk. They rest.") << 0
                                         << QStringLiteral("Many people walk.| They rest.");
        QTest::newRow("first words") << QStringLiteral("Many people walk to the market.") << 6
                                     << QStringLiteral("Many people ~|walk to the market.");
        QTest::newRow("first words end at a comma") << QStringLiteral("Apple, ocean, meadow.") << 6
                                                    << QStringLiteral("Apple, |ocean, meadow.");
        QTest::newRow("a short sentence first")
            << QStringLiteral("Yes. And then no.") << 6 << QStringLiteral("Yes.| And then no.");
        QTest::newRow("one word") << QStringLiteral("Hello") << 6 << QStringLiteral("Hello");
    }
    void phraseCuts() {
        QFETCH(QString, text);
        QFETCH(int, firstBytes);
        QFETCH(QString, expected);
        const FliteText flite(text, false);
        QStringList phrases;
        for (const FlitePhrase& p : flite.phrases(firstBytes))
            phrases << QString::fromLatin1(flite.bytes().mid(p.begin, p.end - p.begin)) +
                           (p.runsOn ? QStringLiteral("~") : QString());
        QCOMPARE(phrases.join(u'|'), expected);
    }

    void purgeStopsALongSynthesis() {
        m_voice->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("stop.wav")));
        QSignalSpy words(m_voice.get(), &SpVoice::Word);
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        const int first =
            m_voice->Speak(QStringLiteral("This goes on and on. ").repeated(400), SVSFlagsAsync);
        QVERIFY(words.wait(60000));
        const int second =
            m_voice->Speak(QStringLiteral("Stop."), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        m_voice->setAudioOutputToWaveFile({});
        QVERIFY(waitForEnd(ends, second));
        QCOMPARE(ends.count(), 1);
        QCOMPARE(ends.first().at(0).toInt(), second);
        QCOMPARE(words.last().at(0).toInt(), second);
        for (const QList<QVariant>& w : std::as_const(words))
            QVERIFY(w.at(0).toInt() == first || w.at(0).toInt() == second);
        QVERIFY(m_voice->isIdle());
    }

    // stop() in the middle of a long text: no event of it afterwards, and no stream of its own.
    void stopEndsTheStreamSilently() {
        m_voice->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("stopped.wav")));
        QSignalSpy words(m_voice.get(), &SpVoice::Word);
        QSignalSpy starts(m_voice.get(), &SpVoice::StartStream);
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        const int first =
            m_voice->Speak(QStringLiteral("This goes on and on. ").repeated(400), SVSFlagsAsync);
        QVERIFY(words.wait(60000));
        m_voice->stop();
        QVERIFY(m_voice->isIdle());
        const qsizetype wordsAtStop = words.count();
        const int next = m_voice->Speak(QStringLiteral("Next."), SVSFlagsAsync);
        m_voice->setAudioOutputToWaveFile({});
        QVERIFY(waitForEnd(ends, next));
        QCOMPARE(next, first + 1);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(starts.count(), 2);
        for (qsizetype i = wordsAtStop; i < words.count(); ++i)
            QCOMPARE(words.at(i).at(0).toInt(), next);
    }

    // Stop and Talk as a user pressing both in quick succession: only the last text is heard.
    void stopAndTalkTwoHundredTimes() {
        m_voice->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("again.wav")));
        QSignalSpy ends(m_voice.get(), &SpVoice::EndStream);
        for (int i = 0; i < 200; ++i) {
            m_voice->stop();
            m_voice->Speak(QStringLiteral("Talk, and stop again. ").repeated(5), SVSFlagsAsync);
        }
        m_voice->stop();
        const int last = m_voice->Speak(QStringLiteral("Done."), SVSFlagsAsync);
        m_voice->setAudioOutputToWaveFile({});
        QVERIFY(waitForEnd(ends, last));
        QCOMPARE(ends.count(), 1);
        QVERIFY(m_voice->isIdle());
    }

    // A text prepared while the engine was free starts from what was prepared, and is heard
    // exactly as without it: the same audio, the same words at the same places.
    void preparedStartSoundsTheSame_data() {
        QTest::addColumn<QString>("prepared");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<int>("uses");
        QTest::addColumn<bool>("whole"); // espeak-ng's reading of a run varies by a few frames
        const QString text = QStringLiteral("Dr. Smith paid $42 on 3 May, \u201cthen left\u201d.");
        QTest::newRow("the same text") << text << text << 1 << true;
        QTest::newRow("another text") << QStringLiteral("Something else.") << text << 0 << true;
        QTest::newRow("one word more") << text << text + QStringLiteral(" Yes.") << 0 << true;
        const QString foreign = QStringLiteral("Hello \u043c\u0438\u0440 and more words.");
        QTest::newRow("another script later") << foreign << foreign << 1 << false;
    }

    void preparedStartSoundsTheSame() {
        QFETCH(QString, prepared);
        QFETCH(QString, spoken);
        QFETCH(int, uses);
        QFETCH(bool, whole);
        auto [audio, words] = heard(spoken);
        const int before = FliteWorker::instance().preparedStarts();
        m_voice->prepare(prepared, 0);
        FliteWorker::instance().settle();
        auto [audioAfter, wordsAfter] = heard(spoken);
        QCOMPARE(FliteWorker::instance().preparedStarts() - before, uses);
        QVERIFY(audio.size() > 10000);
        if (!whole) {
            words = words.mid(0, 2);
            wordsAfter = wordsAfter.mid(0, 2);
            audio = audio.mid(44, 10000); // after the header, which holds the length
            audioAfter = audioAfter.mid(44, 10000);
        }
        QCOMPARE(wordsAfter, words);
        QVERIFY(audioAfter == audio);
    }

    // The saved index of an espeak-ng or a speech-dispatcher voice keeps its voice: Flite's
    // voices come after both.
    void listKeepsEveryOldIndex() {
        auto first = std::make_unique<test::FakeVoice>();
        auto second = std::make_unique<test::FakeVoice>();
        second->voices = {{"speechd:a", "A (module)"}, {"speechd:b", "B (module)"}};
        const SpObjectTokens old = first->voices + second->voices;
        CombinedVoice combined(std::move(first), std::move(second), nullptr, createFliteVoice());
        const SpObjectTokens now = combined.GetVoices();
        QCOMPARE(now.mid(0, old.size()), old);
        QCOMPARE(now.mid(old.size()), fliteVoiceTokens());
        QCOMPARE(now.value(old.size()).GetDescription(),
                 QStringLiteral("English (America), Flite, male (rms)"));
        // A new user hears the clearest English voice; another language keeps espeak-ng's.
        QCOMPARE(combined.Voice().Id(), QStringLiteral("flite/cmu_us_rms"));
        QCOMPARE(combined.VoiceForLanguage(QStringLiteral("en-GB")).Id(),
                 QStringLiteral("flite/cmu_us_rms"));
        QCOMPARE(combined.VoiceForLanguage(QStringLiteral("de")).Id(), QStringLiteral("voice/de"));
    }
};

QTEST_GUILESS_MAIN(TestFliteVoice)
#include "test_flite_voice.moc"
