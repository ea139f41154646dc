#include "registerwindow/registerwindow.h"

#include "core/programdir.h"
#include "language/languagefile.h"
#include "language/registercaptions.h"
#include "printing/printjob.h"
#include "register/registerbook.h"
#include "register/registercsv.h"
#include "widgets/dialogs.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "widgets/notices.h"
#include "widgets/windowregistry.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QVBoxLayout>

namespace gravik {

using i18n::RegisterCaption;
using i18n::registerCaption;

namespace {

const QDate kOpenDate(2000, 1, 1); // a date box at its minimum sets no bound

template <class W> W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QDateEdit *dateBox(QWidget *parent, const char *name)
{
    auto *d = named(new QDateEdit(parent), name);
    d->setCalendarPopup(true);
    d->setMinimumDate(kOpenDate);
    d->setSpecialValueText(QStringLiteral("—"));
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setDate(kOpenDate);
    return d;
}

QDate bound(const QDateEdit *d)
{
    return d->date() == kOpenDate ? QDate() : d->date();
}

} // namespace

RegisterWindow::RegisterWindow(blanks::Register &reg)
    : QWidget(nullptr, Qt::Window), m_register(reg), m_model(new blanks::RegisterModel(reg, this))
{
    setObjectName(QStringLiteral("Register"));
    m_language.setObjectName(QStringLiteral("Text9"));

    m_nextLabel = named(new QLabel(this), "Label1");
    m_series = named(new QLineEdit(this), "Text1");
    m_series->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\p{L}*")), m_series));
    m_digits = named(new QLineEdit(this), "Text2");
    m_digits->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(blanks::MaxDigits)), m_digits));
    m_setNext = named(new QPushButton(this), "SetNext");
    auto *next = new QHBoxLayout;
    next->addWidget(m_nextLabel);
    next->addWidget(m_series);
    next->addWidget(m_digits);
    next->addWidget(m_setNext);
    next->addStretch();

    m_fromLabel = named(new QLabel(this), "Label3");
    m_from = dateBox(this, "Date1");
    m_toLabel = named(new QLabel(this), "Label4");
    m_to = dateBox(this, "Date2");
    m_state = named(new QComboBox(this), "Combo1");
    m_state->addItems({QString(), QString(), QString(), QString()});
    m_searchLabel = named(new QLabel(this), "Label5");
    m_search = named(new QLineEdit(this), "Text3");
    m_search->setClearButtonEnabled(true);
    auto *filter = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{m_fromLabel, m_from, m_toLabel, m_to, m_state, m_searchLabel})
        filter->addWidget(w);
    filter->addWidget(m_search, 1);

    m_table = named(new QTableView(this), "Grid1");
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // Rows of one height: the view never measures the rows it does not show.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_gaps = named(new QLabel(this), "Label2");
    m_gaps->setWordWrap(true);
    m_gaps->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto button = [this](const char *name) { return named(new QPushButton(this), name); };
    m_spoil = button("Spoil");
    m_restore = button("Restore");
    m_writeOff = button("WriteOff");
    m_printBook = button("PrintBook");
    m_bookPdf = button("BookPdf");
    m_printAct = button("PrintAct");
    m_actPdf = button("ActPdf");
    m_csv = button("ExportCsv");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_spoil, m_restore, m_writeOff})
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton *b : {m_printBook, m_bookPdf, m_printAct, m_actPdf, m_csv})
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(next);
    layout->addLayout(filter);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_gaps);
    layout->addLayout(buttons);
    resize(fontMetrics().averageCharWidth() * 150, fontMetrics().height() * 36);

    connect(m_setNext, &QPushButton::clicked, this, &RegisterWindow::setNextBlank);
    connect(m_digits, &QLineEdit::returnPressed, this, &RegisterWindow::setNextBlank);
    connect(m_spoil, &QPushButton::clicked, this, &RegisterWindow::spoilSelected);
    connect(m_restore, &QPushButton::clicked, this, &RegisterWindow::restoreSelected);
    connect(m_writeOff, &QPushButton::clicked, this, &RegisterWindow::writeOffBlank);
    connect(m_printBook, &QPushButton::clicked, this, [this] { printBook(false); });
    connect(m_bookPdf, &QPushButton::clicked, this, [this] { printBook(true); });
    connect(m_printAct, &QPushButton::clicked, this, [this] { printAct(false); });
    connect(m_actPdf, &QPushButton::clicked, this, [this] { printAct(true); });
    connect(m_csv, &QPushButton::clicked, this, &RegisterWindow::exportCsv);
    for (QDateEdit *d : {m_from, m_to})
        connect(d, &QDateEdit::dateChanged, this, &RegisterWindow::applyFilter);
    connect(m_state, &QComboBox::currentIndexChanged, this, &RegisterWindow::applyFilter);
    connect(m_search, &QLineEdit::textChanged, this, &RegisterWindow::applyFilter);
    connect(&reg, &blanks::Register::changed, this, [this] {
        showNextBlank();
        showGaps();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        // Newest last, and in sight.
        if (m_model->rowCount() > 0)
            m_table->scrollToBottom();
    });
    applyLanguage(LanguageCode::Russian);
}

void RegisterWindow::creationStep()
{
    if (const auto c = languagefile::read(languagefile::defaultPath()))
        m_language.setText(*c);
    if (useRegister(m_register, this))
        m_model->refresh();
    showNextBlank();
    showGaps();
}

QString RegisterWindow::code() const
{
    return m_language.isKazakh() ? LanguageCode::Kazakh : LanguageCode::Russian;
}

void RegisterWindow::applyLanguage(const QString &c)
{
    auto caption = [&c](RegisterCaption which) { return registerCaption(which, c); };
    setWindowTitle(caption(RegisterCaption::Title));
    m_nextLabel->setText(caption(RegisterCaption::NextBlank));
    m_setNext->setText(caption(RegisterCaption::SetNext));
    m_fromLabel->setText(caption(RegisterCaption::From));
    m_toLabel->setText(caption(RegisterCaption::To));
    m_searchLabel->setText(caption(RegisterCaption::Search));
    const RegisterCaption states[] = {RegisterCaption::AllStates, RegisterCaption::Issued, RegisterCaption::Spoiled,
                                      RegisterCaption::WrittenOff};
    for (int i = 0; i < 4; ++i)
        m_state->setItemText(i, caption(states[i]));
    const std::pair<QPushButton *, RegisterCaption> buttons[] = {
        {m_spoil, RegisterCaption::Spoil},         {m_restore, RegisterCaption::Restore},
        {m_writeOff, RegisterCaption::WriteOff},   {m_printBook, RegisterCaption::PrintBook},
        {m_bookPdf, RegisterCaption::BookPdf},     {m_printAct, RegisterCaption::PrintAct},
        {m_actPdf, RegisterCaption::ActPdf},       {m_csv, RegisterCaption::ExportCsv}};
    for (const auto &[b, which] : buttons)
        b->setText(caption(which));
    m_model->setCaptions(i18n::registerColumns(c), i18n::stateNames(c));
    if (m_language.text() != c)
        m_language.setText(c);
    showGaps();
}

void RegisterWindow::changeEvent(QEvent *e)
{
    // gravik-print may have written meanwhile.
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && m_register.isOpen())
        m_model->refresh();
    QWidget::changeEvent(e);
}

void RegisterWindow::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    // The view knows its height only now: the newest entries are the ones in sight.
    m_table->scrollToBottom();
}

void RegisterWindow::applyFilter()
{
    blanks::Filter f;
    f.from = bound(m_from);
    f.to = bound(m_to);
    if (m_state->currentIndex() > 0)
        f.state = blanks::State(m_state->currentIndex() - 1);
    f.search = m_search->text();
    m_model->setFilter(f);
}

void RegisterWindow::showNextBlank()
{
    const auto next = m_register.isOpen() ? m_register.nextBlank() : std::nullopt;
    m_series->setText(next ? next->series : QString());
    m_digits->setText(next ? next->digits : QString());
}

void RegisterWindow::showGaps()
{
    QStringList runs;
    if (m_register.isOpen())
        for (const blanks::Gap &g : m_register.gaps())
            runs << blanks::runText(g.first, g.last);
    m_gaps->setText(runs.isEmpty() ? registerCaption(RegisterCaption::NoGaps, code())
                                   : registerCaption(RegisterCaption::Gaps, code()).arg(runs.join(QStringLiteral(", "))));
}

bool RegisterWindow::report(bool ok, const QString &error)
{
    if (!ok)
        notices::warning(this, error);
    return ok;
}

void RegisterWindow::setNextBlank()
{
    const auto blank = blanks::BlankNumber::of(m_series->text(), m_digits->text());
    if (!blank) {
        notices::warning(this, QStringLiteral("Серия бланка — буквы, номер — цифры, например ЖОБ 0012345."));
        return;
    }
    QString error;
    if (useRegister(m_register, this))
        report(m_register.setNextBlank(*blank, &error), error);
}

const blanks::Entry *RegisterWindow::selectedEntry() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_model->entry(rows.first().row());
}

void RegisterWindow::spoilSelected()
{
    const blanks::Entry *e = selectedEntry();
    if (!e || e->state != blanks::State::Issued) {
        notices::warning(this, QStringLiteral("Выберите в журнале запись выданного бланка."));
        return;
    }
    const qint64 id = e->id;
    const auto reason = Dialogs::current().text(this, registerCaption(RegisterCaption::Spoil, code()),
                                                registerCaption(RegisterCaption::Reason, code()), QString());
    if (!reason)
        return;
    if (reason->trimmed().isEmpty()) {
        notices::warning(this, QStringLiteral("Бланк не отмечен: укажите причину."));
        return;
    }
    QString error;
    report(m_register.spoil(id, *reason, &error), error);
}

void RegisterWindow::restoreSelected()
{
    const blanks::Entry *e = selectedEntry();
    if (!e || e->state != blanks::State::Spoiled) {
        notices::warning(this, QStringLiteral("Выберите в журнале запись испорченного бланка."));
        return;
    }
    QString error;
    report(m_register.restore(e->id, &error), error);
}

void RegisterWindow::writeOffBlank()
{
    if (!useRegister(m_register, this))
        return;
    const QString title = registerCaption(RegisterCaption::WriteOff, code());
    const auto next = m_register.nextBlank();
    const auto text = Dialogs::current().text(this, title, registerCaption(RegisterCaption::BlankPrompt, code()),
                                              next ? next->text() : QString());
    if (!text)
        return;
    const auto blank = blanks::BlankNumber::parse(*text);
    if (!blank) {
        notices::warning(this, QStringLiteral("Серия бланка — буквы, номер — цифры, например ЖОБ 0012345."));
        return;
    }
    const auto reason = Dialogs::current().text(this, title, registerCaption(RegisterCaption::Reason, code()), QString());
    if (!reason)
        return;
    if (reason->trimmed().isEmpty()) {
        notices::warning(this, QStringLiteral("Бланк не списан: укажите причину."));
        return;
    }
    QString error;
    report(m_register.writeOff(*blank, *reason, &error), error);
}

void RegisterWindow::printTable(const blanks::Table &table, bool toPdf)
{
    QString error;
    if (toPdf) {
        const QString path = choosePdfFile(this, table.title);
        if (path.isEmpty())
            return;
        const page::PageSetup setup = printing::pdfSetup();
        if (report(printing::writePages(path, setup, blanks::pageCount(table, setup), blanks::tablePages(table, setup),
                                        {}, &error),
                   error))
            inform(this, QStringLiteral("Сохранено в файл %1.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    // Plain paper through the same job as a certificate, without the printer's offset.
    QString printer;
    const auto setup = printing::defaultPrinterSetup(&printer, &error);
    if (!setup) {
        notices::warning(this, QStringLiteral("Не напечатано: %1").arg(error));
        return;
    }
    const printing::Outcome out = printing::sendPages(printer, *setup, blanks::pageCount(table, *setup),
                                                      blanks::tablePages(table, *setup), table.title);
    if (out.ok)
        inform(this, QStringLiteral("Отправлено на принтер «%1».").arg(out.printer));
    else
        notices::warning(this, QStringLiteral("Не напечатано на принтере «%1»: %2").arg(out.printer, out.error));
}

void RegisterWindow::printBook(bool toPdf)
{
    if (useRegister(m_register, this))
        printTable(blanks::bookTable(m_register.entries(m_model->filter()),
                                     registerCaption(RegisterCaption::BookTitle, code()), i18n::bookColumns(code())),
                   toPdf);
}

void RegisterWindow::printAct(bool toPdf)
{
    if (useRegister(m_register, this))
        printTable(blanks::actTable(m_register.entries(m_model->filter()),
                                    registerCaption(RegisterCaption::ActTitle, code()), i18n::actColumns(code()),
                                    i18n::stateNames(code())),
                   toPdf);
}

void RegisterWindow::exportCsv()
{
    if (!useRegister(m_register, this))
        return;
    QString path = Dialogs::current().saveFile(this, registerCaption(RegisterCaption::ExportCsv, code()),
                                               programdir::path(), QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QLatin1String(".csv");
    QString error;
    if (report(blanks::writeCsv(path, m_register.entries(m_model->filter()), &error), error))
        inform(this, QStringLiteral("Журнал сохранён в файл %1.").arg(QDir::toNativeSeparators(path)));
}

bool useRegister(blanks::Register &reg, QWidget *parent)
{
    if (reg.isOpen())
        return true;
    QString error;
    const bool ok = reg.use(&error);
    if (!ok)
        notices::warning(parent, QStringLiteral("Журнал бланков недоступен: %1").arg(error));
    return ok;
}

QString movedAsideMessage(const QString &path, const QString &kept)
{
    return QStringLiteral("Журнал бланков %1 не читается; он сохранён как %2, начат новый журнал. "
                          "Задайте следующий бланк заново.")
        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(kept));
}

void registerRegisterWindow(WindowRegistry &registry, blanks::Register &reg)
{
    registry.add<RegisterWindow>(WindowKind::Register, [&reg] { return new RegisterWindow(reg); });
    QObject::connect(&registry, &WindowRegistry::registered, &registry, [&registry](WindowKind kind, QWidget *w) {
        if (auto *window = kind == WindowKind::Register ? qobject_cast<RegisterWindow *>(w) : nullptr)
            followLanguage(registry, window, window->languageCode(),
                           [window](const QString &code) { window->applyLanguage(code); });
    });
}

void attachRegisterButton(QWidget &window, QWidget &parent, WindowRegistry &registry, const QString &name, int left,
                          int top, LanguageCode &code)
{
    // The window's other picture buttons turn normal over this one, and it over them.
    std::vector<std::pair<QString, HoverRule::Picture>> others;
    HoverTable table;
    for (ImageButton *b : window.findChildren<ImageButton *>()) {
        others.emplace_back(b->objectName(), HoverRule::Picture::Normal);
        table.push_back({b->objectName(), {{name, HoverRule::Picture::Normal}}});
    }
    auto *button = new ImageButton(name, QStringLiteral("register"), &parent);
    button->placeAt(left, top);
    others.emplace_back(name, HoverRule::Picture::Highlighted);
    table.push_back({name, others});
    for (const QWidget *background : {&window, &parent})
        table.push_back({background->objectName(), {{name, HoverRule::Picture::Normal}}});
    new HoverRouter(&window, table);
    auto tip = [button](const QString &c) { button->setToolTip(registerCaption(RegisterCaption::Title, c)); };
    tip(code.isKazakh() ? LanguageCode::Kazakh : LanguageCode::Russian);
    followLanguage(registry, button, code, tip);
    QObject::connect(button, &ImageButton::clicked, &registry, [&registry] { registry.show(WindowKind::Register); });
}

} // namespace gravik
