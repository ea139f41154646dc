// gravik-print: the certificate, a pupil or a class to a PDF or a printer,
// without a window. Reads 1.txt, Baza.xml and data/printers.txt (the printers'
// own offsets) of the program directory; what goes to a printer is recorded
// in the register of blanks (data/register.sqlite), the only file it writes.
#include "core/printeroffsets.h"
#include "core/programdir.h"
#include "core/statefile.h"
#include "core/version.h"
#include "database/pupils.h"
#include "database/spreadsheetml.h"
#include "database/database.h"
#include "printing/printjob.h"
#include "register/issuing.h"
#include "register/registercsv.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

using namespace gravik;

namespace {

enum Exit { Done = 0, BadFiles = 1, BadArguments = 2, NotPrinted = 3 };

int fail(Exit code, const QString &message)
{
    std::fprintf(stderr, "gravik-print: %s\n", qUtf8Printable(message));
    return code;
}

// Qt's parser says what is wrong in English; the program says it in Russian.
QString parseError(const QCommandLineParser &parser, const QStringList &args)
{
    if (!parser.unknownOptionNames().isEmpty())
    {
        const QString name = parser.unknownOptionNames().first();
        return QStringLiteral("неизвестный параметр «%1%2»").arg(name.size() > 1 ? "--" : "-", name);
    }
    if (!args.isEmpty() && args.last().startsWith(QLatin1Char('-')))
        return QStringLiteral("у параметра «%1» нет значения").arg(args.last());
    return QStringLiteral("неверные параметры: %1").arg(parser.errorText());
}

QString noBlank()
{
    return QStringLiteral("не задан следующий бланк: укажите его серию и номер, например --blank \"ЖОБ 0012345\", "
                          "или задайте его в окне журнала бланков (для файла PDF бланк не нужен)");
}

} // namespace

int main(int argc, char *argv[])
{
    // No display: the pages are drawn all the same.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gravik-print"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GRAVIK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Печать аттестатов без окна: сертификат из 1.txt, ученик или класс из Baza.xml — "
                       "в файл PDF или одним заданием на принтер."));
    const QCommandLineOption dir = programdir::dirOption();
    const QCommandLineOption pupil(QStringLiteral("pupil"),
                                   QStringLiteral("Ученик, чья строка списка («Фамилия Имя Отчество») равна ENTRY."),
                                   QStringLiteral("ENTRY"));
    const QCommandLineOption all(QStringLiteral("all"), QStringLiteral("Все ученики списка, по странице на каждого."));
    const QCommandLineOption rows(QStringLiteral("rows"), QStringLiteral("Строки таблицы с FIRST по LAST, например 3-30."),
                                  QStringLiteral("FIRST-LAST"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Записать страницы в файл PDF."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption printer(QStringLiteral("printer"),
                                     QStringLiteral("Отправить одно задание на эту очередь CUPS (по умолчанию — "
                                                    "на принтер по умолчанию)."),
                                     QStringLiteral("QUEUE"));
    const QCommandLineOption blank(QStringLiteral("blank"),
                                   QStringLiteral("Серия и номер бланка, на который ляжет первая страница, например "
                                                  "«ЖОБ 0012345»; запоминается как следующий бланк (по умолчанию — "
                                                  "следующий бланк журнала)."),
                                   QStringLiteral("SERIES NUMBER"));
    const QCommandLineOption registerCsv(QStringLiteral("register-csv"),
                                         QStringLiteral("Записать журнал бланков в файл CSV и выйти."),
                                         QStringLiteral("FILE"));
    parser.addOptions({dir, pupil, all, rows, pdf, printer, blank, registerCsv});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    const QStringList args = QCoreApplication::arguments();
    if (!parser.parse(args))
        return fail(BadArguments, parseError(parser, args));
    if (parser.isSet(help))
        parser.showHelp(Done);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return fail(BadArguments, QStringLiteral("лишний аргумент «%1»").arg(parser.positionalArguments().first()));
    if (int(parser.isSet(pupil)) + int(parser.isSet(all)) + int(parser.isSet(rows)) > 1)
        return fail(BadArguments, QStringLiteral("можно указать только одно из --pupil, --all, --rows"));
    if (parser.isSet(pdf) && parser.isSet(printer))
        return fail(BadArguments, QStringLiteral("можно указать только одно из --pdf, --printer"));
    if (parser.isSet(pdf) && parser.isSet(blank))
        return fail(BadArguments, QStringLiteral("--blank не нужен с --pdf: файл PDF бланков не тратит"));
    std::optional<blanks::BlankNumber> firstBlank;
    if (parser.isSet(blank) && !(firstBlank = blanks::BlankNumber::parse(parser.value(blank))))
        return fail(BadArguments, QStringLiteral("--blank «%1»: нужны серия (буквы) и номер (цифры) бланка, "
                                                 "например --blank \"ЖОБ 0012345\"")
                                      .arg(parser.value(blank)));
    int first = 0, last = 0;
    if (parser.isSet(rows)) {
        static const QRegularExpression range(QStringLiteral("^(\\d{1,7})-(\\d{1,7})$"));
        const auto m = range.match(parser.value(rows));
        first = m.captured(1).toInt();
        last = m.captured(2).toInt();
        if (!m.hasMatch() || first < studentdb::FirstPupilRow || last < first)
            return fail(BadArguments, QStringLiteral("--rows %1: нужны строки учеников FIRST-LAST, от %2, "
                                                     "FIRST не больше LAST")
                                          .arg(parser.value(rows))
                                          .arg(studentdb::FirstPupilRow));
    }
    // The folder gravik would use; only read, so an installed copy's folder
    // is not filled here.
    programdir::setPath(programdir::choose(QCoreApplication::applicationDirPath(), parser.value(dir),
                                           QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                            .dir);

    blanks::Register reg;
    QObject::connect(&reg, &blanks::Register::movedAside, [](const QString &path, const QString &kept) {
        std::fprintf(stderr, "gravik-print: журнал бланков %s не читается; он сохранён как %s, начат новый\n",
                     qUtf8Printable(QDir::toNativeSeparators(path)), qUtf8Printable(QDir::toNativeSeparators(kept)));
    });
    if (parser.isSet(registerCsv)) {
        const QString path = QDir(parser.value(registerCsv)).absolutePath();
        QString error;
        if (!reg.use(&error))
            return fail(BadFiles, error);
        const auto entries = reg.entries();
        if (!blanks::writeCsv(path, entries, &error))
            return fail(NotPrinted, error);
        std::printf("Записей: %d, файл %s\n", int(entries.size()), qUtf8Printable(QDir::toNativeSeparators(path)));
        return Done;
    }

    StateFile::Error stateError;
    const auto state = StateFile::load(programdir::file(QStringLiteral("1.txt")), &stateError);
    if (!state)
        return fail(BadFiles, stateError.message);
    const Certificate base = Certificate::fromState(*state);

    std::vector<pupils::StudentRecord> pages;
    if (!parser.isSet(pupil) && !parser.isSet(all) && !parser.isSet(rows)) {
        pages.push_back(pupils::recordOf(base));
    } else {
        const QString bazaPath = programdir::file(QStringLiteral("Baza.xml"));
        spreadsheetml::Error bookError;
        const auto book = spreadsheetml::readFile(bazaPath, &bookError);
        if (!book)
            return fail(BadFiles, bookError.message);
        const Worksheet *sheet = book->active();
        if (!sheet)
            return fail(BadFiles, QStringLiteral("Файл %1: в книге нет листов").arg(QDir::toNativeSeparators(bazaPath)));
        if (parser.isSet(pupil)) {
            if (auto rec = pupils::find(*sheet, parser.value(pupil)))
                pages.push_back(std::move(*rec));
            else
                return fail(BadArguments, QStringLiteral("ученика «%1» нет в %2")
                                              .arg(parser.value(pupil), QDir::toNativeSeparators(bazaPath)));
        } else {
            pages = parser.isSet(all) ? pupils::listedPupils(*sheet) : pupils::rowRange(*sheet, first, last);
            if (pages.empty())
                return fail(BadArguments, QStringLiteral("в %1 нет учеников%2")
                                              .arg(QDir::toNativeSeparators(bazaPath),
                                                   parser.isSet(rows) ? QStringLiteral(" в строках %1").arg(parser.value(rows))
                                                                      : QString()));
        }
    }

    const auto write = pupils::classPages(base, pages);
    const int count = int(pages.size());
    if (parser.isSet(pdf)) {
        const QString path = QDir(parser.value(pdf)).absolutePath();
        QString error;
        if (!printing::writePages(path, printing::pdfSetup(), count, write, {}, &error))
            return fail(NotPrinted, error);
        std::printf("Страниц: %d, файл %s\n", count, qUtf8Printable(QDir::toNativeSeparators(path)));
        return Done;
    }
    const QString who = (pages[0][0] + u' ' + pages[0][1] + u' ' + pages[0][2]).simplified();
    const QString title = count > 1      ? QStringLiteral("Аттестаты: %1").arg(count)
                          : who.isEmpty() ? QStringLiteral("Аттестат")
                                          : QStringLiteral("Аттестат: %1").arg(who);
    printeroffsets::setReporter([](const QString &message) {
        std::fprintf(stderr, "gravik-print: %s\n", qUtf8Printable(message));
    });
    // Every page on a printer takes a numbered blank: which one must be known first.
    // Without a blank, a register that is not there yet is not made only to say so.
    QString error;
    if (!firstBlank && !QFileInfo::exists(reg.path()))
        return fail(BadArguments, noBlank());
    if (!reg.use(&error))
        return fail(BadFiles, error);
    if (!firstBlank && !reg.nextBlank())
        return fail(BadArguments, noBlank());
    const blanks::Issue issue = blanks::printOnBlanks(reg, blanks::classPages(base, pages), firstBlank, [&] {
        return printing::printPages(parser.value(printer), count, write, title);
    });
    const printing::Outcome &out = issue.out;
    if (!out.ok)
        return fail(NotPrinted, out.printer.isEmpty()
                                    ? QStringLiteral("страницы не напечатаны: %1").arg(out.error)
                                    : QStringLiteral("страницы не напечатаны на принтере «%1»: %2").arg(out.printer, out.error));
    if (!issue.notRecorded.isEmpty())
        return fail(NotPrinted, QStringLiteral("задание %1 отправлено на принтер «%2», но не записано в журнал "
                                               "бланков: %3")
                                    .arg(out.job)
                                    .arg(out.printer, issue.notRecorded));
    std::printf("Страниц: %d, принтер %s, задание %d, %s %s\n", count, qUtf8Printable(out.printer), out.job,
                issue.blanks.size() == 1 ? "бланк" : "бланки", qUtf8Printable(blanks::blanksText(issue.blanks)));
    return Done;
}
