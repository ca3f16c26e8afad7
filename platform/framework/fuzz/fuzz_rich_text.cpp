// Reads arbitrary bytes as rich text: the reader never fails or reads outside the bytes, and
// what it made is written out again and read back to the same plain text.
#include "platform/framework/Forms.h"
#include "platform/framework/RichEdit.h"

#include <QTextDocument>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static TQApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    QTextDocument first;
    ReadRichText(bytes, first);
    const std::string written = WriteRichText(first);
    QTextDocument second;
    if (!ReadRichText(written, second))
        std::abort(); // the writer's output is always rich text
    if (first.toPlainText().remove(QChar('\r')) != second.toPlainText().remove(QChar('\r')))
        std::abort();
    return 0;
}
