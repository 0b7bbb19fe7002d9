#pragma once
// "Pronunciation": the table of pronunciation rules with Add, Edit, Remove, Move Up and Down,
// Test, Import and Export, a search box and the switch for the lexicons that books carry.
// Every change is saved at once; a save that fails changes nothing and says why.
#include "speech/PronunciationRules.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace orasent {

class PronunciationStore;
class PronunciationTable;
class RuleDialog;
class SpeakingCore;
class UserPrompts;

class PronunciationEditor : public QDialog {
    Q_OBJECT
public:
    PronunciationEditor(PronunciationStore& store, SpeakingCore& core, UserPrompts& prompts,
                        QWidget* parent = nullptr);

    // The document being read: "This document" rules are made for it.
    void setDocument(const QByteArray& key, const QString& language);
    // Type of the given size (the reader's, within reason); 0 leaves it.
    void setTypeSize(int pointSize);

    QTableView* table() const { return m_table; }
    // The source row of the table's current row, or -1.
    int currentRule() const;

    void addRule();
    void editRule();
    void removeRule();
    void moveRule(int step);
    void testRule();
    void importLexicon();
    void exportLexicon();

private:
    void buildControls();
    QPushButton* addButton(const QString& caption, const char* name);
    void showRules();
    bool saveRules(QVector<PronunciationRule> rules, int select = -1);
    void openRuleDialog(int row);
    void selectRule(int row);
    void updateButtons();

    PronunciationStore& m_store;
    SpeakingCore& m_core;
    UserPrompts& m_prompts;
    QByteArray m_documentKey;
    QString m_language;
    PronunciationTable* m_model = nullptr;
    QSortFilterProxyModel* m_filter = nullptr;
    QLineEdit* m_search = nullptr;
    QTableView* m_table = nullptr;
    QCheckBox* m_bookLexicons = nullptr;
    QComboBox* m_importInto = nullptr;
    QList<QPushButton*> m_rowButtons; // need a chosen rule
};

} // namespace orasent
