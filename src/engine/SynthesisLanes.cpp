#include "engine/SynthesisLanes.h"

#ifdef ORASENT_HAVE_FLITE
#include "engine/flite/FliteWorker.h"
#endif

namespace orasent {

namespace {

#ifdef ORASENT_HAVE_FLITE
bool isFlite(const QString& voiceIdentifier) {
    return voiceIdentifier.startsWith(QLatin1String("flite/"));
}
#endif

class LocalLane : public SynthesisLane {
public:
    SynthesisBackend& backendFor(const QString& voiceIdentifier) override {
#ifdef ORASENT_HAVE_FLITE
        if (isFlite(voiceIdentifier)) {
            if (!m_flite)
                m_flite = FliteWorker::create();
            return *m_flite;
        }
#endif
        return synthesisBackendFor(voiceIdentifier);
    }

private:
#ifdef ORASENT_HAVE_FLITE
    std::unique_ptr<FliteWorker> m_flite; // made on first use
#endif
};

class LocalLanes : public SynthesisLanes {
public:
    bool runsSideBySide(const QString& voiceIdentifier) const override {
#ifdef ORASENT_HAVE_FLITE
        return isFlite(voiceIdentifier);
#else
        Q_UNUSED(voiceIdentifier);
        return false;
#endif
    }
    std::unique_ptr<SynthesisLane> newLane() override {
        return std::make_unique<LocalLane>();
    }
};

} // namespace

SynthesisLanes& localSynthesisLanes() {
    static LocalLanes lanes;
    return lanes;
}

} // namespace orasent
