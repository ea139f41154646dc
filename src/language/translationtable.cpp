#include "language/translationtable.h"

#include "core/programdir.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace gravik {

namespace {

const char *const kBuiltIn[TranslationTable::StringCount] = {
    "Шрифт", // 1
    "Начертание", // 2
    "Размер текста", // 3
    "Добавить букву а", // 4
    "Выберите ученика", // 5
    "Ф", // 6
    "И", // 7
    "О", // 8
    "Год окончания", // 9
    "Название школы", // 10
    "Директор", // 11
    "Заместитель директора", // 12
    "Классный руководитель", // 13
    "Дата выдачи", // 14
    "Населенный пункт", // 15
    "Регистрационный номер", // 16
    "Отправить на печать", // 17
    "Заблокировать", // 18
    "Разблокировать", // 19
    "База учеников", // 20
    "Настройки", // 21
    "О программе", // 22
    "Обновить список", // 23
    "Школьный аттестат", // 24
    "Программа для печати текста на бланк аттестата.", // 25
    "Сохранить", // 26
    "Импортировать", // 27
    "ФИО левая сторона", // 28
    "ФИО правая сторона", // 29
    "Фамилия", // 30
    "Имя", // 31
    "Отчество", // 32
    "Инициалы классного рукоговодителя на русском и на казахском", // 33
    "Классный руководитель левая сторона", // 34
    "Классный руководитель правая сторона", // 35
    "Редактор перевода", // 36
    "Настройки программы", // 37
    "Язык программы", // 38
    "Русский", // 39
    "Казахский", // 40
    "Редактировать перевод", // 41
    "Настройки принтера", // 42
    "Установить принтер по умолчанию", // 43
    "Установить", // 44
    "Драйвер Кахахского языка", // 45
    "Установить драйвер Казахского языка", // 46
    "Печать данных", // 47
    "Под номером", // 48
    "Печать", // 49
    "Отмена", // 50
    "Версия:", // 51
    "Тел:", // 52
    "Операционные системы:", // 53
    "Оперативная память:", // 54
    "Дисковое пространство:", // 55
    "Программное обеспечение:", // 56
    "Адрес: проект Gravik", // 57
    "Ќаріп", // 58
    "Шрифт", // 59
    "Мјтін ґлшемі", // 60
    "А јрпін ќосыѕыз", // 61
    "Оќушыны таѕдаѕыз", // 62
    "Т", // 63
    "А", // 64
    "Ј", // 65
    "Аяќталу жылы", // 66
    "Мектеп аты", // 67
    "Директор", // 68
    "Директордыѕ орынбасары", // 69
    "Сынып жетекші", // 70
    "Берілген кїні", // 71
    "Елді мекен", // 72
    "Тіркеу нґмірі", // 73
    "Басып шыєаруєа жіберіѕіз", // 74
    "Блоктау", // 75
    "Блоктан шыєару", // 76
    "Оќушылардыѕ мјліметтер базасы", // 77
    "Параметрлер", // 78
    "Баєдарлама туралы", // 79
    "Тізімді жаѕарту", // 80
    "Мектеп аттестат", // 81
    "Сертификат бланкісінде мјтінді басып шыєаруєа арналєан баєдарлама.", // 82
    "Саќтау", // 83
    "Импорттау", // 84
    "Толыќ аты-жґні сол жаєында", // 85
    "Толыќ аты-жґні оѕ жаєында", // 86
    "Тегі", // 87
    "Аты", // 88
    "Јкесініѕ аты", // 89
    "Аударма редакторы", // 90
    "Баєдарлама параметрлері", // 91
    "Баєдарлама тілі", // 92
    "Орыс", // 93
    "Ќазаќ", // 94
    "Аударманы ґѕдеу", // 95
    "Принтер параметрлері", // 96
    "Орнату", // 97
    "Кахах тіліндегі жїргізуші", // 98
    "Деректерді басып шыєару", // 99
    "Нґмір астында", // 100
    "Мґр", // 101
    "Болдырмау", // 102
    "Нўсќа:", // 103
    "Тел:", // 104
    "ОЖ:", // 105
    "Жедел жад:", // 106
    "Диск кеѕістігі:", // 107
    "Баєдарламалыќ ќамтамасыз ету:", // 108
    "Орыс жјне ќазаќ тілдеріндегі сынып жетекшісініѕ бас јріптері", // 109
    "Сынып жетекшісі сол жаќта", // 110
    "Сынып жетекшісі оѕ жаќта", // 111
    "Јдепкі принтерді орнату", // 112
    "Ќазаќ тіліндегі драйверді орнатыѕыз", // 113
    "Мекенжай: Gravik жобасы", // 114
};

} // namespace

TranslationTable::TranslationTable() : m_lines(builtIn()) {}

const QStringList &TranslationTable::builtIn()
{
    static const QStringList lines = [] {
        QStringList l;
        l.reserve(StringCount);
        for (const char *s : kBuiltIn)
            l.append(QString::fromUtf8(s));
        return l;
    }();
    return lines;
}

int TranslationTable::kazakhLineOf(int ru)
{
    if ((ru >= 1 && ru <= 32) || ru == 57)
        return ru + 57;
    if (ru >= 36 && ru <= 42)
        return ru + 54;
    if (ru == 44 || ru == 45)
        return ru + 53;
    if (ru >= 47 && ru <= 56)
        return ru + 52;
    switch (ru) {
    case 33: return 109;
    case 34: return 110;
    case 35: return 111;
    case 43: return 112;
    case 46: return 113;
    default: return 0;
    }
}

int TranslationTable::russianLineOf(int kz)
{
    for (int ru = 1; ru <= RussianCount; ++ru)
        if (kazakhLineOf(ru) == kz)
            return ru;
    return 0;
}

QString TranslationTable::defaultPath()
{
    return programdir::file(QStringLiteral("data/languare.txt"));
}

TranslationTable TranslationTable::load(const QString &path, QString *problem)
{
    TranslationTable t;
    QString error;
    const auto lines = textfile::readLines(path, &error);
    const QString name = QDir::toNativeSeparators(path);
    QString what;
    if (!lines) {
        what = error;
    } else if (lines->isEmpty()) {
        what = QStringLiteral("Файл %1 пуст").arg(name);
    } else {
        const int n = int(std::min<qsizetype>(lines->size(), StringCount));
        for (int i = 0; i < n; ++i)
            t.m_lines[i] = lines->at(i);
        if (n < StringCount)
            what = QStringLiteral("В файле %1 %2 строк вместо %3; строки с %4 по %3")
                       .arg(name).arg(n).arg(StringCount).arg(n + 1);
    }
    if (problem) {
        if (what.isEmpty())
            problem->clear();
        else if (lines && !lines->isEmpty())
            *problem = what + QStringLiteral(" взяты из встроенной таблицы.");
        else
            *problem = what + QStringLiteral(". Используются встроенные строки интерфейса.");
    }
    return t;
}

bool TranslationTable::save(const QString &path, QString *error) const
{
    QStringList out;
    out.reserve(StringCount);
    for (const QString &s : m_lines)
        out.append(textfile::singleLine(s));
    QDir().mkpath(QFileInfo(path).absolutePath()); // a missing data folder is made again
    return textfile::writeLines(path, out, error);
}

} // namespace gravik
