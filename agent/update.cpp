#include "update.h"

#include "acceptuploadfile.h"
#include "scriptrunner.h"
#include "socketio.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <mutex>

#include <unistd.h>

namespace {

// update.sh works on the one package and its own staging directory: two
// runs at once would mix their files, so updates wait for one another.
std::mutex updating;

} // namespace

Update::Update(const PreData& packet) : PreData(packet) {}

Update::~Update() = default;

bool Update::checkUpdatePackage(const QString& path)
{
    return QFileInfo::exists(path);
}

bool Update::updateSystem(const QString& path)
{
    // The script and its one argument go to the shell as a list: the shell
    // reads the script, never the path or the directory name as a command.
    const QString program = QDir::currentPath() + QStringLiteral("/update.sh");
    qDebug() << program + QLatin1Char(' ') + path;
    const int status = ScriptRunner::execute(program, {path}, ScriptRunner::Via::Shell);
    if (status > 0)
        qWarning() << "Update::updateSystem: update.sh exited with status" << status;
    return status == 0;
}

bool Update::reply(int socket, const char* text)
{
    return SocketIo::sendAll(socket, text, qint64(std::strlen(text)) + 1);
}

void Update::dealTask()
{
    qDebug() << "Update::dealTask: " << key.c_str();
    const int socket = extra.toInt();
    const QString package = QString::fromLatin1(AcceptUploadFile::UploadFilePath);
    std::unique_lock<std::mutex> one(updating, std::try_to_lock);
    if (!one.owns_lock()) {
        qDebug() << "Update::dealTask: another update is running, this one waits for it to end";
        one.lock();
    }
    // Checked only now: the update before may have used up the package.
    qDebug() << "Update::dealTask: 1)check update package: " << package;
    if (!checkUpdatePackage(package)) {
        reply(socket, "error: validation failed!");
    } else {
        const QString directory = QDir::currentPath();
        qDebug() << "Update::dealTask: 2)update system: ";
        if (!updateSystem(package)) {
            reply(socket, "error: update failed!");
        } else {
            if (!reply(socket, "successfully!"))
                qDebug() << "send update result failed";
            qDebug() << "Update::dealTask: 3)clean";
            const QString clean = directory + QStringLiteral("/clearUpdate.sh");
            qDebug() << clean;
            ScriptRunner::execute(clean, {}, ScriptRunner::Via::Shell);
        }
    }
    ::close(socket);
    delete this;
}
