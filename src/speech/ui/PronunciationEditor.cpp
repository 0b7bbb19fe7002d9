#include "speech/ui/PronunciationEditor.h"

#include "common/AtomicFile.h"
#include "common/ui/UserPrompts.h"
#include "speech/PlsLexicon.h"
#include "speech/PronunciationStore.h"
#include "speech/PronunciationTable.h"
#include "speech/SpeakingCore.h"
#include "speech/ui/RuleDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace orasent {

namespace {
const QString kLexiconFilter =
    QStringLiteral("Pronunciation lexicons (*.pls;*.xml)|*.pls;*.xml|All files (*.*)|*.*");
}

PronunciationEditor::PronunciationEditor(PronunciationStore& store, SpeakingCore& core,
                                         UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_store(store), m_core(core), m_prompts(prompts) {
    setObjectName(QStringLiteral("PronunciationEditor"));
    setWindowTitle(QStringLiteral("Pronunciation"));
    setAccessibleName(windowTitle());
    buildControls();
    connect(&m_store, &PronunciationStore::changed, this, &PronunciationEditor::showRules);
    showRules();
}

QPushButton* PronunciationEditor::addButton(const QString& caption, const char* name) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(caption).remove(u'&').remove(QStringLiteral("…")));
    button->setAutoDefault(false);
    return button;
}

void PronunciationEditor::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* searchRow = new QHBoxLayout;
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"));
    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setAccessibleName(QStringLiteral("Search"));
    searchLabel->setBuddy(m_search);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search);
    layout->addLayout(searchRow);

    m_model = new PronunciationTable(this);
    m_filter = new QSortFilterProxyModel(this);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("rules"));
    m_table->setAccessibleName(QStringLiteral("Pronunciation rules"));
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    layout->addWidget(m_table, 1);
    connect(m_search, &QLineEdit::textChanged, m_filter,
            &QSortFilterProxyModel::setFilterFixedString);
    connect(m_table, &QTableView::activated, this, [this] { editRule(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { updateButtons(); });

    auto* buttons = new QHBoxLayout;
    QPushButton* add = addButton(QStringLiteral("&Add…"), "add");
    QPushButton* edit = addButton(QStringLiteral("&Edit…"), "edit");
    QPushButton* remove = addButton(QStringLiteral("&Remove"), "remove");
    QPushButton* up = addButton(QStringLiteral("Move &Up"), "moveUp");
    QPushButton* down = addButton(QStringLiteral("Move &Down"), "moveDown");
    QPushButton* test = addButton(QStringLiteral("&Test"), "test");
    m_rowButtons = {edit, remove, up, down, test};
    for (QPushButton* b : {add, edit, remove, up, down, test})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &PronunciationEditor::addRule);
    connect(edit, &QPushButton::clicked, this, &PronunciationEditor::editRule);
    connect(remove, &QPushButton::clicked, this, &PronunciationEditor::removeRule);
    connect(up, &QPushButton::clicked, this, [this] { moveRule(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveRule(1); });
    connect(test, &QPushButton::clicked, this, &PronunciationEditor::testRule);

    auto* files = new QHBoxLayout;
    auto* intoLabel = new QLabel(QStringLiteral("Import &into:"));
    m_importInto = new QComboBox;
    m_importInto->setObjectName(QStringLiteral("importInto"));
    m_importInto->setAccessibleName(QStringLiteral("Import into"));
    m_importInto->addItems({QStringLiteral("Every document"), QStringLiteral("This document"),
                            QStringLiteral("The lexicon's language")});
    intoLabel->setBuddy(m_importInto);
    QPushButton* import = addButton(QStringLiteral("&Import…"), "import");
    QPushButton* exportButton = addButton(QStringLiteral("E&xport…"), "export");
    files->addWidget(intoLabel);
    files->addWidget(m_importInto);
    files->addWidget(import);
    files->addWidget(exportButton);
    files->addStretch();
    layout->addLayout(files);
    connect(import, &QPushButton::clicked, this, &PronunciationEditor::importLexicon);
    connect(exportButton, &QPushButton::clicked, this, &PronunciationEditor::exportLexicon);

    auto* bottom = new QHBoxLayout;
    m_bookLexicons = new QCheckBox(QStringLiteral("Use the &lexicons that books carry"));
    m_bookLexicons->setObjectName(QStringLiteral("bookLexicons"));
    m_bookLexicons->setAccessibleName(QStringLiteral("Use the lexicons that books carry"));
    QPushButton* close = addButton(QStringLiteral("&Close"), "close");
    bottom->addWidget(m_bookLexicons);
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);
    connect(m_bookLexicons, &QCheckBox::clicked, this, [this](bool on) {
        PronunciationSettings settings = m_store.settings();
        settings.bookLexicons = on;
        QString error;
        if (!m_store.save(settings, &error)) {
            m_prompts.showMessage(this, error, programTitle());
            m_bookLexicons->setChecked(!on);
        }
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(760, 480);
}

void PronunciationEditor::setDocument(const QByteArray& key, const QString& language) {
    m_documentKey = key;
    m_language = language;
    m_model->setDocumentKey(key);
    showRules();
}

void PronunciationEditor::setTypeSize(int pointSize) {
    if (pointSize <= 0)
        return;
    QFont type = font();
    type.setPointSize(qBound(10, pointSize, 28));
    setFont(type);
}

void PronunciationEditor::showRules() {
    const int row = currentRule();
    const SpeechContext context = m_core.speechContext(m_language, false);
    m_model->setInlineSounds(context.inlineSounds);
    m_model->setRules(m_store.settings().rules);
    m_bookLexicons->setChecked(m_store.settings().bookLexicons);
    selectRule(row);
}

int PronunciationEditor::currentRule() const {
    const QModelIndex current = m_filter->mapToSource(m_table->currentIndex());
    return current.isValid() ? current.row() : -1;
}

void PronunciationEditor::selectRule(int row) {
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex at = m_filter->mapFromSource(m_model->index(row, 0));
        m_table->setCurrentIndex(at);
        m_table->selectRow(at.row());
    }
    updateButtons();
}

void PronunciationEditor::updateButtons() {
    const bool chosen = currentRule() >= 0;
    for (QPushButton* button : m_rowButtons)
        button->setEnabled(chosen);
}

bool PronunciationEditor::saveRules(QVector<PronunciationRule> rules, int select) {
    PronunciationSettings settings = m_store.settings();
    settings.rules = std::move(rules);
    QString error;
    if (!m_store.save(settings, &error)) {
        m_prompts.showMessage(this, error, programTitle());
        return false;
    }
    selectRule(select);
    return true;
}

void PronunciationEditor::openRuleDialog(int row) {
    auto* dialog = new RuleDialog(m_prompts, m_documentKey, m_language, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFont(font());
    if (row >= 0)
        dialog->setRule(m_store.settings().rules.value(row));
    else if (!m_search->text().isEmpty())
        dialog->setRule([this] {
            PronunciationRule fresh;
            fresh.text = m_search->text();
            return fresh;
        }());
    connect(dialog, &QDialog::accepted, this, [this, dialog, row] {
        QVector<PronunciationRule> rules = m_store.settings().rules;
        if (row >= 0 && row < rules.size())
            rules[row] = dialog->rule();
        else
            rules.append(dialog->rule());
        saveRules(rules, row >= 0 ? row : int(rules.size()) - 1);
    });
    dialog->open();
}

void PronunciationEditor::addRule() {
    openRuleDialog(-1);
}

void PronunciationEditor::editRule() {
    if (currentRule() >= 0)
        openRuleDialog(currentRule());
}

void PronunciationEditor::removeRule() {
    const int row = currentRule();
    if (row < 0)
        return;
    QVector<PronunciationRule> rules = m_store.settings().rules;
    rules.removeAt(row);
    saveRules(rules, qMin(row, int(rules.size()) - 1));
}

void PronunciationEditor::moveRule(int step) {
    const int row = currentRule();
    QVector<PronunciationRule> rules = m_store.settings().rules;
    const int to = row + step;
    if (row < 0 || to < 0 || to >= rules.size())
        return;
    rules.swapItemsAt(row, to);
    saveRules(rules, to);
}

// Speaks the rule's text (or, for a pattern, what the search box holds) as the rule makes it.
void PronunciationEditor::testRule() {
    const int row = currentRule();
    if (row < 0)
        return;
    PronunciationRule rule = m_store.settings().rules.value(row);
    const QString text =
        rule.match == PronunciationRule::Match::Pattern && !m_search->text().isEmpty()
            ? m_search->text()
            : rule.text;
    rule.scope = PronunciationRule::Scope::Everywhere;
    const PronunciationRules one({rule});
    const QString said =
        applyPronunciation(text, text, &one, nullptr, m_core.speechContext(m_language, false));
    m_core.speak(said);
}

void PronunciationEditor::importLexicon() {
    OpenFileRequest request;
    request.title = QStringLiteral("Import Pronunciation Lexicon");
    request.filter = kLexiconFilter;
    const std::optional<QString> path = m_prompts.getOpenFileName(this, request);
    if (!path)
        return;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_prompts.showMessage(
            this, QStringLiteral("%1 could not be read: %2.").arg(*path, file.errorString()),
            programTitle());
        return;
    }
    LexiconRead read = readPlsLexicon(file.read(kMostLexiconBytes + 1), LexiconKind::Shared);
    if (!read.error.isEmpty()) {
        m_prompts.showMessage(this, read.error, programTitle());
        return;
    }
    const int into = m_importInto->currentIndex();
    for (PronunciationRule& rule : read.rules) {
        if (into == 1 && !m_documentKey.isEmpty()) {
            rule.scope = PronunciationRule::Scope::Document;
            rule.scopeKey = QString::fromLatin1(m_documentKey);
        } else if (into == 2 && !read.language.isEmpty()) {
            rule.scope = PronunciationRule::Scope::Language;
            rule.scopeKey = read.language;
        }
    }
    QVector<PronunciationRule> rules = m_store.settings().rules;
    const int first = int(rules.size());
    rules += read.rules;
    if (rules.size() > kMostRules)
        rules.resize(kMostRules);
    if (!saveRules(rules, first))
        return;
    QString told = QStringLiteral("%1 rules were imported.").arg(rules.size() - first);
    if (read.skipped > 0)
        told += QStringLiteral(" %1 entries say nothing Orasent can say (sounds in another "
                               "alphabet than IPA) and were left out.")
                    .arg(read.skipped);
    m_prompts.showMessage(this, told, programTitle());
}

void PronunciationEditor::exportLexicon() {
    SaveFileRequest request;
    request.title = QStringLiteral("Export Pronunciation Lexicon");
    request.path = QStringLiteral("Pronunciations-export.pls");
    request.filter = kLexiconFilter;
    const std::optional<QString> path = m_prompts.getSaveFileName(this, request);
    if (!path)
        return;
    const LexiconWrite written =
        writePlsLexicon(m_store.settings().rules, m_language, LexiconKind::Shared);
    QString error;
    if (!writeFileAtomically(*path, written.bytes, &error)) {
        m_prompts.showMessage(
            this, QStringLiteral("%1 could not be written: %2.").arg(*path, error), programTitle());
        return;
    }
    if (written.leftOut > 0)
        m_prompts.showMessage(this,
                              QStringLiteral("%1 regular expression rules have no form in a "
                                             "lexicon; they are in the file as comments.")
                                  .arg(written.leftOut),
                              programTitle());
}

} // namespace orasent
