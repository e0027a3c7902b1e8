#include "versiontext.h"

#include <QVersionNumber>

bool VersionText::matches(const std::string& reported, const QString& asked)
{
    const std::string wanted = asked.toStdString();
    return reported == wanted
           || (reported.size() > wanted.size() && reported.compare(0, wanted.size(), wanted) == 0
               && reported[wanted.size()] == '(');
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
