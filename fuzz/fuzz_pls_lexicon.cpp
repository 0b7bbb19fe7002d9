// A shared PLS lexicon (an import, or one an EPUB carries) on arbitrary bytes, and the rules
// made of it applied to a text with their sounds.
#include "engine/EspeakSounds.h"
#include "speech/PlsLexicon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const orasent::LexiconRead read = orasent::readPlsLexicon(bytes, orasent::LexiconKind::Shared);
    if (!read.error.isEmpty() && !read.rules.isEmpty())
        __builtin_trap();
    const orasent::PronunciationRules rules(read.rules);
    orasent::SpeechContext context;
    context.xml = true;
    context.inlineSounds = [](const QString& ipa) { return orasent::espeakPhonemeInput(ipa); };
    orasent::TextEdits edits;
    const QString text = QStringLiteral("Queequeg and Ahab read the W3C lexicon.");
    const QString said = orasent::applyPronunciation(text, {}, nullptr, &rules, context, &edits);
    const auto [start, length] = edits.originalSpan(0, int(said.size()));
    if (start < 0 || start + length > text.size())
        __builtin_trap(); // the band stays inside the text as written
    return 0;
}
