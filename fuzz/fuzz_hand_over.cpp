// What a caller on the session bus hands to the running program: NUL bytes split the input into
// the request's strings; the same bytes are also read as a media player's URI and as a selection
// to speak.
#include "app/HandOver.h"
#include "app/SelectionText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList arguments;
    for (const QByteArray& part : bytes.split('\0'))
        arguments << QString::fromUtf8(part);
    QString why;
    const auto request = orasent::decodeHandOver(arguments, &why);
    if (!request && why.isEmpty())
        __builtin_trap(); // every refusal is logged with its reason
    if (request) {
        const auto again = orasent::decodeHandOver(orasent::encodeHandOver(*request));
        if (!again || again->kind != request->kind || again->file != request->file)
            __builtin_trap(); // what is accepted travels unchanged
    }
    // The same bytes as a media player's URI: a local file, or a short reason for the log.
    QString uriWhy;
    const QString uri = QString::fromUtf8(bytes);
    const std::optional<QString> file = orasent::fileOfUri(uri, &uriWhy);
    if (file ? file->isEmpty() || !uriWhy.isEmpty() : uriWhy.isEmpty() || uriWhy.size() > 500)
        __builtin_trap();
    if (orasent::elidedForNotice(uri).size() > 200)
        __builtin_trap();
    const orasent::SelectionSpeech speech =
        orasent::prepareSelection(QString::fromUtf8(bytes), orasent::SelectionSource::Selection);
    if (speech.text.size() > orasent::kLongestSelection ||
        (speech.text.isEmpty() && speech.notice.isEmpty()))
        __builtin_trap();
    return 0;
}
