#pragma once
// Looks meanings up on a thread of its own, since WordNet's library keeps global state: every
// look-up of the process runs there, one after the other, and the answer comes back queued.
#include "words/WordMeanings.h"

#include <QObject>
#include <QThread>

namespace orasent {

class MeaningLookup : public QObject {
    Q_OBJECT
public:
    // `ownThread` false: look-ups run at once on the calling thread (tests, one thread only).
    explicit MeaningLookup(bool ownThread = true, QObject* parent = nullptr);
    ~MeaningLookup() override;

    // Returns the ticket that `found` will carry.
    int lookUp(const QString& word, const QString& language);

signals:
    void found(int ticket, const orasent::WordMeaning& meaning);

private:
    QThread m_thread;
    QObject* m_worker = nullptr; // lives on m_thread
    int m_lastTicket = 0;
};

} // namespace orasent
