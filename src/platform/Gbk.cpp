#include "platform/Platform.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace tilvane {
namespace {

// One conversion with iconv; characters the target cannot hold are dropped
// only where they cannot be represented (face names, never user text).
QByteArray convert(const char *to, const char *from, const QByteArray &input)
{
    if (input.isEmpty())
        return {};
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return {};
    std::vector<char> out(size_t(input.size()) * 4 + 16);
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = size_t(input.size());
    char *outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) {
            if (errno == EILSEQ || errno == EINVAL) {
                // Skip one byte of input that has no mapping and go on.
                ++in;
                --inLeft;
                continue;
            }
            break;
        }
    }
    iconv_close(cd);
    return QByteArray(out.data(), int(outPtr - out.data()));
}

} // namespace

QByteArray toGbk(const QString &text) { return convert("GBK", "UTF-8", text.toUtf8()); }

QString fromGbk(const QByteArray &bytes) { return QString::fromUtf8(convert("UTF-8", "GBK", bytes)); }

} // namespace tilvane
