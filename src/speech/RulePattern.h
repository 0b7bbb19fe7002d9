#pragma once
// A pronunciation pattern matched through PCRE2 directly: the same syntax as QRegularExpression,
// but with a bounded effort that is reported when it runs out (a pattern such as "(a+)+$" on a
// long run of a's), where QRegularExpression would quietly find nothing.
#include <QString>
#include <QStringList>
#include <functional>

namespace orasent {

class RulePattern {
public:
    RulePattern(const QString& pattern, bool matchCase);
    ~RulePattern();
    RulePattern(const RulePattern&) = delete;
    RulePattern& operator=(const RulePattern&) = delete;

    bool isValid() const { return m_code != nullptr; }
    QString error() const { return m_error; }

    // Calls `found` for each match, left to right, without overlaps (captures[0] is the whole
    // match). False when the effort limit ended the search early.
    bool forEachMatch(const QString& text,
                      const std::function<void(qsizetype start, qsizetype length,
                                               QStringList captures)>& found) const;

private:
    void* m_code = nullptr;    // pcre2_code_16
    void* m_context = nullptr; // pcre2_match_context_16
    QString m_error;
};

} // namespace orasent
