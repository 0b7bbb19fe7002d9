#pragma once
// Speak() returns at once: a test that needs a text heard to its end speaks it here and goes on
// after the stream's EndStream.
#include "engine/SpVoice.h"

#include <QList>
#include <QTest>

namespace orasent::test {

// The stream, once its EndStream has arrived; 0 when it has not within `timeoutMs`.
inline int speakAndWait(SpVoice& voice, const QString& text, int flags = SVSFlagsAsync,
                        int timeoutMs = 60000) {
    QList<int> ended;
    QObject context;
    QObject::connect(&voice, &SpVoice::EndStream, &context,
                     [&ended](int stream, const QVariant&) { ended << stream; });
    const int stream = voice.Speak(text, flags);
    return QTest::qWaitFor([&] { return ended.contains(stream); }, timeoutMs) ? stream : 0;
}

} // namespace orasent::test
