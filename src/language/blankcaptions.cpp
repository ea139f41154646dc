#include "language/blankcaptions.h"

#include "language/addedcaptions.h"

namespace gravik::i18n {

namespace {
const CaptionPair kCaptions[] = {
    {"Выбрать изображение бланка…", "Бланк суретін таңдау…"},
    {"Показывать бланк под полями", "Бланкті өрістердің астында көрсету"},
    {"Сдвиг бланка…", "Бланктің ығысуы…"},
    {"Изображение бланка", "Бланк суреті"},
    {"Изображения (*.png *.jpg *.jpeg *.tif *.tiff)", "Суреттер (*.png *.jpg *.jpeg *.tif *.tiff)"},
    {"Сдвиг бланка", "Бланктің ығысуы"},
    {"Вправо, мм:", "Оңға, мм:"},
    {"Вниз, мм:", "Төмен, мм:"},
    {"Закрыть", "Жабу"},
};
} // namespace

QString blankCaption(BlankCaption which, const QString &code)
{
    return captionIn(kCaptions[int(which)], code);
}

} // namespace gravik::i18n
