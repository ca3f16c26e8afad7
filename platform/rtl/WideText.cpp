#include "platform/rtl/WideText.h"

#include <QString>

int WideCompareText(const WideString& a, const WideString& b)
{
    const QString qa = QString::fromUtf16(a.data(), qsizetype(a.size()));
    const QString qb = QString::fromUtf16(b.data(), qsizetype(b.size()));
    return qa.compare(qb, Qt::CaseInsensitive);
}
