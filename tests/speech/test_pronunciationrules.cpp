#include "speech/PronunciationRules.h"

#include "engine/LocalVoices.h"
#include "speech/PronunciationTable.h"

#include <QtTest>

using namespace orasent;

namespace {

using Rule = PronunciationRule;

Rule rule(const QString& text, const QString& alias, Rule::Match match = Rule::Match::Word,
          bool matchCase = false) {
    Rule r;
    r.text = text;
    r.alias = alias;
    r.match = match;
    r.matchCase = matchCase;
    return r;
}

Rule saying(const QString& text, Rule::Say say, const QString& sounds = {}) {
    Rule r;
    r.text = text;
    r.say = say;
    r.sounds = sounds;
    return r;
}

Rule scoped(Rule r, Rule::Scope scope, const QString& key) {
    r.scope = scope;
    r.scopeKey = key;
    return r;
}

} // namespace

class TestPronunciationRules : public QObject {
    Q_OBJECT
private slots:
    void rewrites_data() {
        QTest::addColumn<QVector<Rule>>("rules");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole word") << QVector<Rule>{rule("rd", "road")} << "Main Rd, bird rd"
                                    << "Main road, bird road";
        QTest::newRow("anywhere") << QVector<Rule>{rule("rd", "road", Rule::Match::Anywhere)}
                                  << "bird"
                                  << "biroad";
        QTest::newRow("match case")
            << QVector<Rule>{rule("US", "U S", Rule::Match::Word, true)} << "us and US"
            << "us and U S";
        QTest::newRow("phrase with punctuation")
            << QVector<Rule>{rule("Dr.", "doctor"), rule("New York", "Nu York")}
            << "Dr. Who of new york"
            << "doctor Who of Nu York";
        QTest::newRow("pattern with references")
            << QVector<Rule>{rule("(\\d+)km", "$1 kilometres", Rule::Match::Pattern)}
            << "a 12km walk"
            << "a 12 kilometres walk";
        QTest::newRow("skip") << QVector<Rule>{saying("[1]", Rule::Say::Skip)}
                              << "Ahab[1] said [1]."
                              << "Ahab said ."; // a blank keeps words apart
        QTest::newRow("spell") << QVector<Rule>{saying("NASA", Rule::Say::Spell)} << "at NASA now"
                               << "at N A S A now";
        QTest::newRow("no chaining") << QVector<Rule>{rule("a", "b"), rule("b", "a")} << "a b"
                                     << "b a";
        QTest::newRow("first listed wins at one place")
            << QVector<Rule>{rule("York", "first"), rule("york", "second")} << "York"
            << "first";
        QTest::newRow("document before everywhere")
            << QVector<Rule>{rule("Pip", "everywhere"),
                             scoped(rule("Pip", "here"), Rule::Scope::Document, "ab12")}
            << "Pip"
            << "here";
        QTest::newRow("other document and language pass")
            << QVector<Rule>{scoped(rule("Pip", "there"), Rule::Scope::Document, "ff00"),
                             scoped(rule("Pip", "german"), Rule::Scope::Language, "de")}
            << "Pip"
            << "Pip";
        QTest::newRow("language with region")
            << QVector<Rule>{scoped(rule("colour", "color"), Rule::Scope::Language, "en")}
            << "colour"
            << "color";
        QTest::newRow("sounds without inline form use the alias") << QVector<Rule>{[] {
            Rule r = saying("Ahab", Rule::Say::Sounds, "ˈeɪhæb");
            r.alias = "Ay-hab";
            return r;
        }()} << "Ahab"
                                                                  << "Ay-hab";
    }
    void rewrites() {
        QFETCH(QVector<Rule>, rules);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const PronunciationRules compiled(rules);
        SpeechContext context;
        context.documentKey = "AB12";
        context.language = "en-GB";
        QCOMPARE(applyPronunciation(text, text, &compiled, nullptr, context), expected);
    }

    // The text after the upper-case step is matched in its written case.
    void matchesCaseAsWritten() {
        const PronunciationRules compiled({rule("Bill", "William", Rule::Match::Word, true)});
        QCOMPARE(applyPronunciation("BILL AND BILL", "Bill and bill", &compiled, nullptr, {}),
                 "William AND BILL");
    }

    void bookLexiconComesAfterDocumentRules() {
        const PronunciationRules user(
            {scoped(rule("Queequeg", "mine"), Rule::Scope::Document, "k"), rule("Ahab", "user")});
        const PronunciationRules book({rule("Queequeg", "book"), rule("Ahab", "book")});
        SpeechContext context;
        context.documentKey = "k";
        QCOMPARE(applyPronunciation("Queequeg Ahab", {}, &user, &book, context), "mine book");
    }

    void soundsGoThroughTheVoice() {
        const PronunciationRules compiled({saying("Ahab", Rule::Say::Sounds, "ˈeɪhæb")});
        SpeechContext context;
        context.inlineSounds = [](const QString& ipa) { return "[[" + ipa + "]]"; };
        QCOMPARE(applyPronunciation("Ahab.", {}, &compiled, nullptr, context), "[[ˈeɪhæb]].");
    }

    // The editor's "Said as" for a sounds rule, with each engine's own conversion: what the
    // chosen voice cannot say shows what it reads instead.
    void tableShowsWhatTheVoiceCannotSay_data() {
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("sounds");
        QTest::addColumn<QString>("said");
        QTest::newRow("espeak-ng") << "gmw/en"
                                   << "ˈnaɪf"
                                   << "/ˈnaɪf/";
        QTest::newRow("Flite") << "flite/cmu_us_rms"
                               << "ˈnaɪf"
                               << "/ˈnaɪf/";
        QTest::newRow("Flite, a vowel it lacks")
            << "flite/cmu_us_rms"
            << "ˈtyt"
            << "/ˈtyt/, which this voice cannot say: it reads \"tute\"";
        QTest::newRow("espeak-ng, a click")
            << "gmw/en"
            << "ǃa"
            << "/ǃa/, which this voice cannot say: it reads \"tute\"";
    }
    void tableShowsWhatTheVoiceCannotSay() {
        QFETCH(QString, voice);
        QFETCH(QString, sounds);
        QFETCH(QString, said);
        Rule r = saying("tut", Rule::Say::Sounds, sounds);
        r.alias = "tute";
        PronunciationTable table;
        table.setInlineSounds([voice](const QString& ipa) { return inlineSoundsFor(voice, ipa); });
        QCOMPARE(table.saidText(r), said);
    }

    void xmlSaidTextIsEscaped() {
        const PronunciationRules compiled({rule("and", "<&>")});
        SpeechContext context;
        context.xml = true;
        QCOMPARE(applyPronunciation("you and me", {}, &compiled, nullptr, context),
                 "you &lt;&amp;&gt; me");
    }

    // The band marks what was written: the alias as "Dr.", each spelled letter as its letter,
    // the word after a skip as itself.
    void positionsMapToTheWrittenText_data() {
        QTest::addColumn<QString>("spokenWord");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<QString>("writtenSpan");
        QTest::newRow("alias") << "doctor" << 0 << "Dr.";
        QTest::newRow("after alias") << "Ahab" << 0 << "Ahab";
        QTest::newRow("spelled letter") << "S" << 0 << "S";
        QTest::newRow("after skip") << "said" << 0 << "said";
        QTest::newRow("after spelling") << "now" << 0 << "now";
    }
    void positionsMapToTheWrittenText() {
        QFETCH(QString, spokenWord);
        QFETCH(QString, writtenSpan);
        const QString written = "Dr. Ahab[1] said NASA now";
        const PronunciationRules compiled({rule("Dr.", "doctor"), saying("[1]", Rule::Say::Skip),
                                           saying("NASA", Rule::Say::Spell)});
        TextEdits edits;
        const QString spoken = applyPronunciation(written, {}, &compiled, nullptr, {}, &edits);
        QCOMPARE(spoken, "doctor Ahab said N A S A now");
        const qsizetype at = spoken.indexOf(QRegularExpression("\\b" + spokenWord + "\\b"));
        QVERIFY(at >= 0);
        const auto [start, length] = edits.originalSpan(at, spokenWord.size());
        QCOMPARE(written.mid(start, length), writtenSpan);
    }

    void catastrophicPatternIsBoundedAndToldOnce() {
        const PronunciationRules compiled({rule("(a+)+$", "x", Rule::Match::Pattern)});
        const QString text = QString(10000, u'a') + u'!';
        QStringList notices;
        const auto notice = [&notices](const QString& n) { notices.append(n); };
        QCOMPARE(applyPronunciation(text, {}, &compiled, nullptr, {}, nullptr, notice), text);
        QCOMPARE(applyPronunciation(text, {}, &compiled, nullptr, {}, nullptr, notice), text);
        QCOMPARE(notices.size(), 1);
    }

    void invalidPatternSaysWhere() {
        Rule r = rule("ab(c", "x", Rule::Match::Pattern);
        QVERIFY(ruleProblem(r).contains("character 5"));
        r.text = "ab(c)";
        QVERIFY(ruleProblem(r).isEmpty());
        // A list holding one anyway speaks past it.
        const PronunciationRules compiled({rule("ab(c", "x", Rule::Match::Pattern)});
        QCOMPARE(compiled.problems().size(), 1);
        QCOMPARE(applyPronunciation("ab(c", {}, &compiled, nullptr, {}), "ab(c");
    }

    void manyRulesAndLongReplacements() {
        QVector<Rule> rules;
        for (int i = 0; i < 100000; ++i)
            rules.append(rule(QStringLiteral("w%1").arg(i), QStringLiteral("word %1").arg(i)));
        rules.append(rule("whale", QString(1024 * 1024, u'x')));
        const PronunciationRules compiled(rules);
        const QString spoken = applyPronunciation("w99999 w5 whale", {}, &compiled, nullptr, {});
        QVERIFY(spoken.startsWith("word 99999 word 5 xxx"));
        QCOMPARE(spoken.size(), 18 + kMostReplacement);
    }
};

QTEST_GUILESS_MAIN(TestPronunciationRules)
#include "test_pronunciationrules.moc"
