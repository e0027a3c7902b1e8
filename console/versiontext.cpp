#include "versiontext.h"

#include <QVersionNumber>

bool VersionText::matches(const std::string& reported, const std::string& asked)
{
    return reported == asked
           || (reported.size() > asked.size() && reported.compare(0, asked.size(), asked) == 0
               && reported[asked.size()] == '(');
}

bool VersionText::less(const std::string& a, const std::string& b)
{
    const QString textA = QString::fromStdString(a);
    const QString textB = QString::fromStdString(b);
    qsizetype restA = 0;
    qsizetype restB = 0;
    const QVersionNumber numberA = QVersionNumber::fromString(textA, &restA);
    const QVersionNumber numberB = QVersionNumber::fromString(textB, &restB);
    if (const int order = QVersionNumber::compare(numberA, numberB); order != 0)
        return order < 0;
    return textA.mid(restA) < textB.mid(restB);
}
