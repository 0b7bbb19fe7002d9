#pragma once
// Synthesis for work read on several threads at once, as an export reads a book's sentences: a
// lane is one such thread's set of engines. An engine that allows more than one instance in a
// process gives each lane its own (Flite: a thread with voice objects of its own); one that does
// not is shared by every lane (espeak-ng keeps global state), so only one lane speaks with it at
// a time.
#include "engine/SynthesisWorker.h"

#include <QString>
#include <memory>

namespace orasent {

class SynthesisLane {
public:
    virtual ~SynthesisLane() = default;
    // The backend this lane reads `voiceIdentifier` with; it stays valid while the lane lives.
    // Forget the lane's owners on it before the lane is destroyed.
    virtual SynthesisBackend& backendFor(const QString& voiceIdentifier) = 0;
};

class SynthesisLanes {
public:
    virtual ~SynthesisLanes() = default;
    // Whether two lanes can synthesize this voice at the same time.
    virtual bool runsSideBySide(const QString& voiceIdentifier) const = 0;
    virtual std::unique_ptr<SynthesisLane> newLane() = 0;
};

// The engines inside this process: Flite's voices side by side, espeak-ng's through its one
// thread.
SynthesisLanes& localSynthesisLanes();

} // namespace orasent
