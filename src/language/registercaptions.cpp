#include "language/registercaptions.h"

#include "language/addedcaptions.h"

namespace gravik::i18n {

namespace {

const CaptionPair kCaptions[] = {
    {"Журнал бланков", "Бланктер журналы"},
    {"Следующий бланк:", "Келесі бланк:"},
    {"Задать", "Белгілеу"},
    {"С даты:", "Басталу күні:"},
    {"По дату:", "Аяқталу күні:"},
    {"Все", "Барлығы"},
    {"выдан", "берілді"},
    {"испорчен", "бүлінген"},
    {"списан", "есептен шығарылған"},
    {"Поиск:", "Іздеу:"},
    {"Пропуски: %1", "Өткізілген нөмірлер: %1"},
    {"Пропусков нет", "Өткізілген нөмірлер жоқ"},
    {"Испорчен…", "Бүлінген…"},
    {"Снять отметку", "Белгіні алу"},
    {"Списать бланк…", "Бланкті есептен шығару…"},
    {"Печать книги", "Кітапты басып шығару"},
    {"Книга в PDF", "Кітап PDF-ке"},
    {"Печать акта", "Актіні басып шығару"},
    {"Акт в PDF", "Акт PDF-ке"},
    {"Экспорт в CSV", "CSV-ге экспорттау"},
    {"Книга регистрации выданных аттестатов", "Берілген аттестаттарды тіркеу кітабы"},
    {"Акт списания испорченных и неиспользованных бланков",
     "Бүлінген және пайдаланылмаған бланктерді есептен шығару актісі"},
    {"Причина", "Себебі"},
    {"Серия и номер бланка", "Бланктің сериясы мен нөмірі"},
    {"Бланк: %1", "Бланк: %1"},
    {"Бланк не задан", "Бланк көрсетілмеген"},
};

QStringList both(const std::initializer_list<CaptionPair> &pairs, const QString &code)
{
    QStringList out;
    for (const CaptionPair &p : pairs)
        out << captionIn(p, code);
    return out;
}

} // namespace

QString registerCaption(RegisterCaption which, const QString &code)
{
    return captionIn(kCaptions[int(which)], code);
}

QStringList registerColumns(const QString &code)
{
    return both({{"№", "№"},
                 {"Бланк", "Бланк"},
                 {"Дата", "Күні"},
                 {"Фамилия", "Тегі"},
                 {"Имя", "Аты"},
                 {"Отчество", "Әкесінің аты"},
                 {"Рег. номер", "Тіркеу нөмірі"},
                 {"Принтер", "Принтер"},
                 {"Задание", "Тапсырма"},
                 {"Состояние", "Күйі"},
                 {"Причина", "Себебі"}},
                code);
}

QStringList bookColumns(const QString &code)
{
    return both({{"№ п/п", "Р/с №"},
                 {"Фамилия, имя, отчество", "Тегі, аты, әкесінің аты"},
                 {"Регистрационный номер", "Тіркеу нөмірі"},
                 {"Серия и номер бланка", "Бланктің сериясы мен нөмірі"},
                 {"Дата выдачи", "Берілген күні"},
                 {"Подпись получателя", "Алушының қолы"}},
                code);
}

QStringList actColumns(const QString &code)
{
    return both({{"№ п/п", "Р/с №"},
                 {"Серия и номер бланка", "Бланктің сериясы мен нөмірі"},
                 {"Дата", "Күні"},
                 {"Фамилия, имя, отчество", "Тегі, аты, әкесінің аты"},
                 {"Состояние", "Күйі"},
                 {"Причина", "Себебі"}},
                code);
}

QStringList stateNames(const QString &code)
{
    return {registerCaption(RegisterCaption::Issued, code), registerCaption(RegisterCaption::Spoiled, code),
            registerCaption(RegisterCaption::WrittenOff, code)};
}

} // namespace gravik::i18n
