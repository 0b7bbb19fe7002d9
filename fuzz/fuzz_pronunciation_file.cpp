// The rules file "Pronunciations.pls" on arbitrary bytes: read, compiled, applied to a text,
// written and read back to the same rules.
#include "FuzzInput.h"
#include "speech/PlsLexicon.h"
#include "speech/PronunciationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeTemporaryFile(data, size);
    const orasent::PronunciationLoad load = orasent::loadPronunciationFile(path);
    if (!load.problem.isEmpty() && !load.settings.rules.isEmpty())
        __builtin_trap(); // a file that could not be used gives no rules
    const orasent::PronunciationRules rules(load.settings.rules);
    (void)orasent::applyPronunciation(QStringLiteral("Dr. Ahab [1] met NASA at 12km."), {}, &rules,
                                      nullptr, {});
    const orasent::LexiconWrite written = orasent::writePlsLexicon(
        load.settings.rules, {}, orasent::LexiconKind::RulesFile, load.settings.bookLexicons);
    const orasent::LexiconRead again =
        orasent::readPlsLexicon(written.bytes, orasent::LexiconKind::RulesFile);
    if (!again.error.isEmpty() || again.rules.size() != load.settings.rules.size())
        __builtin_trap(); // what is written reads back
    return 0;
}
