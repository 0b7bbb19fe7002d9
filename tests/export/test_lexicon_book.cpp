// An EPUB 3 book that carries pronunciation lexicons, built here: the loader keeps them, and the
// export reads the book's words as its lexicon says, with the captions showing them as written.
#include "FileBytes.h"
#include "ZipBuilder.h"
#include "engine/EspeakSounds.h"
#include "engine/LocalVoices.h"
#include "engine/flite/FliteSynth.h"
#include "export/ExportText.h"
#include "speech/PronunciationStore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

const QByteArray kContainer =
    "<?xml version='1.0'?><container version='1.0' "
    "xmlns='urn:oasis:names:tc:opendocument:xmlns:container'><rootfiles><rootfile "
    "full-path='OEBPS/book.opf' media-type='application/oebps-package+xml'/>"
    "</rootfiles></container>";

const QByteArray kLexicon =
    "<?xml version='1.0' encoding='UTF-8'?>"
    "<lexicon version='1.0' xmlns='http://www.w3.org/2005/01/pronunciation-lexicon' "
    "alphabet='ipa' xml:lang='en'>"
    "<lexeme><grapheme>Queequeg</grapheme><alias>Kwee kweg</alias></lexeme>"
    "<lexeme><grapheme>Ahab</grapheme><phoneme>ˈɑːhɑːb</phoneme></lexeme>"
    "</lexicon>";

const QByteArray kHostile = "<?xml version='1.0'?><!DOCTYPE lexicon [<!ENTITY x SYSTEM "
                            "'file:///etc/passwd'>]><lexicon><lexeme><grapheme>Ahab</grapheme>"
                            "<alias>&x;</alias></lexeme></lexicon>";

QByteArray lexiconBook() {
    const QByteArray opf =
        "<package xmlns='http://www.idpf.org/2007/opf' version='3.0'>"
        "<metadata xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:language>en</dc:language>"
        "</metadata><manifest>"
        "<item id='c1' href='one.xhtml' media-type='application/xhtml+xml'/>"
        "<item id='lex' href='names.pls' media-type='application/pls+xml'/>"
        "<item id='bad' href='bad.pls' media-type='application/pls+xml'/>"
        "<item id='gone' href='gone.pls' media-type='application/pls+xml'/>"
        "</manifest><spine><itemref idref='c1'/></spine></package>";
    const QByteArray chapter =
        "<?xml version='1.0' encoding='utf-8'?><html xmlns='http://www.w3.org/1999/xhtml'>"
        "<head><link rel='pronunciation' type='application/pls+xml' href='names.pls'/></head>"
        "<body><p>Queequeg met Ahab.</p></body></html>";
    return buildZip({{"mimetype", "application/epub+zip"},
                     {"META-INF/container.xml", kContainer},
                     {"OEBPS/book.opf", opf},
                     {"OEBPS/one.xhtml", chapter},
                     {"OEBPS/names.pls", kLexicon},
                     {"OEBPS/bad.pls", kHostile}});
}

} // namespace

class TestLexiconBook : public QObject {
    Q_OBJECT
private slots:
    void bookSaysItsWordsAsItsLexiconDoes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("lexicon.epub");
        writeBytes(path, lexiconBook());
        const DocumentLoad load = exportInputText(path);
        QCOMPARE(load.status, DocumentLoad::Status::Loaded);
        // The missing lexicon is left out; the hostile one is kept as bytes and refused when read.
        QCOMPARE(load.document.metadata.lexicons.size(), 2);
        int problems = 0;
        const QVector<PronunciationRule> book =
            lexiconRules(load.document.metadata.lexicons, &problems);
        QCOMPARE(problems, 1);
        QCOMPARE(book.size(), 2);

        SpeakingRules rules;
        rules.book = std::make_shared<PronunciationRules>(book);
        rules.context.language = load.document.metadata.language;
        rules.context.xml = true;
        rules.context.inlineSounds = [](const QString& ipa) { return espeakPhonemeInput(ipa); };
        const QVector<SentenceSpan> sentences = cutExportSentences(load.bookText);
        QVERIFY(!sentences.isEmpty());
        const QString sentence = load.bookText.mid(sentences[0].start, sentences[0].length);
        const PreparedSentence prepared = prepareForSpeaking(sentence, QString(), &rules);
        QCOMPARE(prepared.spoken.trimmed(), "Kwee kweg MET [['A:hA:b]].");
        // The captions' words are the book's: "kweg" maps back to "Queequeg".
        const qsizetype kweg = prepared.spoken.indexOf("kweg");
        const auto [start, length] = prepared.edits.originalSpan(kweg, 4);
        QCOMPARE(sentence.mid(start, length), "Queequeg");
    }

    // Flite, the default English voice, says the lexicon's word with the lexicon's phones (its
    // own dictionary says "Ahab" ey1 hh ae1 b).
    void fliteSaysTheLexiconsSounds() {
#ifndef ORASENT_HAVE_FLITE
        QSKIP("Flite is not built in");
#else
        QTemporaryDir dir;
        const QString path = dir.filePath("lexicon.epub");
        writeBytes(path, lexiconBook());
        const DocumentLoad load = exportInputText(path);
        QCOMPARE(load.status, DocumentLoad::Status::Loaded);
        const QString voice = clearestVoiceFor(load.document.metadata.language);
        QCOMPARE(voice, "flite/cmu_us_rms");
        SpeakingRules rules;
        rules.book = std::make_shared<PronunciationRules>(
            lexiconRules(load.document.metadata.lexicons, nullptr));
        rules.context.language = load.document.metadata.language;
        rules.context.xml = true;
        rules.context.inlineSounds = [voice](const QString& ipa) {
            return inlineSoundsFor(voice, ipa);
        };
        const PreparedSentence prepared = prepareForSpeaking(load.bookText.trimmed(), {}, &rules);
        FliteSynth flite;
        QCOMPARE(flite.phones(voice, FliteText(prepared.spoken, true)).join(u' '),
                 "k w iy0 k w eh1 g m eh1 t aa1 hh aa0 b");
#endif
    }
};

QTEST_GUILESS_MAIN(TestLexiconBook)
#include "test_lexicon_book.moc"
