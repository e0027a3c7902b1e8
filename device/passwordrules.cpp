#include "passwordrules.h"

#include "devicepaths.h"

#include <QFile>
#include <QTextStream>

const QString& PasswordRules::forbiddenCharacters()
{
    static const QString characters = QStringLiteral(" *@#$^~`&(){}[]\\|':\";,?/");
    return characters;
}

bool PasswordRules::containsForbidden(const QString& password)
{
    for (const QChar c : forbiddenCharacters()) {
        if (password.contains(c))
            return true;
    }
    return false;
}

bool PasswordRules::storedPasswords(QStringList* passwords)
{
    QFile file(QStringLiteral(PASSWDCONFIGFILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    passwords->clear();
    while (!in.atEnd())
        passwords->append(in.readLine());
    return true;
}

bool PasswordRules::isStored(const QString& password)
{
    QStringList passwords;
    return storedPasswords(&passwords) && passwords.contains(password);
}
