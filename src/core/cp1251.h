#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit encoding of every text file of the program: code page 1251 with
// the sixteen Kazakh letters where the Kazakh code page KZ-1048 puts them
// (0x8D Қ, 0x9D қ, 0xA3 Ә, ...). Those bytes are the letters' stored forms: in
// code page 1251 they read Ќ ќ Ј ..., which is how older copies of the program
// and Baza.xml keep them. In memory every text holds the real Kazakh letters;
// all byte <-> text conversion goes through here.
namespace gravik::cp1251 {

// False when the system has no converter of code page 1251 (see systemDecode).
bool available();

// The system's own conversion of code page 1251 (ICU through Qt on Linux,
// the Windows code page itself on Windows; cp1251_posix.cpp,
// cp1251_windows.cpp); empty when the system has none.
QString systemDecode(const QByteArray &bytes);

// Stored bytes come back as Kazakh letters.
QString decode(QByteArrayView bytes);

// A Kazakh letter and the letter of code page 1251 that stands for it
// (Қ and Ќ) give the same byte; a character with no byte becomes '?'.
QByteArray encode(QStringView text);

// Each stand-in (Ќ ќ Ј ј Є є Ѕ ѕ Ґ ґ Ў ў Ї ї Ћ ћ) as the Kazakh letter it stands
// for; other characters unchanged. Changes text in place when it is not shared.
QString kazakhLetters(QString text);
void kazakhLetters(char16_t *text, qsizetype n); // the same, over characters in place

// The reverse, for text kept in code page 1251's Unicode letters (Baza.xml).
QString storedForms(QString text);

char32_t standInOf(char32_t letter);

// storedForms for one character, for writers that go a character at a time.
inline char32_t storedForm(char32_t c)
{
    return c - 0x0492u <= 0x04E9u - 0x0492u ? standInOf(c) : c;
}

// True when c has a byte.
bool encodable(QChar c);

// Drops every character without a byte and shows stand-ins as Kazakh letters;
// *dropped tells whether any went.
QString keepEncodable(QStringView text, bool *dropped = nullptr);

} // namespace gravik::cp1251
