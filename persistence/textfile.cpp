#include "persistence/textfile.h"

#include <QHash>
#include <QStringDecoder>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace talomir::textfile {

namespace {

constexpr char kCodePage[] = "windows-1251";

bool missingCodecSimulated = false;

// Reverse table of the code page, built once from the decoder itself so that encoding is the
// exact inverse of decoding (every one of the 256 bytes has its own character).
const QHash<char16_t, char>& encodingTable() {
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
        QStringDecoder decoder(kCodePage);
        const QString chars = decoder.decode(all);
        if (chars.size() == 256) {
            for (int b = 0; b < 256; ++b) t.insert(chars[b].unicode(), static_cast<char>(b));
        }
        return t;
    }();
    return table;
}

}  // namespace

bool codecAvailable() {
    return !missingCodecSimulated && encodingTable().size() == 256;
}

void simulateMissingCodec(bool missing) {
    missingCodecSimulated = missing;
}

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isExponentMark(QChar c) {
    return c == u'e' || c == u'E' || c == u'd' || c == u'D';
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// One number found in a text: where it ends and its value.
struct Scan {
    qsizetype end = 0;  // index just after the number's last character
    bool found = false;
    double value = 0.0;
    bool outOfRange = false;  // the magnitude exceeds the double range
};

// Reads the longest number starting at pos: [sign] digits [separator digits] [exponent], where
// the exponent counts only with at least one digit. The value is converted with from_chars,
// which does not depend on the process locale (the toolkit sets the user's locale at start).
Scan scanNumber(QStringView text, qsizetype pos, bool commaToo) {
    Scan scan;
    std::string ascii;
    const qsizetype n = text.size();
    qsizetype i = pos;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    long long leadingIntegerDigits = 0;  // integer digits after leading zeros, for the magnitude
    bool seenSeparator = false;
    bool seenNonZero = false;
    long long leadingFractionZeros = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            ascii += static_cast<char>(c.unicode());
            ++mantissaDigits;
            if (c != u'0') {
                seenNonZero = true;
            } else if (seenSeparator && !seenNonZero) {
                ++leadingFractionZeros;
            }
            if (!seenSeparator && seenNonZero) ++leadingIntegerDigits;
        } else if (!seenSeparator && (c == u'.' || (commaToo && c == u','))) {
            seenSeparator = true;
            ascii += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return scan;
    scan.found = true;
    scan.end = i;
    long long exponent = 0;
    if (i < n && isExponentMark(text[i])) {
        qsizetype j = i + 1;
        bool negative = false;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            negative = text[j] == u'-';
            ++j;
        }
        if (j < n && isDigit(text[j])) {
            std::string digits;
            for (; j < n && isDigit(text[j]); ++j) {
                digits += static_cast<char>(text[j].unicode());
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j].unicode() - u'0');
            }
            if (negative) exponent = -exponent;
            ascii += negative ? "e-" : "e";
            ascii += digits;
            scan.end = j;
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value,
                                           std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Tell overflow from underflow by the decimal magnitude of the number.
        if (!seenNonZero) {
            value = 0.0;
        } else {
            const long long magnitude =
                (leadingIntegerDigits > 0 ? leadingIntegerDigits : -leadingFractionZeros) +
                exponent;
            if (magnitude > 0) {
                value = std::numeric_limits<double>::max();
                scan.outOfRange = true;
            } else {
                value = 0.0;
            }
            if (!ascii.empty() && ascii[0] == '-') value = -value;
        }
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    scan.value = value;
    return scan;
}

std::string shortestDigits(double value) {
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc()) return "0";
    return std::string(buffer.data(), end);
}

}  // namespace

// ---- Bytes and lines -------------------------------------------------------------------------

QString decode(QByteArrayView bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

QByteArray encode(QStringView text) {
    const QHash<char16_t, char>& table = encodingTable();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;  // one character outside the code page, one "?"
            bytes += '?';
            continue;
        }
        const auto it = table.constFind(c.unicode());
        bytes += it != table.constEnd() ? it.value() : '?';
    }
    return bytes;
}

QStringList splitLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != u'\r') continue;
        lines.append(text.sliced(start, i - start).toString());
        if (i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.sliced(start).toString());
    return lines;
}

QByteArray encodeLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

ReadResult readLines(const QString& path) {
    ReadResult result;
    if (!codecAvailable()) {
        result.status = ReadStatus::Unreadable;
        result.error = QStringLiteral("нет кодировки Windows-1251");
        return result;
    }
    filestore::Contents file = filestore::read(path);
    switch (file.found) {
        case filestore::Found::Nothing:
            result.status = ReadStatus::Missing;
            break;
        case filestore::Found::Refused:
            result.status = ReadStatus::Unreadable;
            result.error = file.error;
            break;
        case filestore::Found::File:
            result.status = ReadStatus::Read;
            result.lines = splitLines(decode(file.bytes));
            break;
    }
    return result;
}

bool writeLines(const QString& path, const QStringList& lines, QString* error,
                const filestore::SaveOptions& options) {
    if (!codecAvailable()) {
        if (error) *error = QStringLiteral("нет кодировки Windows-1251");
        return false;
    }
    return filestore::save(path, encodeLines(lines), error, options);
}

// ---- Printing --------------------------------------------------------------------------------

QString printInteger(std::int64_t value) {
    const QString digits = QString::number(value);
    return value < 0 ? digits + u' ' : u' ' + digits + u' ';
}

QString plainNumber(double value) {
    if (std::isnan(value) || value == 0.0) return QStringLiteral("0");
    if (std::isinf(value)) {
        value = std::copysign(std::numeric_limits<double>::max(), value);
    }
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return QString::number(static_cast<long long>(value));
    }
    return QString::fromLatin1(shortestDigits(value));
}

QString printNumber(double value) {
    const QString text = plainNumber(value);
    return text.startsWith(u'-') ? text + u' ' : u' ' + text + u' ';
}

QString printBoolean(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// ---- Reading ---------------------------------------------------------------------------------

double lenientNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (isBlank(text[i]) || text[i] == u'\n')) ++i;
    const Scan scan = scanNumber(text, i, false);
    return scan.found ? scan.value : 0.0;
}

std::optional<double> strictNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    const Scan scan = scanNumber(text, i, true);
    if (!scan.found || scan.outOfRange) return std::nullopt;
    for (qsizetype j = scan.end; j < text.size(); ++j) {
        if (!isBlank(text[j])) return std::nullopt;
    }
    return scan.value;
}

std::optional<bool> readBoolean(QStringView text) {
    const QStringView word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0 ||
        word.compare(u"#TRUE#", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (word.compare(u"False", Qt::CaseInsensitive) == 0 ||
        word.compare(u"#FALSE#", Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (const std::optional<double> number = strictNumber(text)) return *number != 0.0;
    return std::nullopt;
}

std::optional<std::int16_t> roundToInt16(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);  // half to even in the default rounding mode
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> roundToInt32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::optional<std::int16_t> readInteger16(QStringView text) {
    return roundToInt16(lenientNumber(text));
}

}  // namespace talomir::textfile
