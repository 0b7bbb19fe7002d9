#pragma once
// Runs of another script in a text that a Flite or Festival voice speaks (ForeignRuns.h): each
// is read by espeak-ng's voice for its language, and its audio and word events take the run's
// place in the engine's own stream. The voice tells once per document and language that
// espeak-ng's voice reads it.
#include "engine/ForeignRuns.h"
#include "engine/SynthesisWorker.h"

#include <QSet>
#include <QStringList>
#include <functional>

namespace orasent {

// How far a backend got with a part of a job.
enum class SpeechStep { Spoken, Cancelled, Failed };

// espeak-ng's voice that lists the language first, else any that lists it; "" when none.
QString espeakVoiceForLanguage(const QString& language);

// One run's audio, ready to go into the job's stream.
struct ForeignAudio {
    StreamChunk chunk; // the job's stream; word events at its frames and at places in job.text
    qint64 frames = 0; // the run's length
    qint64 usecs = 0;
};

// Synthesizes `run` of job.text on espeak-ng's thread (unpaced: a run is short) after
// `startFrame` of the job's stream, asking `cancelled` while it waits. Spoken with no audio when
// espeak-ng has no voice for the run's language.
SpeechStep speakForeignRun(const SynthesisJob& job, const ForeignRun& run, qint64 startFrame,
                           const std::function<bool()>& cancelled, ForeignAudio* audio,
                           QString* error);

// The notices of a voice whose texts may hold runs of another script.
class OtherScriptNotices {
public:
    // One notice for each language of the text's runs not told since the document began.
    QStringList take(const QString& text, bool xml);
    // A new document: each language is told again.
    void clear() { m_told.clear(); }

    static const char* const kNotice; // "%1 is read by espeak-ng's voice."

private:
    QSet<QString> m_told;
};

} // namespace orasent
