// Any bytes as data/lang.txt and as data/languare.txt.
#include "language/languagefile.h"
#include "language/translationtable.h"
#include "memfile.h"

#include <cstdlib>

using namespace gravik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = memFile(data, size);
    QString problem;
    languagefile::read(path, &problem);
    const TranslationTable t = TranslationTable::load(path, &problem);
    if (t.lines().size() != TranslationTable::StringCount)
        std::abort();
    return 0;
}
