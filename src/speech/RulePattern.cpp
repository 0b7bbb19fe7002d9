#include "speech/RulePattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace orasent {

namespace {
// About a tenth of a second of backtracking on a slow machine, per search.
constexpr uint32_t kMatchLimit = 1000000;
constexpr uint32_t kDepthLimit = 10000;
constexpr int kMostMatches = 100000; // per text

pcre2_code* code(void* p) {
    return static_cast<pcre2_code*>(p);
}
} // namespace

RulePattern::RulePattern(const QString& pattern, bool matchCase) {
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const uint32_t options = PCRE2_UTF | PCRE2_UCP | (matchCase ? 0 : PCRE2_CASELESS);
    pcre2_code* compiled =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.utf16()), PCRE2_SIZE(pattern.size()),
                      options, &errorCode, &errorOffset, nullptr);
    if (!compiled) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(errorCode, message, 256);
        m_error = QStringLiteral("%1 at character %2")
                      .arg(QString::fromUtf16(reinterpret_cast<const char16_t*>(message)))
                      .arg(qulonglong(errorOffset) + 1);
        return;
    }
    pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE); // the interpreter stands in when it cannot
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_depth_limit(context, kDepthLimit);
    m_code = compiled;
    m_context = context;
}

RulePattern::~RulePattern() {
    pcre2_match_context_free(static_cast<pcre2_match_context*>(m_context));
    pcre2_code_free(code(m_code));
}

bool RulePattern::forEachMatch(
    const QString& text,
    const std::function<void(qsizetype, qsizetype, QStringList)>& found) const {
    if (!m_code)
        return true;
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code(m_code), nullptr);
    const auto subject = reinterpret_cast<PCRE2_SPTR>(text.utf16());
    const PCRE2_SIZE length = PCRE2_SIZE(text.size());
    PCRE2_SIZE from = 0;
    bool complete = true;
    for (int count = 0; from <= length && count < kMostMatches; ++count) {
        const int result = pcre2_match(code(m_code), subject, length, from, 0, data,
                                       static_cast<pcre2_match_context*>(m_context));
        if (result == PCRE2_ERROR_NOMATCH)
            break;
        if (result < 0) {
            complete = false;
            break;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        QStringList captures;
        for (int i = 0; i < result; ++i)
            captures.append(ovector[2 * i] == PCRE2_UNSET
                                ? QString()
                                : text.mid(qsizetype(ovector[2 * i]),
                                           qsizetype(ovector[2 * i + 1] - ovector[2 * i])));
        const PCRE2_SIZE start = ovector[0];
        const PCRE2_SIZE end = ovector[1];
        if (end > start)
            found(qsizetype(start), qsizetype(end - start), std::move(captures));
        // An empty match moves on by one character (both halves of a surrogate pair).
        from = end > start ? end : end + 1;
        if (from < length && from > 0 && QChar(text[qsizetype(from)]).isLowSurrogate())
            ++from;
    }
    pcre2_match_data_free(data);
    return complete;
}

} // namespace orasent
