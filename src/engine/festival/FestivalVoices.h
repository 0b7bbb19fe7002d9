#pragma once
// Festival's voices as Orasent offers them: the installed ones of a fixed table, each named by
// what a listener hears, and the helper program that speaks them.
#include "engine/SpVoice.h"

#include <QString>
#include <QVector>

namespace orasent {

struct FestivalVoiceInfo {
    const char* identifier;  // "festival/cmu_us_slt_arctic_hts"
    const char* description; // "English (America), Festival, female (slt)"
    const char* language;    // BCP 47
    const char* folder;      // under Festival's voices folder
    const char* dataFile;    // in `folder`: without it the voice is not offered
    // The speed (1.0: the voice's own) at which it says about 175 words a minute, measured with
    // bench_voices over the shared sentences.
    double speedAt175;
};

const QVector<FestivalVoiceInfo>& festivalVoices();
const FestivalVoiceInfo* festivalVoiceInfo(const QString& identifier);
// Festival's voice name ("cmu_us_slt_arctic_hts") for an identifier.
QString festivalVoiceName(const QString& identifier);

// Debian's folder of Festival voices.
QString festivalVoicesFolder();
// The voices whose data is in `voicesFolder` (Debian's by default), in the table's order.
SpObjectTokens installedFestivalVoices(const QString& voicesFolder = festivalVoicesFolder());

// The helper program next to Orasent (or where the build put it), or "" when there is none.
QString festivalHelperProgram();

} // namespace orasent
