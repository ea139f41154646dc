#include "language/blankcaptions.h"

#include "language/languagecode.h"

namespace gravik::i18n {

namespace {
struct Pair {
    const char *russian, *kazakh;
};
const Pair kCaptions[] = {
    {"Выбрать изображение бланка…", "Бланк суретін таңдау…"},
    {"Показывать бланк под полями", "Бланкті өрістердің астында көрсету"},
    {"Сдвиг бланка…", "Бланктің ығысуы…"},
    {"Изображение бланка", "Бланк суреті"},
    {"Изображения (*.png *.jpg *.jpeg *.tif *.tiff)", "Суреттер (*.png *.jpg *.jpeg *.tif *.tiff)"},
    {"Сдвиг бланка", "Бланктің ығысуы"},
    {"Вправо, твипов (1440 на дюйм):", "Оңға, твип (дюймге 1440):"},
    {"Вниз, твипов (1440 на дюйм):", "Төмен, твип (дюймге 1440):"},
    {"Закрыть", "Жабу"},
};
} // namespace

QString blankCaption(BlankCaption which, const QString &code)
{
    const Pair &p = kCaptions[int(which)];
    return QString::fromUtf8(code == LanguageCode::Kazakh ? p.kazakh : p.russian);
}

} // namespace gravik::i18n
