// Table codes: the eight characters that name an open table on a table server.
#pragma once

#include <QString>
#include <QStringView>

namespace tablecode {

// The characters a code is drawn from: no I, O, 0 or 1, which people misread.
inline constexpr char Alphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
inline constexpr int AlphabetSize = sizeof Alphabet - 1;
inline constexpr int Length = 8;

// The code in what a person typed or a peer sent: case is folded, dashes and spaces are
// dropped. Empty when the rest is not eight characters of the alphabet.
QString normalize(QStringView typed);

// The code as people see it: two groups of four, "K7Q2-M9XA". A text that is not a code
// comes back as it is.
QString display(const QString &code);

// Where c stands in the alphabet (0 to 31); -1 when it is not in it.
int alphabetIndex(QChar c);

} // namespace tablecode
