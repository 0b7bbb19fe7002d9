#include "speech/PlsLexicon.h"
#include "speech/PronunciationFile.h"
#include "speech/PronunciationStore.h"

#include "FileBytes.h"
#include "TmpfsMount.h"

#include <QtTest>

using namespace orasent;

namespace {

using Rule = PronunciationRule;

QVector<Rule> everyKind() {
    QVector<Rule> rules;
    Rule alias;
    alias.text = "Dr.";
    alias.alias = "doctor & co";
    rules.append(alias);
    Rule sounds;
    sounds.text = "Ahab";
    sounds.say = Rule::Say::Sounds;
    sounds.sounds = "ˈeɪhæb";
    sounds.alias = "Ay-hab";
    sounds.matchCase = true;
    sounds.scope = Rule::Scope::Language;
    sounds.scopeKey = "en";
    rules.append(sounds);
    Rule skip;
    skip.text = "[1]";
    skip.say = Rule::Say::Skip;
    skip.match = Rule::Match::Anywhere;
    skip.scope = Rule::Scope::Document;
    skip.scopeKey = "ab12";
    rules.append(skip);
    Rule spell;
    spell.text = "NASA";
    spell.say = Rule::Say::Spell;
    rules.append(spell);
    Rule pattern;
    pattern.text = "(\\d+)--km";
    pattern.alias = "$1 kilometres";
    pattern.match = Rule::Match::Pattern;
    rules.append(pattern);
    return rules;
}

} // namespace

class TestPlsLexicon : public QObject {
    Q_OBJECT
private slots:
    void rulesFileKeepsEverything() {
        const LexiconWrite written =
            writePlsLexicon(everyKind(), {}, LexiconKind::RulesFile, false);
        const LexiconRead read = readPlsLexicon(written.bytes, LexiconKind::RulesFile);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.rules, everyKind());
        QCOMPARE(read.bookLexicons, false);
    }

    // What plain PLS holds comes back; the pattern stays behind as a comment.
    void sharedLexiconRoundTrip() {
        const LexiconWrite written = writePlsLexicon(everyKind(), "en-GB", LexiconKind::Shared);
        QCOMPARE(written.leftOut, 1);
        QVERIFY(written.bytes.contains("<!-- A pattern rule has no PLS form"));
        const LexiconRead read = readPlsLexicon(written.bytes, LexiconKind::Shared);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.language, "en-GB");
        QCOMPARE(read.rules.size(), 4);
        QCOMPARE(read.rules[0].alias, "doctor & co");
        QCOMPARE(read.rules[1].say, Rule::Say::Sounds);
        QCOMPARE(read.rules[1].sounds, "ˈeɪhæb");
        QCOMPARE(read.rules[1].alias, "Ay-hab");
        QCOMPARE(read.rules[2].say, Rule::Say::Skip);
        QCOMPARE(read.rules[3].alias, "N A S A");
        for (const Rule& r : read.rules)
            QCOMPARE(r.scope, Rule::Scope::Everywhere); // a shared file's own attributes are not
    }

    void readsThePlsOfOthers() {
        const QByteArray pls =
            "<?xml version='1.0' encoding='UTF-8'?>\n"
            "<lexicon version='1.0' xmlns='http://www.w3.org/2005/01/pronunciation-lexicon'\n"
            "      alphabet='ipa' xml:lang='en-US'>\n"
            "  <lexeme><grapheme>Sepulveda</grapheme><grapheme>Sepúlveda</grapheme>\n"
            "    <phoneme>səˈpʌlvɪdə</phoneme></lexeme>\n"
            "  <lexeme><grapheme>W3C</grapheme><alias>World Wide Web Consortium</alias></lexeme>\n"
            "  <lexeme><grapheme>tomato</grapheme><phoneme "
            "alphabet='x-sampa'>t@meItoU</phoneme></lexeme>\n"
            "</lexicon>";
        const LexiconRead read = readPlsLexicon(pls, LexiconKind::Shared);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.language, "en-US");
        QCOMPARE(read.rules.size(), 3);
        QCOMPARE(read.rules[1].text, "Sepúlveda");
        QCOMPARE(read.rules[2].alias, "World Wide Web Consortium");
        QCOMPARE(read.skipped, 1); // sounds in an alphabet not known here
    }

    void refusesHostileInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("external entity")
            << QByteArray("<?xml version='1.0'?><!DOCTYPE lexicon [<!ENTITY x SYSTEM\n"
                          " 'file:///etc/passwd'>]><lexicon><lexeme><grapheme>a</"
                          "grapheme><alias>&x;</alias></lexeme>\n"
                          "</lexicon>");
        QByteArray laughs = "<?xml version='1.0'?><!DOCTYPE lexicon [<!ENTITY a 'lol'>";
        for (int i = 1; i < 10; ++i)
            laughs += QStringLiteral("<!ENTITY %1 '%2'>")
                          .arg(QChar('a' + i))
                          .arg(QString("&%1;").arg(QChar('a' + i - 1)).repeated(10))
                          .toUtf8();
        laughs += "]><lexicon><lexeme><grapheme>a</grapheme><alias>&j;</alias></lexeme></lexicon>";
        QTest::newRow("billion laughs") << laughs;
        QTest::newRow("truncated")
            << QByteArray("<lexicon><lexeme><grapheme>a</grapheme><alias>b</al");
        QTest::newRow("not a lexicon") << QByteArray("<html><body>a</body></html>");
        QTest::newRow("not xml") << QByteArray("\x00\xff garbage", 10);
        QTest::newRow("empty") << QByteArray();
    }
    void refusesHostileInput() {
        QFETCH(QByteArray, bytes);
        const LexiconRead read = readPlsLexicon(bytes, LexiconKind::Shared);
        QVERIFY(!read.error.isEmpty());
        QVERIFY(read.rules.isEmpty());
    }

    void rulesFileSavesAndLoads() {
        QTemporaryDir dir;
        const QString path = dir.filePath(kPronunciationFileName);
        QCOMPARE(loadPronunciationFile(path).problem, QString()); // missing: no rules, no fuss
        QString error;
        QVERIFY(savePronunciationFile({everyKind(), true}, &error, path));
        const PronunciationLoad load = loadPronunciationFile(path);
        QCOMPARE(load.problem, QString());
        QCOMPARE(load.settings.rules, everyKind());
    }

    // A large file is written and read whole; a 1 MB replacement is cut to the limit on reading.
    void hundredThousandRules() {
        QTemporaryDir dir;
        const QString path = dir.filePath(kPronunciationFileName);
        QVector<Rule> many;
        for (int i = 0; i < 100000; ++i) {
            Rule r;
            r.text = QStringLiteral("word%1").arg(i);
            r.alias = QStringLiteral("said %1").arg(i);
            many.append(r);
        }
        many[5].alias = QString(1024 * 1024, u'x');
        QString error;
        QVERIFY(savePronunciationFile({many, true}, &error, path));
        const PronunciationLoad load = loadPronunciationFile(path);
        QCOMPARE(load.problem, QString());
        QCOMPARE(load.settings.rules.size(), 100000);
        QCOMPARE(load.settings.rules[5].alias.size(), kMostReplacement);
        QCOMPARE(load.settings.rules[99999].alias, "said 99999");
    }

    void damagedRulesFileIsReportedAndKept() {
        QTemporaryDir dir;
        const QString path = dir.filePath(kPronunciationFileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<lexicon><lexeme>");
        file.close();
        const PronunciationLoad load = loadPronunciationFile(path);
        QVERIFY(load.problem.contains("were not used"));
        QVERIFY(load.settings.rules.isEmpty());
        QVERIFY(QFile::exists(path));
        // The first save keeps the damaged file beside the new one.
        PronunciationStore store(path);
        QVERIFY(!store.load().isEmpty());
        QString error;
        QVERIFY(store.save({everyKind(), true}, &error));
        QCOMPARE(test::readAll(path + ".damaged"), QByteArray("<lexicon><lexeme>"));
        QCOMPARE(loadPronunciationFile(path).settings.rules, everyKind());
    }

    void fullDiskKeepsTheOldFile() {
        test::TmpfsMount mount(64);
        if (!mount.isMounted())
            QSKIP("needs a tmpfs mount (root)");
        const QString path = mount.filePath(kPronunciationFileName);
        QString error;
        QVERIFY(savePronunciationFile({everyKind(), true}, &error, path));
        QVector<Rule> many;
        for (int i = 0; i < 5000; ++i) {
            Rule r;
            r.text = QStringLiteral("word%1").arg(i);
            r.alias = QString(40, u'x');
            many.append(r);
        }
        QVERIFY(!savePronunciationFile({many, true}, &error, path));
        QVERIFY(error.contains("holds the rules as they were"));
        QCOMPARE(loadPronunciationFile(path).settings.rules, everyKind());
    }

    void unwritableFolderGivesAMessage() {
        QString error;
        QVERIFY(!savePronunciationFile({everyKind(), true}, &error,
                                       "/proc/orasent-nowhere/Pronunciations.pls"));
        QVERIFY(error.contains("could not be saved"));
    }
};

QTEST_GUILESS_MAIN(TestPlsLexicon)
#include "test_plslexicon.moc"
