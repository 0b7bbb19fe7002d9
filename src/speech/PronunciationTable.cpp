#include "speech/PronunciationTable.h"

namespace orasent {

PronunciationTable::PronunciationTable(QObject* parent) : QAbstractTableModel(parent) {}

void PronunciationTable::setRules(const QVector<PronunciationRule>& rules) {
    beginResetModel();
    m_rules = rules;
    endResetModel();
}

void PronunciationTable::setInlineSounds(std::function<QString(const QString&)> inlineSounds) {
    beginResetModel();
    m_inlineSounds = std::move(inlineSounds);
    endResetModel();
}

int PronunciationTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rules.size());
}

int PronunciationTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString PronunciationTable::kindText(const PronunciationRule& rule) {
    switch (rule.match) {
    case PronunciationRule::Match::Word:
        return QStringLiteral("Whole words");
    case PronunciationRule::Match::Anywhere:
        return QStringLiteral("Anywhere in a word");
    case PronunciationRule::Match::Pattern:
        break;
    }
    return QStringLiteral("Regular expression");
}

QString PronunciationTable::saidText(const PronunciationRule& rule) const {
    switch (rule.say) {
    case PronunciationRule::Say::Skip:
        return QStringLiteral("(skipped)");
    case PronunciationRule::Say::Spell:
        return QStringLiteral("(spelled)");
    case PronunciationRule::Say::Alias:
        return rule.alias;
    case PronunciationRule::Say::Sounds:
        break;
    }
    const QString sounds = QStringLiteral("/%1/").arg(rule.sounds);
    if (!m_inlineSounds || !m_inlineSounds(rule.sounds).isEmpty())
        return sounds;
    const QString instead = rule.alias.isEmpty() ? rule.text : rule.alias;
    return QStringLiteral("%1, which this voice cannot say: it reads \"%2\"").arg(sounds, instead);
}

QString PronunciationTable::appliesText(const PronunciationRule& rule) const {
    switch (rule.scope) {
    case PronunciationRule::Scope::Everywhere:
        return QStringLiteral("Every document");
    case PronunciationRule::Scope::Document:
        return rule.scopeKey.compare(QLatin1String(m_documentKey), Qt::CaseInsensitive) == 0 &&
                       !m_documentKey.isEmpty()
                   ? QStringLiteral("This document")
                   : QStringLiteral("Another document");
    case PronunciationRule::Scope::Language:
        break;
    }
    return QStringLiteral("Language %1").arg(rule.scopeKey);
}

QVariant PronunciationTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rules.size() ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    const PronunciationRule& rule = m_rules[index.row()];
    switch (index.column()) {
    case TextColumn:
        return rule.text;
    case SaidColumn:
        return saidText(rule);
    case KindColumn:
        return kindText(rule);
    case CaseColumn:
        return rule.matchCase ? QStringLiteral("Yes") : QStringLiteral("No");
    case AppliesColumn:
        return appliesText(rule);
    default:
        return {};
    }
}

QVariant PronunciationTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kTitles[] = {"Text", "Said as", "Kind", "Match case", "Applies to"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section])
                                                 : QVariant();
}

} // namespace orasent
