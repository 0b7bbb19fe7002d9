#pragma once
// The reader's status line under the path box: short, lasting facts (the sleep timer's time
// left, a long load's progress), each part kept under a key of its own. Hidden while empty; a
// screen reader reaches it with Tab and hears each change.
#include <QLabel>
#include <QMap>
#include <QString>

namespace orasent {

class ReaderStatusLine : public QLabel {
    Q_OBJECT
public:
    explicit ReaderStatusLine(QWidget* parent = nullptr);

    // Sets the part under `key`; an empty text removes it.
    void setPart(const QString& key, const QString& text);
    QString part(const QString& key) const { return m_parts.value(key); }

private:
    QMap<QString, QString> m_parts;
};

} // namespace orasent
