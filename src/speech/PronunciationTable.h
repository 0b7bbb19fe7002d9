#pragma once
// The rules as the editor's table shows them: Text, Said as, Kind, Match case, Applies to.
#include "speech/PronunciationRules.h"

#include <QAbstractTableModel>
#include <functional>

namespace orasent {

class PronunciationTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TextColumn, SaidColumn, KindColumn, CaseColumn, AppliesColumn, ColumnCount };

    explicit PronunciationTable(QObject* parent = nullptr);

    void setRules(const QVector<PronunciationRule>& rules);
    const QVector<PronunciationRule>& rules() const { return m_rules; }
    // The voice's inline sounds: a Sounds rule the voice cannot say shows what is read instead.
    void setInlineSounds(std::function<QString(const QString&)> inlineSounds);
    // The document being read, shown as "This document" in Applies to.
    void setDocumentKey(const QByteArray& key) { m_documentKey = key; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static QString kindText(const PronunciationRule& rule);
    QString saidText(const PronunciationRule& rule) const;
    QString appliesText(const PronunciationRule& rule) const;

private:
    QVector<PronunciationRule> m_rules;
    std::function<QString(const QString&)> m_inlineSounds;
    QByteArray m_documentKey;
};

} // namespace orasent
