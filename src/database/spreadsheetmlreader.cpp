#include "database/spreadsheetmlreader.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"
#include "database/spreadsheetmlelements.h"
#include "database/spreadsheetmlnames.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <variant>

// expat checks the XML, the prefixes are resolved as its start tags come, and
// the element reader fills the workbook from its events. No DTD is read: a DOCTYPE stops the parse, so
// no entity but the five predefined ones and character references exists.
namespace gravik::spreadsheetml {

namespace {

using elements::ContentError;
using elements::Position;

// A file up to Whole bytes goes to expat in one piece: expat keeps a copy of
// what it is given, and counts lines and columns over each piece but the
// last, a tenth of the time it takes to read. A larger file goes a Block at a
// time, so that the copy stays small however large the file.
constexpr size_t Whole = 16 * 1024 * 1024;
constexpr size_t Block = 256 * 1024;

// What is at the place expat refused: a control character, bytes that are
// not UTF-8, a bare '&', or none of these.
enum class AtError { Other, Control, NotUtf8, Ampersand };

AtError whatIsAt(XML_Parser parser)
{
    int offset = 0, size = 0;
    const char *context = XML_GetInputContext(parser, &offset, &size);
    if (!context || offset >= size)
        return AtError::Other;
    const auto c = static_cast<unsigned char>(context[offset]);
    if (c < 0x20)
        return AtError::Control;
    if (offset > 0 && context[offset - 1] == '&')
        return AtError::Ampersand;
    if (c >= 0x80) {
        const QByteArrayView rest(context + offset, std::min(size - offset, 4));
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString first = utf8(rest);
        if (first.isEmpty() || first[0] == QChar::ReplacementCharacter)
            return AtError::NotUtf8;
    }
    return AtError::Other;
}

// Whether a '<' comes before the place expat refused.
bool tagBefore(XML_Parser parser)
{
    int offset = 0, size = 0;
    const char *context = XML_GetInputContext(parser, &offset, &size);
    return context && std::memchr(context, '<', size_t(std::min(offset, size)));
}

QString xmlErrorText(XML_Parser parser, bool rootSeen)
{
    const XML_Error code = XML_GetErrorCode(parser);
    switch (code) {
    case XML_ERROR_NO_MEMORY: return QStringLiteral("не хватило памяти");
    case XML_ERROR_NO_ELEMENTS:
        return rootSeen ? QStringLiteral("файл оборван: не все элементы закрыты")
                        : QStringLiteral("нет ни одного элемента: файл пуст или это не XML");
    case XML_ERROR_INVALID_TOKEN:
        switch (whatIsAt(parser)) {
        case AtError::Control: return QStringLiteral("управляющий символ недопустим в XML");
        case AtError::NotUtf8: return QStringLiteral("неверная последовательность байтов UTF-8");
        case AtError::Ampersand: return QStringLiteral("знак & записывается как &amp;");
        case AtError::Other: break;
        }
        return rootSeen || tagBefore(parser)
                   ? QStringLiteral("недопустимый знак: тег, атрибут или текст записан не по правилам XML")
                   : QStringLiteral("файл начинается не с тега: это не XML");
    case XML_ERROR_SYNTAX:
        return rootSeen || tagBefore(parser) ? QStringLiteral("синтаксическая ошибка: файл испорчен")
                                             : QStringLiteral("файл начинается не с тега: это не XML");
    case XML_ERROR_UNCLOSED_TOKEN: return QStringLiteral("файл оборван посреди тега");
    case XML_ERROR_PARTIAL_CHAR: return QStringLiteral("файл оборван посреди символа");
    case XML_ERROR_TAG_MISMATCH: return QStringLiteral("закрывающий тег не соответствует открывающему");
    case XML_ERROR_DUPLICATE_ATTRIBUTE: return QStringLiteral("атрибут повторён в одном теге");
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT: return QStringLiteral("после корневого элемента есть что-то ещё");
    case XML_ERROR_UNDEFINED_ENTITY:
        return QStringLiteral("неизвестная ссылка на сущность: знак & записывается как &amp;, а без DTD "
                              "известны только &amp; &lt; &gt; &quot; &apos;");
    case XML_ERROR_BAD_CHAR_REF: return QStringLiteral("ссылка на символ, недопустимый в XML");
    case XML_ERROR_MISPLACED_XML_PI: return QStringLiteral("объявление XML не в начале файла");
    case XML_ERROR_INCORRECT_ENCODING:
        return QStringLiteral("байты файла не в той кодировке, что названа в объявлении XML");
    case XML_ERROR_UNCLOSED_CDATA_SECTION: return QStringLiteral("раздел CDATA не закрыт");
    case XML_ERROR_XML_DECL: return QStringLiteral("испорчено объявление XML");
    default:
        return QStringLiteral("файл не является правильным XML (%1)").arg(QString::fromUtf8(XML_ErrorString(code)));
    }
}

// One parse: expat's callbacks go to the element reader. A fault of the
// content stops the reading but not the parse, as bytes that are not XML, or
// names that break the namespace rules, are the first thing to say.
class Parse
{
public:
    explicit Parse(const char *encoding)
        : m_parser(XML_ParserCreate(encoding)), m_reader([this] { return here(); })
    {
        if (!m_parser)
            throw std::bad_alloc();
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, onStart, onEnd);
        XML_SetCharacterDataHandler(m_parser, onText);
        XML_SetCdataSectionHandler(m_parser, onCdataStart, onCdataEnd);
        XML_SetCommentHandler(m_parser, onComment);
        XML_SetProcessingInstructionHandler(m_parser, onInstruction);
        XML_SetStartDoctypeDeclHandler(m_parser, onDoctype);
        XML_SetUnknownEncodingHandler(m_parser, onUnknownEncoding, this);
    }
    ~Parse() { XML_ParserFree(m_parser); }
    Parse(const Parse &) = delete;
    Parse &operator=(const Parse &) = delete;

    // Room for n bytes in expat's own buffer, to be parsed in one piece by
    // parseBuffer: what is read into it is not copied again.
    char *buffer(size_t n)
    {
        void *b = XML_GetBuffer(m_parser, int(n));
        if (!b)
            throw std::bad_alloc();
        return static_cast<char *>(b);
    }
    bool parseBuffer(size_t n) { return XML_ParseBuffer(m_parser, int(n), XML_TRUE) == XML_STATUS_OK; }

    // Gives expat all the bytes; false once it refuses them.
    bool feed(std::string_view bytes)
    {
        const size_t piece = bytes.size() <= Whole ? bytes.size() : Block;
        for (;;) {
            const size_t n = std::min(piece, bytes.size());
            if (XML_Parse(m_parser, bytes.data(), int(n), n == bytes.size()) != XML_STATUS_OK)
                return false;
            bytes.remove_prefix(n);
            if (bytes.empty())
                return true;
        }
    }

    // The workbook, or why there is none and where.
    std::variant<Workbook, ContentError> result(bool parsed)
    {
        if (m_fault && m_stopped)
            return *m_fault;
        if (!parsed) {
            const XML_Error code = XML_GetErrorCode(m_parser);
            if (code == XML_ERROR_UNKNOWN_ENCODING)
                return ContentError{
                    QStringLiteral("кодировка «%1» не поддерживается (нужна UTF-8)").arg(QString::fromUtf8(m_encoding)), {}};
            Position at = here();
            if (code == XML_ERROR_INVALID_TOKEN && whatIsAt(m_parser) == AtError::Ampersand)
                --at.column; // expat points past it
            return ContentError{xmlErrorText(m_parser, m_rootSeen), at};
        }
        if (m_fault)
            return *m_fault;
        try {
            return m_reader.finish();
        } catch (const ContentError &e) {
            return e;
        }
    }

private:
    Position here() const
    {
        return {int(XML_GetCurrentLineNumber(m_parser)), int(XML_GetCurrentColumnNumber(m_parser)) + 1};
    }

    // Runs a handler of the reader; what it refuses ends the reading.
    template <typename F>
    static void guarded(void *self, F f)
    {
        Parse &p = *static_cast<Parse *>(self);
        try {
            f(p.m_reader);
        } catch (const ContentError &e) {
            // The tags are still resolved, only for the namespace rules.
            p.m_fault = e;
            XML_SetCharacterDataHandler(p.m_parser, nullptr);
            XML_SetCdataSectionHandler(p.m_parser, nullptr, nullptr);
            XML_SetCommentHandler(p.m_parser, nullptr);
        } catch (const std::bad_alloc &) {
            p.stop(ContentError{QStringLiteral("не хватило памяти"), {}});
        }
    }

    void stop(const ContentError &e)
    {
        m_fault = e;
        m_stopped = true;
        XML_StopParser(m_parser, XML_FALSE);
    }

    static void onStart(void *self, const XML_Char *name, const XML_Char **attributes)
    {
        Parse &p = *static_cast<Parse *>(self);
        p.m_rootSeen = true;
        bool resolved = false;
        try {
            resolved = p.m_names.open(name, attributes);
        } catch (const std::bad_alloc &) {
            return p.stop(ContentError{QStringLiteral("не хватило памяти"), {}});
        }
        if (!resolved)
            return p.stop(ContentError{p.m_names.error(), p.here()});
        if (!p.m_fault)
            guarded(self, [&](elements::Reader &r) { r.start(p.m_names.name(), p.m_names.attributes()); });
    }
    static void onEnd(void *self, const XML_Char *)
    {
        Parse &p = *static_cast<Parse *>(self);
        p.m_names.close();
        if (!p.m_fault)
            guarded(self, [](elements::Reader &r) { r.end(); });
    }
    static void onText(void *self, const XML_Char *s, int length)
    {
        guarded(self, [&](elements::Reader &r) { r.text(s, length); });
    }
    static void onCdataStart(void *self)
    {
        guarded(self, [](elements::Reader &r) { r.cdataStart(); });
    }
    static void onCdataEnd(void *self)
    {
        guarded(self, [](elements::Reader &r) { r.cdataEnd(); });
    }
    static void onComment(void *self, const XML_Char *)
    {
        guarded(self, [](elements::Reader &r) { r.markup(); });
    }
    static void onInstruction(void *self, const XML_Char *target, const XML_Char *)
    {
        Parse &p = *static_cast<Parse *>(self);
        if (std::strchr(target, ':'))
            return p.stop(ContentError{QStringLiteral("в имени инструкции обработки «%1» не может быть двоеточия")
                                           .arg(QString::fromUtf8(target)),
                                       p.here()});
        if (!p.m_fault)
            guarded(self, [](elements::Reader &r) { r.markup(); });
    }

    static void onDoctype(void *self, const XML_Char *, const XML_Char *, const XML_Char *, int)
    {
        Parse &p = *static_cast<Parse *>(self);
        p.stop(ContentError{QStringLiteral("объявление DOCTYPE не допускается: книга SpreadsheetML "
                                           "обходится без DTD и сущностей"),
                            p.here()});
    }

    // The 8-bit encodings expat does not know itself, byte by byte.
    static int onUnknownEncoding(void *self, const XML_Char *name, XML_Encoding *info)
    {
        const QByteArray encoding = QByteArray(name).toLower();
        const bool windows1251 = encoding == "windows-1251" || encoding == "cp1251";
        if (!windows1251 && encoding != "latin1") {
            static_cast<Parse *>(self)->m_encoding = name;
            return XML_STATUS_ERROR;
        }
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const QString s = windows1251 ? cp1251::decode(QByteArrayView(&c, 1)) : QString(QChar(b));
            info->map[b] = s.size() == 1 && s[0] != QChar::ReplacementCharacter ? s[0].unicode() : -1;
        }
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        return XML_STATUS_OK;
    }

    XML_Parser m_parser;
    elements::Namespaces m_names;
    elements::Reader m_reader;
    std::optional<ContentError> m_fault;
    bool m_stopped = false; // at the fault, expat read no further
    bool m_rootSeen = false;
    QByteArray m_encoding; // the name of one expat could not read
};

std::optional<Workbook> failed(const ContentError &e, Error *error)
{
    if (error)
        *error = Error{e.message, e.at.line, e.at.line > 0 ? e.at.column : 0};
    return std::nullopt;
}

// UTF-32, which expat does not read, by its byte order mark or its first "<".
std::optional<QStringDecoder::Encoding> utf32(std::string_view d)
{
    using namespace std::string_view_literals;
    auto starts = [&](std::string_view p) { return d.substr(0, p.size()) == p; };
    if (starts("\xFF\xFE\0\0"sv) || starts("<\0\0\0"sv))
        return QStringDecoder::Utf32LE;
    if (starts("\0\0\xFE\xFF"sv) || starts("\0\0\0<"sv))
        return QStringDecoder::Utf32BE;
    return std::nullopt;
}

std::optional<Workbook> outcome(Parse &p, bool parsed, Error *error)
{
    auto r = p.result(parsed);
    if (const auto *e = std::get_if<ContentError>(&r))
        return failed(*e, error);
    return std::move(std::get<Workbook>(r));
}

std::optional<Workbook> parseAs(std::string_view data, const char *encoding, Error *error)
{
    Parse p(encoding);
    return outcome(p, p.feed(data), error);
}

std::optional<Workbook> parse(std::string_view data, Error *error)
{
    try {
        if (const auto wide = utf32(data)) {
            QStringDecoder decoder(*wide);
            const QByteArray utf8 = QString(decoder(QByteArrayView(data.data(), qsizetype(data.size())))).toUtf8();
            return parseAs(std::string_view(utf8.constData(), size_t(utf8.size())), "UTF-8", error);
        }
        return parseAs(data, nullptr, error);
    } catch (const std::bad_alloc &) {
        return failed(ContentError{QStringLiteral("не хватило памяти"), {}}, error);
    }
}

// A file that goes to expat in one piece is read straight into its buffer,
// so that it is in memory once. False when the file cannot be read.
bool parseRead(QFile &file, qint64 size, std::optional<Workbook> &book, Error *error)
{
    try {
        Parse p(nullptr);
        char *buffer = p.buffer(size_t(size));
        if (file.read(buffer, size) != size)
            return false;
        const std::string_view data(buffer, size_t(size));
        book = utf32(data) ? parse(data, error) : outcome(p, p.parseBuffer(data.size()), error);
    } catch (const std::bad_alloc &) {
        book = failed(ContentError{QStringLiteral("не хватило памяти"), {}}, error);
    }
    return true;
}

} // namespace

std::optional<Workbook> read(const QByteArray &input, Error *error)
{
    return parse(std::string_view(input.constData(), size_t(input.size())), error);
}

std::optional<Workbook> readFile(const QString &path, Error *error)
{
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = Error{};
            error->message = file.exists()
                                 ? fileOpenError(file, path)
                                 : QStringLiteral("Файл %1 не найден").arg(name);
        }
        return std::nullopt;
    }
    const auto cannotRead = [&]() -> std::optional<Workbook> {
        if (error) {
            *error = Error{};
            error->message = QStringLiteral("Не удалось прочитать файл %1: %2")
                                 .arg(name, fileFailureReason(errno, file.errorString()));
        }
        return std::nullopt;
    };
    const qint64 size = file.size();
    std::optional<Workbook> book;
    if (size > 0 && size <= qint64(Whole)) {
        if (!parseRead(file, size, book, error))
            return cannotRead();
    } else {
        // A larger file's pages as the system already holds them, so that it
        // is never all in memory twice; what cannot be mapped (a pipe) is read whole.
        const uchar *mapped = size > 0 ? file.map(0, size, QFileDevice::MapPrivateOption) : nullptr;
        QByteArray read;
        if (!mapped) {
            read = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return cannotRead();
        }
        book = parse(mapped ? std::string_view(reinterpret_cast<const char *>(mapped), size_t(size))
                            : std::string_view(read.constData(), size_t(read.size())),
                     error);
    }
    if (!book && error) {
        if (error->line > 0)
            error->message = QStringLiteral("Файл %1, строка %2, столбец %3: %4")
                                 .arg(name)
                                 .arg(error->line)
                                 .arg(error->column)
                                 .arg(error->message);
        else
            error->message = QStringLiteral("Файл %1: %2").arg(name, error->message);
    }
    return book;
}

} // namespace gravik::spreadsheetml
