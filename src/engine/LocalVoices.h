#pragma once
// The engines besides espeak-ng that speak inside the process, each built in only where its
// library was found when Orasent was configured.
#include "engine/SpVoice.h"

#include <memory>

namespace orasent {

// Flite's voices, or null without Flite.
std::unique_ptr<SpVoice> createFliteVoice(QObject* parent = nullptr);
// Their tokens (empty without Flite): Id "flite/cmu_us_rms", description as a listener hears it.
SpObjectTokens fliteVoiceTokens();
QString fliteLanguageOf(const QString& identifier);
// How the voice with `voiceIdentifier` says `ipa` inside a text (see SpVoice::inlineSounds),
// for speech made without a voice object (the export).
QString inlineSoundsFor(const QString& voiceIdentifier, const QString& ipa);

// Festival's voices (run by a helper process), or null without Festival.
std::unique_ptr<SpVoice> createFestivalVoice(QObject* parent = nullptr);
// The installed ones (empty without Festival): Id "festival/cmu_us_slt_arctic_hts".
SpObjectTokens festivalVoiceTokens();

// The engines above as one voice: Flite's voices, then Festival's; null when neither is built.
std::unique_ptr<SpVoice> createLocalVoice(QObject* parent = nullptr);
// Their tokens in that order.
SpObjectTokens localVoiceTokens();

// The clearest installed voice for a language ("en", "en-US"), among all voices that speak
// inside the process, or "" when only espeak-ng's speak it. See LocalVoices.cpp for the figures.
QString clearestVoiceFor(const QString& language);

} // namespace orasent
