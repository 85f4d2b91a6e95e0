#pragma once
// Text conventions shared by the game's two files (the hall of fame and the settings file):
// Windows-1251 bytes, lines ending at CR or CR LF, numbers printed with a sign position and a
// trailing blank, and the lenient and strict ways of reading them back. Files written by older
// copies of the program on other computers must keep reading the same, so these rules are fixed.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

#include "persistence/filestore.h"

namespace talomir::textfile {

// ---- Bytes and lines -------------------------------------------------------------------------

// Windows-1251 bytes to text. Every byte has a character, so this never fails.
QString decode(QByteArrayView bytes);

// Text to Windows-1251 bytes. A character the code page lacks becomes "?", as the system's own
// conversion does (never the SUB byte 0x1A, which older readers may take for the end of the file).
QByteArray encode(QStringView text);

// Splits text into lines: a line ends at CR or at CR LF; a lone LF belongs to its line. Text
// after the last line end is one more line; an empty text has no lines ("a\r\n" is one line).
QStringList splitLines(QStringView text);

// Encodes the lines with CR LF after each one (the last one too).
QByteArray encodeLines(const QStringList& lines);

enum class ReadStatus {
    Read,        // the file was read whole
    Missing,     // no file (nor anything else) at the path
    Unreadable,  // something is there but cannot or may not be read: permissions, a folder, a
                 // FIFO, a file far larger than the game's own, an I/O error, no code page
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    QStringList lines;  // empty unless status is Read
    QString error;      // the reason (in Russian) when status is not Read
};

// False when the platform lacks the Windows-1251 codec. Neither file is then read or written:
// read as nothing, the table would be replaced by the next entry alone.
bool codecAvailable();
// Tests make the codec unavailable (true) and available again (false).
void simulateMissingCodec(bool missing);

// Reads a whole Windows-1251 file as lines (see splitLines); see filestore::read for what is
// refused.
ReadResult readLines(const QString& path);

// Replaces (or creates) the file at path by encodeLines(lines), safely: see filestore::save.
// Returns false, with the reason in *error when given, on any failure or refusal.
bool writeLines(const QString& path, const QStringList& lines, QString* error = nullptr,
                const filestore::SaveOptions& options = {});

// ---- Printing --------------------------------------------------------------------------------

// The platform's number printing in files: a sign position (a blank, or "-" for a negative
// number), the digits, and one trailing blank: 1234 -> " 1234 ", -5 -> "-5 ".
QString printInteger(std::int64_t value);

// The same for a floating value, in the shortest form that reads back to the same value with
// lenientNumber and strictNumber: 2.5 -> " 2.5 ", 120.0 -> " 120 ", -0.25 -> "-0.25 ". Whole
// values below 1e15 are written as plain digits, larger or tiny ones with an exponent
// (" 1e+20 "). Negative zero is written as " 0 "; not-a-number as " 0 "; infinities as the
// largest finite value of their sign, so the file always holds a readable number.
QString printNumber(double value);

// A number as plain text, without blanks: 1234 -> "1234", 2.5 -> "2.5", -5 -> "-5" (the same
// digits as printNumber without its blanks).
QString plainNumber(double value);

// A Boolean as the file holds it: "True" or "False", never translated.
QString printBoolean(bool value);

// ---- Reading ---------------------------------------------------------------------------------

// The lenient reading (Val-like): leading blanks, tabs and line feeds are skipped; then an
// optional sign, digits with an optional "." decimal point, and an optional exponent ("E" or
// "D", either case, with an optional sign) are read up to the first character that cannot belong
// to the number. Returns 0 when there is no number ("abc", "", "-", "."); never fails. A
// magnitude beyond the double range reads as the largest finite value of its sign.
//   " 1234 " -> 1234; "-2500 " -> -2500; "12abc" -> 12; "1.5e3x" -> 1500; "1e" -> 1; "x5" -> 0.
double lenientNumber(QStringView text);

// The strict reading: the whole text must be one number, blanks and tabs around it allowed: an
// optional sign, digits with an optional decimal separator ("." or ",", so that files written
// under a comma locale read back), an optional exponent as above. At least one digit is needed.
// Returns nullopt for anything else ("", "12abc", "1 2", "1.2.3", "True") and for a magnitude
// beyond the double range.
std::optional<double> strictNumber(QStringView text);

// The Boolean reading: "True" / "False" in any case, also in the written-with-hash form
// "#TRUE#" / "#FALSE#", blanks around allowed; or a strict number, where 0 is False and any other
// number True. Returns nullopt for anything else (an empty line, "yes", "12abc").
std::optional<bool> readBoolean(QStringView text);

// Conversion of a floating value to a 16-bit signed integer, rounding half to even
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Returns nullopt when the rounded value lies outside
// -32768..32767 or the value is not finite.
std::optional<std::int16_t> roundToInt16(double value);

// The same for a 32-bit signed integer (-2147483648..2147483647).
std::optional<std::int32_t> roundToInt32(double value);

// The integer reading of the settings file: the lenient number, rounded half to even to 16 bits.
// "-2500 " -> -2500; "abc" -> 0; "2.5" -> 2; "40000" -> nullopt (an unreadable line).
std::optional<std::int16_t> readInteger16(QStringView text);

}  // namespace talomir::textfile
