// Any bytes through the code page: decoding and encoding again gives the
// bytes back wherever the code page has a character for them.
#include "core/cp1251.h"

#include <cstdint>
#include <cstdlib>

using namespace gravik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = cp1251::decode(bytes);
    if (text.size() != qsizetype(size))
        std::abort();
    const QByteArray back = cp1251::encode(text);
    for (qsizetype i = 0; i < qsizetype(size) && i < back.size(); ++i)
        if (text[i] != QChar::ReplacementCharacter && back[i] != bytes[i])
            std::abort();
    cp1251::keepEncodable(cp1251::foldKazakh(text));
    return 0;
}
