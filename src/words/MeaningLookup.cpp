#include "words/MeaningLookup.h"

namespace orasent {

MeaningLookup::MeaningLookup(bool ownThread, QObject* parent) : QObject(parent) {
    if (!ownThread)
        return;
    m_thread.setObjectName(QStringLiteral("WordNet"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

MeaningLookup::~MeaningLookup() {
    if (!m_worker)
        return;
    m_thread.quit();
    m_thread.wait();
}

int MeaningLookup::lookUp(const QString& word, const QString& language) {
    const int ticket = ++m_lastTicket;
    if (!m_worker) {
        const WordMeaning meaning = WordMeanings().lookUp(word, language);
        QMetaObject::invokeMethod(
            this, [this, ticket, meaning] { emit found(ticket, meaning); }, Qt::QueuedConnection);
        return ticket;
    }
    // The destructor waits for the thread, so `this` outlives every look-up that answers it.
    QMetaObject::invokeMethod(m_worker, [this, ticket, word, language] {
        const WordMeaning meaning = WordMeanings().lookUp(word, language);
        QMetaObject::invokeMethod(
            this, [this, ticket, meaning] { emit found(ticket, meaning); }, Qt::QueuedConnection);
    });
    return ticket;
}

} // namespace orasent
