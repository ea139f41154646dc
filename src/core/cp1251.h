#pragma once

#include <QByteArray>
#include <QString>

// Code page 1251, the encoding of every text file of the program.
// All byte <-> text conversion goes through here.
namespace gravik::cp1251 {

// False when Qt was built without a windows-1251 converter.
bool available();

QString decode(QByteArrayView bytes);

// Folds the Unicode Kazakh letters into their stored forms first; a character
// with no byte in the code page becomes '?'.
QByteArray encode(QStringView text);

// Replaces Ә Ғ Қ Ң Ө Ұ Ү (both cases) by the letters that stand for them.
QString foldKazakh(QStringView text);

// True when c (after folding) has a byte in the code page.
bool encodable(QChar c);

// Folds, then drops every character without a byte; *dropped tells whether any went.
QString keepEncodable(QStringView text, bool *dropped = nullptr);

} // namespace gravik::cp1251
