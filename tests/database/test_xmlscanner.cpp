// The scanner reads sixteen bytes at a time where it can and byte by byte near
// the end of the file: both ways give the same tokens for every byte value.
#include "database/xmlscanner.h"

#include <QtTest>

#include <set>
#include <string>
#include <vector>

using namespace gravik;

namespace {

// What the first token of bytes is: its kind, name or text, plainness, or
// the error and where.
std::string firstToken(const std::string &bytes)
{
    xml::Scanner s(bytes);
    try {
        switch (s.next()) {
        case xml::Scanner::Token::Start: {
            std::string out = "start " + std::string(s.name());
            for (const auto &a : s.attributes())
                out += " " + std::string(a.name) + "=" + std::string(a.raw) + (a.plain ? "" : " (decode)");
            return out;
        }
        case xml::Scanner::Token::Text:
            return "text " + std::string(s.text()) + (s.textIsPlain() ? "" : " (decode)");
        default: return "other";
        }
    } catch (const xml::SyntaxError &e) {
        return e.offset == bytes.size() ? "error at the end" : "error at " + std::to_string(e.offset);
    }
}

} // namespace

class XmlScannerTest : public QObject
{
    Q_OBJECT
private slots:
    void wideAndNarrowScansAgree()
    {
        const std::string tail(40, ' '); // room for the wide scan
        int differing = 0, kinds = 0;
        std::set<std::string> seen;
        for (int b = 1; b < 256; ++b) {
            const std::string c(1, char(b));
            for (size_t k = 0; k <= 8; ++k) {
                const std::string run(k, 'n');
                // A name, an attribute value and a text with the byte in them.
                for (const std::string &doc : {"<" + run + c + " a='v'/>", "<a " + run + c + "='v'/>",
                                               "<a n='" + run + c + "'/>", run + c + "x<a/>"}) {
                    const std::string narrow = firstToken(doc), wide = firstToken(doc + tail);
                    if (narrow != wide && ++differing < 5)
                        qWarning("byte %d in %s: %s against %s", b, doc.c_str(), narrow.c_str(), wide.c_str());
                    kinds += seen.insert(narrow.substr(0, 5)).second;
                }
            }
        }
        QCOMPARE(differing, 0);
        QCOMPARE(kinds, 3); // start tags, texts and errors were all among them
    }

    void siblingsNamedAlikeOrNot()
    {
        // Each tag read after its siblings gives what it gives read alone,
        // the names and where their prefixes end.
        const std::vector<std::string> tags = {"<ab x='1'/>", "<ab x='1'/>", "<abc x='1'/>", "<ab xy='2' x='3'/>",
                                               "<ab x='1' y='2'/>", "<ab x='1'/>", "<a:b x:y='1'/>", "<a:b x:y='1'/>",
                                               "<ab x:='1'/>", "<ab x='1'/>", "<abx='1'/>"};
        auto described = [](xml::Scanner &s) {
            std::string out;
            try {
                if (s.next() != xml::Scanner::Token::Start)
                    return std::string("other");
            } catch (const xml::SyntaxError &) {
                return std::string("error");
            }
            out = std::string(s.name()) + "@" + std::to_string(s.nameColon() + 1);
            for (const auto &a : s.attributes())
                out += " " + std::string(a.name) + "@" + std::to_string(a.colon + 1);
            return out;
        };
        std::string all;
        for (const std::string &t : tags)
            all += t;
        xml::Scanner together(all);
        for (const std::string &t : tags) {
            xml::Scanner alone(t);
            QCOMPARE(QString::fromStdString(described(together)), QString::fromStdString(described(alone)));
        }
    }

    void endTagsAreMatchedOrRefused()
    {
        for (const std::string doc : {"<Cell></Cell>", "<Cell></Cel>", "<Cell></Cells>", "<Cell></Cell >",
                                      "<Cell></Cell"}) {
            xml::Scanner s(doc);
            std::string got;
            try {
                while (s.next() != xml::Scanner::Token::Eof)
                    got += std::string(s.name()) + ";";
            } catch (const xml::SyntaxError &e) {
                got += "error at " + std::to_string(e.offset);
            }
            const bool ok = doc == "<Cell></Cell>" || doc == "<Cell></Cell >";
            QVERIFY2(ok ? got == "Cell;Cell;" : got.find("error") != std::string::npos, (doc + ": " + got).c_str());
        }
    }
};

QTEST_GUILESS_MAIN(XmlScannerTest)
#include "test_xmlscanner.moc"
