#pragma once

#include <QString>
#include <QStringList>

// The administrator password rules and the password file, one password per
// line, compared as whole lines.
class PasswordRules
{
public:
    // The 24 characters a new password must not hold, in the order tested.
    static const QString& forbiddenCharacters();
    static bool containsForbidden(const QString& password);

    // The lines of the password file; false when it is missing or unreadable.
    static bool storedPasswords(QStringList* passwords);
    static bool isStored(const QString& password);
};
