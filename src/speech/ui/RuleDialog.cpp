#include "speech/ui/RuleDialog.h"

#include "common/ui/UserPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>

namespace orasent {

namespace {
// A field with its label; the label names the field for screen readers.
template <typename Field> Field* addRow(QFormLayout* form, const QString& caption, Field* field) {
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    QString name = caption;
    field->setAccessibleName(name.remove(u'&').remove(u':'));
    form->addRow(label, field);
    return field;
}
} // namespace

RuleDialog::RuleDialog(UserPrompts& prompts, const QByteArray& documentKey, const QString& language,
                       QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_documentKey(documentKey), m_language(language) {
    setObjectName(QStringLiteral("RuleDialog"));
    setWindowTitle(QStringLiteral("Pronunciation Rule"));
    setAccessibleName(windowTitle());
    auto* form = new QFormLayout(this);
    m_text = addRow(form, QStringLiteral("&Text:"), new QLineEdit);
    m_match = addRow(form, QStringLiteral("&Matches:"), new QComboBox);
    m_match->addItems({QStringLiteral("Whole words"), QStringLiteral("Anywhere in a word"),
                       QStringLiteral("Regular expression")});
    m_case = new QCheckBox(QStringLiteral("Match &case"));
    m_case->setAccessibleName(QStringLiteral("Match case"));
    form->addRow(QString(), m_case);
    m_say = addRow(form, QStringLiteral("&Say:"), new QComboBox);
    m_say->addItems({QStringLiteral("Say as"), QStringLiteral("Sounds (IPA)"),
                     QStringLiteral("Skip"), QStringLiteral("Spell")});
    m_alias = addRow(form, QStringLiteral("Said &as:"), new QLineEdit);
    m_alias->setToolTip(QStringLiteral("$1, $2 … put in what the groups of a regular "
                                       "expression matched"));
    m_sounds = addRow(form, QStringLiteral("S&ounds (IPA):"), new QLineEdit);
    m_applies = addRow(form, QStringLiteral("A&pplies to:"), new QComboBox);
    m_applies->addItems({QStringLiteral("Every document"), QStringLiteral("This document"),
                         QStringLiteral("One language")});
    // "This document" needs a document being read.
    if (auto* items = qobject_cast<QStandardItemModel*>(m_applies->model()))
        items->item(1)->setEnabled(!m_documentKey.isEmpty());
    m_languageField = addRow(form, QStringLiteral("&Language:"), new QLineEdit(language));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &RuleDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RuleDialog::reject);
    connect(m_say, &QComboBox::currentIndexChanged, this, &RuleDialog::showFields);
    connect(m_applies, &QComboBox::currentIndexChanged, this, &RuleDialog::showFields);
    showFields();
}

void RuleDialog::showFields() {
    const int say = m_say->currentIndex();
    m_alias->setEnabled(say <= 1); // a sounds rule's alias is what voices without sounds read
    m_sounds->setEnabled(say == 1);
    m_languageField->setEnabled(m_applies->currentIndex() == 2);
}

void RuleDialog::setRule(const PronunciationRule& rule) {
    m_text->setText(rule.text);
    m_match->setCurrentIndex(int(rule.match));
    m_case->setChecked(rule.matchCase);
    m_say->setCurrentIndex(int(rule.say));
    m_alias->setText(rule.alias);
    m_sounds->setText(rule.sounds);
    m_applies->setCurrentIndex(int(rule.scope));
    m_otherDocument.clear();
    if (rule.scope == PronunciationRule::Scope::Language)
        m_languageField->setText(rule.scopeKey);
    else if (rule.scope == PronunciationRule::Scope::Document)
        m_otherDocument = rule.scopeKey;
    showFields();
}

PronunciationRule RuleDialog::rule() const {
    PronunciationRule rule;
    rule.text = m_text->text();
    rule.match = PronunciationRule::Match(m_match->currentIndex());
    rule.matchCase = m_case->isChecked();
    rule.say = PronunciationRule::Say(m_say->currentIndex());
    rule.alias = m_alias->text();
    rule.sounds = m_sounds->text().trimmed();
    rule.scope = PronunciationRule::Scope(m_applies->currentIndex());
    if (rule.scope == PronunciationRule::Scope::Language)
        rule.scopeKey = m_languageField->text().trimmed();
    else if (rule.scope == PronunciationRule::Scope::Document)
        rule.scopeKey =
            m_documentKey.isEmpty() ? m_otherDocument : QString::fromLatin1(m_documentKey);
    return rule;
}

void RuleDialog::accept() {
    const PronunciationRule made = rule();
    QString problem = ruleProblem(made);
    if (problem.isEmpty() && made.scope == PronunciationRule::Scope::Document &&
        made.scopeKey.isEmpty())
        problem = QStringLiteral("No document is being read: choose where else the rule applies.");
    if (problem.isEmpty() && made.say == PronunciationRule::Say::Sounds && made.sounds.isEmpty())
        problem = QStringLiteral("Write the sounds in IPA, or choose another way to say it.");
    if (!problem.isEmpty()) {
        m_prompts.showMessage(this, problem, programTitle());
        m_text->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace orasent
