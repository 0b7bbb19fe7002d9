// Each handed-over sentence is read by a voice of its language: the voice last chosen for it, the
// chosen voice when it speaks it, the engine's own, else the chosen voice with a notice said
// once per document. The chosen voice and the list stay as they were; the reader hands over its
// sentences with their paragraph's language. Once through espeak-ng itself.
#include "../../engine/FakeClockOutput.h"
#include "../../reader/RecordingReaderPort.h"
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "engine/EspeakVoice.h"
#include "reader/ReaderModel.h"
#include "speech/LanguageVoices.h"
#include "speech/ui/TTSSetup.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

struct Rig {
    QTemporaryDir folder;
    QString previous = QDir::currentPath();
    FakePrompts prompts;
    FakeVoice* voice = nullptr;
    std::unique_ptr<TTSSetup> window;

    Rig() {
        QDir::setCurrent(folder.path());
        window = std::make_unique<TTSSetup>(
            [this]() -> std::unique_ptr<SpVoice> {
                auto v = std::make_unique<FakeVoice>();
                v->voices.append({QStringLiteral("voice/fr"), QStringLiteral("French")});
                v->languages.insert(QStringLiteral("voice/fr"), QStringLiteral("fr-FR"));
                voice = v.get();
                return v;
            },
            prompts);
        window->loadWindow();
        window->Timer1()->stop();
    }
    ~Rig() {
        window.reset();
        QDir::setCurrent(previous);
    }
    QComboBox* voices() const { return window->findChild<QComboBox*>("VoiceCB"); }
    void choose(int index) const {
        voices()->setCurrentIndex(index);
        emit voices()->activated(index);
    }
    // Hands `text` over in `language`, lets the pickup run and ends the stream.
    FakeVoice::SpeakCall read(const QString& text, const QString& language, int document = 1) {
        window->handOverInLanguage(text, language, document);
        window->onSpeakingTick();
        const FakeVoice::SpeakCall call = voice->calls.value(voice->calls.size() - 1);
        voice->speakThrough();
        return call;
    }
};

// Two paragraphs, English then French, as a document's model gives them.
void loadTwoLanguages(ReaderModel& model) {
    Document document;
    document.metadata.language = QStringLiteral("en");
    document.paragraphs = {
        {QStringLiteral("It is late."), Paragraph::Kind::Body, 0, {}, {}},
        {QStringLiteral("Il est tard."), Paragraph::Kind::Body, 0, QStringLiteral("fr"), {}}};
    const BookTextMap map = bookTextFromDocument(document.paragraphs);
    model.setBookText(map.bookText);
    model.setDocumentLanguages(document, map.starts);
}

} // namespace

class TestTTSSetupLanguages : public QObject {
    Q_OBJECT
private slots:
    void voiceForEachLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("voiceId");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("espeak-ng's own") << "fr"
                                         << "voice/fr"
                                         << "IL EST TARD.";
        QTest::newRow("region of a listed language") << "fr-CA"
                                                     << "voice/fr"
                                                     << "IL EST TARD.";
        QTest::newRow("the chosen voice speaks it") << "en-GB"
                                                    << "voice/en-us"
                                                    << "IL EST TARD.";
        QTest::newRow("private use") << "x-klingon"
                                     << "voice/en-us"
                                     << "IL EST TARD.";
        QTest::newRow("none given") << ""
                                    << "voice/en-us"
                                    << "IL EST TARD.";
        QTest::newRow("not installed") << "ja"
                                       << "voice/en-us"
                                       << "No voice for Japanese is installed. IL EST TARD.";
        QTest::newRow("no such language") << "zz"
                                          << "voice/en-us"
                                          << "No voice for zz is installed. IL EST TARD.";
    }
    void voiceForEachLanguage() {
        QFETCH(QString, language);
        QFETCH(QString, voiceId);
        QFETCH(QString, spoken);
        Rig rig;
        const FakeVoice::SpeakCall call = rig.read(QStringLiteral("Il est tard."), language);
        QCOMPARE(call.voice.Id(), voiceId);
        QCOMPARE(call.text, spoken);
        // Said once per document; the chosen voice and the list stay.
        QCOMPARE(rig.read(QStringLiteral("Il est tard."), language).text,
                 QStringLiteral("IL EST TARD."));
        QCOMPARE(rig.read(QStringLiteral("Il est tard."), language, 2).text, spoken);
        QCOMPARE(rig.voice->Voice().Id(), QStringLiteral("voice/en-us"));
        QCOMPARE(rig.voices()->currentIndex(), 0);
    }

    // The user's choice for a language wins, is kept in its own file, and VIC.INI keeps the
    // chosen voice.
    void lastChoiceForTheLanguage() {
        Rig rig;
        rig.choose(1); // "English (Great Britain)"
        rig.choose(0);
        QCOMPARE(rig.read(QStringLiteral("It is late."), QStringLiteral("en-US")).voice.Id(),
                 QStringLiteral("voice/en-us"));
        QFile file(kLanguageVoicesFileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("en=voice/en-us\r\n"));
        rig.choose(1);
        rig.choose(3); // French; then the chosen voice is French, English keeps its own
        QCOMPARE(rig.read(QStringLiteral("It is late."), QStringLiteral("en")).voice.Id(),
                 QStringLiteral("voice/en"));
        // A stand-in's voice change does not move the list.
        rig.window->handOverInLanguage(QStringLiteral("Hallo."), QStringLiteral("de"), 1);
        rig.window->onSpeakingTick();
        rig.voice->voiceChange({QStringLiteral("voice/de"), QStringLiteral("German")});
        QCOMPARE(rig.voices()->currentIndex(), 3);
    }

    void settingsFileLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("two") << QByteArray("fr=roa/fr\nde = gmw/de\r\n")
                             << QByteArray("de=gmw/de\r\nfr=roa/fr\r\n");
        QTest::newRow("not a language")
            << QByteArray("x-klingon=a\nfr-CA=b\n=c\nzz\n") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x01\xff=\x02") << QByteArray();
    }
    void settingsFileLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, kept);
        QCOMPARE(formatLanguageVoices(parseLanguageVoices(bytes)), kept);
    }

    // The reader hands the French paragraph over in French, Again too; off, nothing carries a
    // language.
    void readerHandsOverTheParagraphsLanguage() {
        Rig rig;
        struct Port : RecordingReaderPort {
            TTSSetup* window = nullptr;
            QStringList languages;
            void handOverInLanguage(const QString& text, const QString& language,
                                    int document) override {
                languages << language;
                window->handOverInLanguage(text, language, document);
            }
            void handOver(const QString& text) override {
                languages << QString();
                window->handOver(text);
            }
        } port;
        port.window = rig.window.get();
        ReaderModel model(port);
        loadTwoLanguages(model);
        QStringList heardBy;
        for (auto step : {&ReaderModel::SayNextSentence, &ReaderModel::SayNextSentence}) {
            (model.*step)();
            rig.window->onSpeakingTick();
            heardBy << rig.voice->calls.constLast().voice.Id();
            rig.voice->speakThrough();
        }
        model.again();
        rig.window->onSpeakingTick();
        heardBy << rig.voice->calls.constLast().voice.Id();
        QCOMPARE(port.languages, QStringList({"en", "fr", "fr"}));
        QCOMPARE(heardBy, QStringList({"voice/en-us", "voice/fr", "voice/fr"}));

        model.setReadInDocumentLanguage(false);
        model.again();
        QCOMPARE(port.languages.constLast(), QString());
    }

    // espeak-ng itself reads the French sentence with its French voice.
    void espeakReadsFrenchInFrench() {
        auto clock = std::make_shared<FakeClock>();
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        FakePrompts prompts;
        EspeakVoice* espeak = nullptr;
        TTSSetup window(
            [&]() -> std::unique_ptr<SpVoice> {
                auto v = std::make_unique<EspeakVoice>();
                v->setOutputFactory([clock] { return std::make_unique<FakeClockOutput>(clock); });
                espeak = v.get();
                return v;
            },
            prompts);
        window.loadWindow();
        window.Timer1()->stop();
        const SpObjectToken french = espeak->VoiceForLanguage(QStringLiteral("fr"));
        if (french.isNull())
            QSKIP("espeak-ng has no French voice here");
        const SpObjectToken chosen = espeak->Voice();
        QSignalSpy changes(espeak, &SpVoice::VoiceChange);
        window.handOverInLanguage(QStringLiteral("Il est tard."), QStringLiteral("fr"), 1);
        window.onSpeakingTick();
        clock->played = 1 << 30;
        QTRY_VERIFY(!changes.isEmpty());
        QCOMPARE(changes.first().at(2).value<SpObjectToken>().Id(), french.Id());
        QVERIFY(!clock->data.isEmpty());
        QCOMPARE(espeak->Voice(), chosen);
        window.unloadWindow();
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(TestTTSSetupLanguages)
#include "test_ttssetup_languages.moc"
