#pragma once
// "Pronunciation Rule": one rule, added or edited. A rule that cannot be kept (an invalid
// regular expression) is refused at OK with where its error is.
#include "speech/PronunciationRules.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orasent {

class UserPrompts;

class RuleDialog : public QDialog {
    Q_OBJECT
public:
    RuleDialog(UserPrompts& prompts, const QByteArray& documentKey, const QString& language,
               QWidget* parent = nullptr);

    void setRule(const PronunciationRule& rule);
    PronunciationRule rule() const;

    void accept() override;

private:
    void showFields();

    UserPrompts& m_prompts;
    QByteArray m_documentKey;
    QString m_language;
    QString m_otherDocument; // a rule of another document keeps its key
    QLineEdit* m_text = nullptr;
    QComboBox* m_match = nullptr;
    QCheckBox* m_case = nullptr;
    QComboBox* m_say = nullptr;
    QLineEdit* m_alias = nullptr;
    QLineEdit* m_sounds = nullptr;
    QComboBox* m_applies = nullptr;
    QLineEdit* m_languageField = nullptr;
};

} // namespace orasent
