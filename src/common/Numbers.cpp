#include "common/Numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace orasent {

double nearest(double x) {
    // The default floating-point environment rounds to nearest, ties to even.
    return std::nearbyint(x);
}

std::int64_t nearestInt(double x) {
    if (!std::isfinite(x))
        return 0;
    constexpr double limit = 9007199254740992.0; // 2^53
    const double r = nearest(x);
    if (r > limit)
        return static_cast<std::int64_t>(limit);
    if (r < -limit)
        return -static_cast<std::int64_t>(limit);
    return static_cast<std::int64_t>(r);
}

static bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
static bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

double numericPrefix(QStringView text, int* consumed) {
    if (consumed)
        *consumed = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    std::string number;
    qsizetype j = i;
    if (j < n && (text[j] == u'+' || text[j] == u'-'))
        number += char(text[j++].unicode());
    qsizetype digits = 0;
    while (j < n && isDigit(text[j])) {
        number += char(text[j++].unicode());
        ++digits;
    }
    if (j < n && text[j] == u'.') {
        qsizetype k = j + 1;
        qsizetype fraction = 0;
        std::string part = ".";
        while (k < n && isDigit(text[k])) {
            part += char(text[k++].unicode());
            ++fraction;
        }
        if (fraction > 0 || digits > 0) {
            number += part;
            digits += fraction;
            j = k;
        }
    }
    if (digits == 0)
        return 0.0;
    if (j < n && (text[j] == u'E' || text[j] == u'e' || text[j] == u'D' || text[j] == u'd')) {
        qsizetype k = j + 1;
        std::string exponent = "e";
        if (k < n && (text[k] == u'+' || text[k] == u'-'))
            exponent += char(text[k++].unicode());
        qsizetype expDigits = 0;
        while (k < n && isDigit(text[k])) {
            exponent += char(text[k++].unicode());
            ++expDigits;
        }
        if (expDigits > 0) {
            number += exponent;
            j = k;
        }
    }
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value))
        return 0.0;
    if (consumed)
        *consumed = int(qMin<qsizetype>(j, INT32_MAX));
    return value;
}

bool parseWholeNumber(QStringView text, double* value) {
    int used = 0;
    const double v = numericPrefix(text, &used);
    if (used == 0)
        return false;
    for (qsizetype i = used; i < text.size(); ++i)
        if (!isBlank(text[i]))
            return false;
    if (value)
        *value = v;
    return true;
}

QString plainDecimal(double value, int significantDigits) {
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    // Round to the wanted significant digits, then lay the digits out without an exponent.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significantDigits - 1, value);
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative)
        s.erase(0, 1);
    const auto ePos = s.find('e');
    const int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string mantissa;
    for (size_t i = 0; i < ePos; ++i)
        if (s[i] != '.')
            mantissa += s[i];
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    std::string out;
    if (exponent >= 0) {
        const size_t intDigits = size_t(exponent) + 1;
        if (mantissa.size() <= intDigits) {
            out = mantissa + std::string(intDigits - mantissa.size(), '0');
        } else {
            out = mantissa.substr(0, intDigits) + "." + mantissa.substr(intDigits);
        }
    } else {
        out = "0." + std::string(size_t(-exponent - 1), '0') + mantissa;
    }
    if (negative && out != "0")
        out.insert(out.begin(), '-');
    return QString::fromLatin1(out.c_str());
}

QString formatSigned(double value, int significantDigits) {
    const QString digits = plainDecimal(value, significantDigits);
    return digits.startsWith(u'-') ? digits : QLatin1Char(' ') + digits;
}

QString formatStateNumber(double value) {
    return formatSigned(value, 15) + QLatin1Char(' ');
}

bool fitsInt16(double value) {
    if (!std::isfinite(value))
        return false;
    const double r = nearest(value);
    return r >= -32768.0 && r <= 32767.0;
}

} // namespace orasent
