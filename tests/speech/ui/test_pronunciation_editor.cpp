// The Pronunciation editor on the scripted engine: adding through the rule dialog (an invalid
// pattern refused with where its error is), moving, testing, import and export, and every
// control named for screen readers.
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "speech/PlsLexicon.h"
#include "speech/PronunciationStore.h"
#include "speech/SpeakingCore.h"
#include "speech/ui/PronunciationEditor.h"
#include "speech/ui/RuleDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

struct EditorRig {
    QTemporaryDir dir;
    PronunciationStore store{dir.filePath(kPronunciationFileName)};
    FakeVoice voice;
    SpeakingCore core;
    FakePrompts prompts;
    PronunciationEditor editor{store, core, prompts};

    EditorRig() {
        core.setVoice(&voice);
        store.load();
        editor.show();
    }
    RuleDialog* ruleDialog() const { return editor.findChild<RuleDialog*>(); }
    void fillRule(const QString& text, int match, const QString& alias) {
        RuleDialog* dialog = ruleDialog();
        QVERIFY(dialog);
        const auto fields = dialog->findChildren<QLineEdit*>();
        fields.at(0)->setText(text);
        fields.at(1)->setText(alias);
        dialog->findChildren<QComboBox*>().at(0)->setCurrentIndex(match);
    }
};

} // namespace

class TestPronunciationEditor : public QObject {
    Q_OBJECT
private slots:
    void invalidPatternIsRefusedWithWhere() {
        EditorRig rig;
        rig.editor.addRule();
        rig.fillRule("(\\d+km", 2, "$1 kilometres");
        rig.ruleDialog()->accept();
        QCOMPARE(rig.prompts.messages.size(), 1);
        QVERIFY(rig.prompts.messages[0].text.contains("character 7"));
        QVERIFY(rig.ruleDialog()->isVisible()); // still open, to be mended
        rig.fillRule("(\\d+)km", 2, "$1 kilometres");
        rig.ruleDialog()->accept();
        QCOMPARE(rig.store.settings().rules.size(), 1);
        QCOMPARE(rig.store.settings().rules[0].match, PronunciationRule::Match::Pattern);
        QCOMPARE(loadPronunciationFile(rig.store.path()).settings.rules.size(), 1); // saved
    }

    void moveTestAndRemove() {
        EditorRig rig;
        PronunciationRule a, b;
        a.text = "Dr.";
        a.alias = "doctor";
        b.text = "NASA";
        b.say = PronunciationRule::Say::Spell;
        QString error;
        QVERIFY(rig.store.save({{a, b}, true}, &error));
        rig.editor.table()->setCurrentIndex(rig.editor.table()->model()->index(1, 0));
        rig.editor.moveRule(-1);
        QCOMPARE(rig.store.settings().rules[0].text, "NASA");
        QCOMPARE(rig.editor.currentRule(), 0);
        rig.editor.testRule();
        QCOMPARE(rig.voice.calls.last().text, "N A S A");
        rig.editor.removeRule();
        QCOMPARE(rig.store.settings().rules.size(), 1);
        QCOMPARE(rig.store.settings().rules[0].text, "Dr.");
    }

    void importAndExport() {
        EditorRig rig;
        const QString lexicon = rig.dir.filePath("names.pls");
        PronunciationRule w3c;
        w3c.text = "W3C";
        w3c.alias = "World Wide Web Consortium";
        QFile file(lexicon);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(writePlsLexicon({w3c}, "en", LexiconKind::Shared).bytes);
        file.close();
        rig.editor.findChild<QComboBox*>("importInto")->setCurrentIndex(2);
        rig.prompts.fileAnswers << lexicon;
        rig.editor.importLexicon();
        QCOMPARE(rig.store.settings().rules.size(), 1);
        QCOMPARE(rig.store.settings().rules[0].scope, PronunciationRule::Scope::Language);
        QCOMPARE(rig.store.settings().rules[0].scopeKey, "en");
        const QString exported = rig.dir.filePath("out.pls");
        rig.prompts.saveAnswers << exported;
        rig.editor.exportLexicon();
        QFile out(exported);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(readPlsLexicon(out.readAll(), LexiconKind::Shared).rules.size(), 1);
    }

    void everyControlIsNamed() {
        EditorRig rig;
        QVERIFY(!rig.editor.accessibleName().isEmpty());
        const auto controls = rig.editor.findChildren<QWidget*>();
        for (QWidget* control : controls) {
            const bool named =
                qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                qobject_cast<QComboBox*>(control) || qobject_cast<QTableView*>(control);
            if (named && control->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!control->accessibleName().isEmpty(),
                         qPrintable(control->metaObject()->className()));
        }
    }
};

QTEST_MAIN(TestPronunciationEditor)
#include "test_pronunciation_editor.moc"
