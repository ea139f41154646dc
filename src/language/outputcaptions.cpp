#include "language/outputcaptions.h"

#include "language/languagecode.h"

namespace gravik::i18n {

namespace {
struct Pair {
    const char *russian, *kazakh;
};
const Pair kCaptions[] = {
    {"Напечатать аттестаты класса одним заданием (выделенные строки или весь список)",
     "Сынып аттестаттарын бір тапсырмамен басып шығару (белгіленген жолдар немесе бүкіл тізім)"},
    {"Сохранить аттестаты класса в PDF (выделенные строки или весь список)",
     "Сынып аттестаттарын PDF-ке сақтау (белгіленген жолдар немесе бүкіл тізім)"},
    {"Сохранить аттестат в PDF", "Аттестатты PDF-ке сақтау"},
    {"Просмотр страниц", "Беттерді қарау"},
    {"Страница %1 из %2", "%2 беттің %1-сі"},
    {"Назад", "Артқа"},
    {"Вперёд", "Алға"},
    {"Печать", "Басып шығару"},
    {"Сохранить", "Сақтау"},
    {"Отмена", "Болдырмау"},
    {"Готовятся страницы…", "Беттер дайындалуда…"},
};
} // namespace

QString outputCaption(OutputCaption which, const QString &code)
{
    const Pair &p = kCaptions[int(which)];
    return QString::fromUtf8(code == LanguageCode::Kazakh ? p.kazakh : p.russian);
}

} // namespace gravik::i18n
