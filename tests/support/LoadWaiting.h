#pragma once
// Lets a reader window's background load finish: the loop sleeps until the worker's queued
// deliveries wake it, so nothing is timed.
#include "reader/ui/EnglishF.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace orasent::test {

inline void waitForLoad(EnglishF& reader) {
    while (reader.model().state() == ReaderState::Loading)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace orasent::test
