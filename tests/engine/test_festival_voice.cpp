// Real Festival through its helper process, into WAV files (no audio device): word events land
// on the words as written, a stop silences a long synthesis, the helper killed mid-sentence ends
// the stream with a notice and the next text is spoken, and a voice whose data is missing is not
// listed while one whose data is damaged is reported. Runs of another script are read by
// espeak-ng's voice in their place, which is told once per document. Every wait is for the engine's
// events.
#include "FakeVoice.h"
#include "engine/CmuPhones.h"
#include "engine/CombinedVoice.h"
#include "engine/LocalVoices.h"
#include "engine/festival/FestivalBackend.h"
#include "engine/festival/FestivalProtocol.h"
#include "engine/festival/FestivalVoice.h"
#include "engine/festival/FestivalVoices.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace orasent;

namespace {

const QString kSlt = QStringLiteral("festival/cmu_us_slt_arctic_hts");

// A copy of a voice's folder whose files are links to the installed ones, but `damaged` (a
// file under it) holds nonsense, or is left out when `missing`.
bool copyVoice(const QString& from, const QString& to, const QString& damaged, bool missing) {
    const QDir source(from);
    for (const QString& sub : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDir(to).mkpath(sub);
        for (const QString& file : QDir(source.filePath(sub)).entryList(QDir::Files)) {
            const QString rel = sub + QLatin1Char('/') + file;
            if (rel == damaged) {
                QFile out(QDir(to).filePath(rel));
                if (!missing && (!out.open(QIODevice::WriteOnly) || out.write("broken\n") < 0))
                    return false;
            } else if (!QFile::link(source.filePath(rel), QDir(to).filePath(rel))) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

class TestFestivalVoice : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<FestivalVoice> m_voice;

    FestivalVoice* voice() {
        if (!m_voice) {
            m_voice = std::make_unique<FestivalVoice>();
            voice()->setVoice(SpObjectToken(kSlt, {}));
        }
        return m_voice.get();
    }

    // No longer wanted, the helper ends as soon as it is idle.
    static void endHelper() {
        if (FestivalBackend::instance().helperPid() == 0)
            return;
        QSignalSpy ended(&FestivalBackend::instance(), &FestivalBackend::helperEnded);
        FestivalBackend::instance().setWanted(false);
        QVERIFY(ended.wait(60000));
        QCOMPARE(FestivalBackend::instance().helperPid(), qint64(0));
        FestivalBackend::instance().setWanted(true);
    }

    // Speaks `text` into a WAV file and returns the words highlighted (position and length), or
    // {-1, -1} when the stream did not end or a word is heard before the one ahead of it or after
    // the stream's end.
    QVector<std::pair<int, int>> spokenSpans(const QString& text) {
        voice()->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("words.wav")));
        QSignalSpy words(voice(), &SpVoice::Word);
        QSignalSpy ends(voice(), &SpVoice::EndStream);
        const int stream = voice()->Speak(text, SVSFlagsAsync);
        voice()->setAudioOutputToWaveFile({});
        if (!ends.wait(120000) || ends.first().at(0).toInt() != stream)
            return {{-1, -1}};
        QVector<std::pair<int, int>> out;
        qint64 heard = 0;
        for (const QList<QVariant>& w : std::as_const(words)) {
            if (w.at(1).toLongLong() < heard ||
                w.at(1).toLongLong() > ends.first().at(1).toLongLong())
                return {{-1, -1}};
            heard = w.at(1).toLongLong();
            out.append({w.at(2).toInt(), w.at(3).toInt()});
        }
        return out;
    }

    // The same as the text they select.
    QStringList spokenWords(const QString& text) {
        QStringList out;
        for (const auto& [pos, length] : spokenSpans(text))
            out << (pos < 0 ? QStringLiteral("no end, or a word out of order")
                            : text.mid(pos, length));
        return out;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        if (installedFestivalVoices().isEmpty())
            QSKIP("Festival's voices are not installed");
    }

    // First, while the helper has loaded no voice yet: Festival keeps a voice's folder once it
    // has read it.
    void damagedVoiceDataIsReported() {
        const QString voices = m_dir.filePath(QStringLiteral("damaged"));
        const QString folder = voices + QStringLiteral("/us/cmu_us_slt_arctic_hts");
        QVERIFY(copyVoice(festivalVoicesFolder() + QStringLiteral("/us/cmu_us_slt_arctic_hts"),
                          folder, QStringLiteral("hts/cmu_us_slt_arctic_hts.htsvoice"), false));
        FestivalVoice voice(voices, nullptr);
        auto restore = qScopeGuard([] {
            // The helper that read the damaged folder ends; later voices read Debian's.
            FestivalBackend::instance().setVoicesFolder(festivalVoicesFolder());
            endHelper();
        });
        QCOMPARE(voice.GetVoices().value(0).Id(), kSlt);
        voice.setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("damaged.wav")));
        QSignalSpy notices(&voice, &SpVoice::Notice);
        QSignalSpy ends(&voice, &SpVoice::EndStream);
        voice.Speak(QStringLiteral("Nothing can be said."), SVSFlagsAsync);
        voice.setAudioOutputToWaveFile({});
        QVERIFY(ends.wait(120000));
        QVERIFY(notices.count() >= 1 || notices.wait(10000));
        QVERIFY2(notices.first().at(0).toString().startsWith(
                     QStringLiteral("The Festival voice stopped: ")),
                 qPrintable(notices.first().at(0).toString()));
    }

    void missingVoiceDataIsNotListed() {
        const QString voices = m_dir.filePath(QStringLiteral("missing"));
        QVERIFY(copyVoice(festivalVoicesFolder() + QStringLiteral("/us/cmu_us_slt_arctic_hts"),
                          voices + QStringLiteral("/us/cmu_us_slt_arctic_hts"),
                          QStringLiteral("hts/cmu_us_slt_arctic_hts.htsvoice"), true));
        QVERIFY(installedFestivalVoices(voices).isEmpty());
        QVERIFY(installedFestivalVoices(m_dir.filePath(QStringLiteral("none"))).isEmpty());
        QCOMPARE(installedFestivalVoices().value(0).Id(), kSlt);
    }

    // Festival's voices come after Flite's, so every saved index of the others keeps its voice;
    // without Festival's voices the list is the one before.
    void listKeepsEveryOldIndex() {
        auto first = std::make_unique<test::FakeVoice>();
        auto second = std::make_unique<test::FakeVoice>();
        second->voices = {{"speechd:a", "A (module)"}};
        const SpObjectTokens old = first->voices + second->voices + fliteVoiceTokens();
        CombinedVoice combined(std::move(first), std::move(second), nullptr, createLocalVoice());
        const SpObjectTokens now = combined.GetVoices();
        QCOMPARE(now.mid(0, old.size()), old);
        QCOMPARE(now.mid(old.size()), festivalVoiceTokens());
        QCOMPARE(now.value(old.size()).GetDescription(),
                 QStringLiteral("English (America), Festival, female (slt)"));
        QCOMPARE(combined.LanguageOf(now.value(old.size())), QStringLiteral("en-US"));
        // A new user still hears Flite's clearest voice, which takes far less memory.
        if (!fliteVoiceTokens().isEmpty())
            QCOMPARE(combined.Voice().Id(), QStringLiteral("flite/cmu_us_rms"));
        {
            FestivalVoice none(m_dir.filePath(QStringLiteral("none")), nullptr);
            QVERIFY(none.GetVoices().isEmpty());
        }
        FestivalBackend::instance().setVoicesFolder(festivalVoicesFolder());
    }

    void words_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("abbreviations") << QStringLiteral("Dr. Smith met Mr. Jones.")
                                       << QStringList{"Dr", "Smith", "met", "Mr", "Jones"};
        QTest::newRow("numbers") << QStringLiteral("It cost $42 in 1999, or 3.5 more.")
                                 << QStringList{"It",   "cost", "$42", "in",
                                                "1999", "or",   "3.5", "more"};
        QTest::newRow("punctuation") << QStringLiteral("Wait... (really?) Yes; no: maybe!")
                                     << QStringList{"Wait", "really", "Yes", "no", "maybe"};
        QTest::newRow("curly quotes") << QStringLiteral("“Don’t,” she said, ‘now’.")
                                      << QStringList{"Don’t", "she", "said", "now"};
        QTest::newRow("emoji and controls")
            << (QStringLiteral("one 😀 two") + QChar(7) + QStringLiteral(" three"))
            << QStringList{"one", "two", "three"};
        // Another script is read by espeak-ng's voice for it, in its place.
        QTest::newRow("arabic and chinese inside english")
            << QStringLiteral("He said مرحبا بكم and 你好, then left.")
            << QStringList{"He", "said", "مرحبا", "بكم", "and", "你好", "then", "left"};
        const QString sounds = cmuInlineSounds(QStringLiteral("təˈmɑːtoʊ"));
        QTest::newRow("sounds") << QStringLiteral("Say %1 now.").arg(sounds)
                                << QStringList{"Say", sounds, "now"};
    }
    void words() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        voice();
        QCOMPARE(spokenWords(text).join(u'|'), expected.join(u'|'));
    }

    // A passage of another script alone is read through to its end, its words in order inside
    // the text.
    void otherScriptPassage_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("arabic") << QStringLiteral("السلام عليكم ورحمة الله. ").repeated(8);
        QTest::newRow("chinese") << QStringLiteral("我们今天去公园散步。").repeated(8);
    }
    void otherScriptPassage() {
        QFETCH(QString, text);
        voice();
        const QVector<std::pair<int, int>> spans = spokenSpans(text);
        QVERIFY(spans.size() >= 8);
        int after = 0;
        for (const auto& [pos, length] : spans) {
            QVERIFY2(pos >= after && length > 0 && pos + length <= text.size(),
                     qPrintable(QStringLiteral("%1+%2 after %3").arg(pos).arg(length).arg(after)));
            after = pos + length;
        }
    }

    // Once per language and document: the next document tells it again.
    void otherScriptIsToldOncePerDocument() {
        QSignalSpy notices(voice(), &SpVoice::Notice);
        voice()->newDocument();
        spokenWords(QStringLiteral("A word: مرحبا."));
        spokenWords(QStringLiteral("Another: بكم, and 你好."));
        QCOMPARE(notices.count(), 2);
        QCOMPARE(notices.at(0).at(0).toString(),
                 QStringLiteral("Arabic is read by espeak-ng's voice."));
        QCOMPARE(notices.at(1).at(0).toString(),
                 QStringLiteral("Chinese is read by espeak-ng's voice."));
        voice()->newDocument();
        spokenWords(QStringLiteral("Again: بكم."));
        QCOMPARE(notices.count(), 3);
    }

    // A word given as sounds becomes a lexicon entry, syllable by syllable; nothing else reaches
    // Festival's interpreter.
    void lexiconEntries_data() {
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<QByteArray>("phones");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("three syllables")
            << QByteArray("qa") << QByteArray("t ax0 m aa1 t ow0")
            << QByteArray(R"((lex.add.entry '("qa" nil (((t ax) 0) ((m aa) 1) ((t ow) 0)))))");
        QTest::newRow("clusters")
            << QByteArray("qb") << QByteArray("s t r eh1 ng k s t r ax2 n")
            << QByteArray(R"((lex.add.entry '("qb" nil (((s t r eh ng k s t) 1) ((r ax n) 1)))))");
        QTest::newRow("no vowel") << QByteArray("qc") << QByteArray("s t") << QByteArray();
        QTest::newRow("quote in a phone")
            << QByteArray("qd") << QByteArray("t\") ax1") << QByteArray();
        QTest::newRow("word not made up")
            << QByteArray("Q\"") << QByteArray("t ax1") << QByteArray();
    }
    void lexiconEntries() {
        QFETCH(QByteArray, word);
        QFETCH(QByteArray, phones);
        QFETCH(QByteArray, command);
        QCOMPARE(QByteArray::fromStdString(
                     festival::lexiconEntryCommand(word.toStdString(), phones.toStdString())),
                 command);
    }

    // A word after a pause starts at its first 5 ms within 40 dB of the phrase's loudest; the
    // levels are those of 5 ms frames at 16 kHz, the places are frames.
    void heardStart_data() {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("expected");
        QTest::newRow("silence, then the word") << QList<int>{0, 0, 3000, 9000} << 0 << 4 << 2;
        QTest::newRow("faded in") << QList<int>{0, 50, 89, 91, 9000} << 0 << 5 << 3;
        QTest::newRow("heard at once") << QList<int>{0, 9000, 20, 9000} << 1 << 4 << 1;
        QTest::newRow("not before its first sound ends")
            << QList<int>{0, 0, 30, 9000} << 0 << 3 << 0;
        QTest::newRow("a silent phrase") << QList<int>{0, 0, 0} << 1 << 3 << 1;
    }
    void heardStart() {
        QFETCH(QList<int>, levels);
        QFETCH(int, from);
        QFETCH(int, limit);
        QFETCH(int, expected);
        std::vector<std::int16_t> samples;
        for (const int level : levels)
            samples.insert(samples.end(), 80, std::int16_t(level));
        QCOMPARE(festival::heardStart(samples, 16000, std::uint32_t(from * 80),
                                      std::uint32_t(limit * 80)),
                 std::uint32_t(expected * 80));
    }

    // Stop silences the long text at once: none of its events comes afterwards.
    void stopDuringSynthesis_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("english") << QStringLiteral("This goes on and on. ").repeated(100);
        // Stopped while espeak-ng reads the run.
        QTest::newRow("a long run of another script")
            << QStringLiteral("Now: ") + QStringLiteral("السلام عليكم ورحمة الله. ").repeated(200);
    }
    void stopDuringSynthesis() {
        QFETCH(QString, text);
        voice()->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("stop.wav")));
        QSignalSpy words(voice(), &SpVoice::Word);
        QSignalSpy ends(voice(), &SpVoice::EndStream);
        const int first = voice()->Speak(text, SVSFlagsAsync);
        QVERIFY(words.wait(60000));
        voice()->stop();
        const int heard = int(words.count());
        const int next = voice()->Speak(QStringLiteral("Done."), SVSFlagsAsync);
        voice()->setAudioOutputToWaveFile({});
        while (ends.isEmpty() || ends.last().at(0).toInt() != next)
            QVERIFY(ends.wait(60000));
        for (const QList<QVariant>& e : std::as_const(ends))
            QVERIFY(e.at(0).toInt() != first);
        for (int i = heard; i < words.count(); ++i)
            QVERIFY(words.at(i).at(0).toInt() != first);
        QCOMPARE(words.last().at(0).toInt(), next);
    }

    // The helper killed mid-sentence: the stream ends, the user is told, the next text is read.
    void helperKilledMidSentence() {
        voice()->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("killed.wav")));
        QSignalSpy words(voice(), &SpVoice::Word);
        QSignalSpy ends(voice(), &SpVoice::EndStream);
        QSignalSpy notices(voice(), &SpVoice::Notice);
        const int stream =
            voice()->Speak(QStringLiteral("A long sentence goes on, ").repeated(60), SVSFlagsAsync);
        voice()->setAudioOutputToWaveFile({});
        QVERIFY(words.wait(60000));
        const qint64 pid = FestivalBackend::instance().helperPid();
        QVERIFY(pid > 0);
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(ends.wait(60000));
        QCOMPARE(ends.first().at(0).toInt(), stream);
        QVERIFY(notices.count() == 1 || notices.wait(10000));
        QCOMPARE(notices.first().at(0).toString(),
                 QStringLiteral("The Festival voice stopped: the Festival helper stopped."));
        QCOMPARE(spokenWords(QStringLiteral("Back again.")), (QStringList{"Back", "again"}));
        QVERIFY(FestivalBackend::instance().helperPid() != pid);
    }

    // Another voice chosen: the helper ends once idle, and starts again for the next text.
    void releasedHelperEnds() {
        QSignalSpy ended(&FestivalBackend::instance(), &FestivalBackend::helperEnded);
        QCOMPARE(spokenWords(QStringLiteral("Still here.")), (QStringList{"Still", "here"}));
        QVERIFY(FestivalBackend::instance().helperPid() > 0);
        voice()->releaseVoice();
        QVERIFY(ended.wait(60000));
        QCOMPARE(FestivalBackend::instance().helperPid(), qint64(0));
        voice()->setVoice(SpObjectToken(kSlt, {}));
        QCOMPARE(spokenWords(QStringLiteral("Here again.")), (QStringList{"Here", "again"}));
    }
};

QTEST_GUILESS_MAIN(TestFestivalVoice)
#include "test_festival_voice.moc"
