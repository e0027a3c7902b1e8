#include "updatejobs.h"

#include "tcpcommands.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The name the terminal is sent: the browser's, without a path or anything
// but plain letters, digits and dots.
QString packageName(const QString& name)
{
    QString safe = QFileInfo(name).fileName();
    for (QChar& c : safe) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('.')
            && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    }
    return safe.isEmpty() || safe.startsWith(QLatin1Char('.')) ? QStringLiteral("update.tar.gz")
                                                               : safe.left(100);
}

} // namespace

UpdateJobs::UpdateJobs(QObject* parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(4);
}

UpdateJobs::~UpdateJobs()
{
    m_pool.waitForDone();
}

bool UpdateJobs::receive(quint32 address, const QString& name, qint64 offset,
                         const QByteArray& piece, QString& error)
{
    Job& job = m_jobs[address];
    if (job.state == State::Running) {
        error = QStringLiteral("an update of this terminal is running");
        return false;
    }
    if (offset == 0) {
        job = Job();
        job.directory = std::make_unique<QTemporaryDir>();
        job.path = job.directory->filePath(packageName(name));
    }
    if (job.state != State::Receiving || !job.directory || offset != job.size) {
        error = QStringLiteral("the package piece at %1 does not follow the %2 bytes received")
                    .arg(offset)
                    .arg(job.size);
        return false;
    }
    if (job.size + piece.size() > MaxPackageBytes) {
        error = QStringLiteral("the package is larger than %1 MiB").arg(MaxPackageBytes >> 20);
        return false;
    }
    QFile file(job.path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(piece) != piece.size()) {
        error = QStringLiteral("cannot store the package: %1").arg(file.errorString());
        return false;
    }
    job.size += piece.size();
    return true;
}

bool UpdateJobs::install(quint32 address, QString& error)
{
    const auto found = m_jobs.find(address);
    if (found == m_jobs.end() || found->second.state != State::Receiving
        || found->second.size == 0) {
        error = QStringLiteral("no package was received for this terminal");
        return false;
    }
    Job& job = found->second;
    job.state = State::Running;
    job.message = QStringLiteral("uploading %1 bytes").arg(job.size);
    m_pool.start([this, address, path = job.path] {
        QString reply;
        QString failure;
        const bool ok = TcpCommands::upload(address, path, failure) == 0
            && TcpCommands::update(address, reply, failure) == 0;
        const QString message = ok ? reply : (reply.isEmpty() ? failure : reply + ": " + failure);
        QMetaObject::invokeMethod(
            this, [this, address, ok, message] { finished(address, ok, message); },
            Qt::QueuedConnection);
    });
    return true;
}

void UpdateJobs::finished(quint32 address, bool ok, const QString& message)
{
    Job& job = m_jobs[address];
    job.state = ok ? State::Done : State::Failed;
    job.message = message;
    job.directory.reset(); // the package is on the terminal now, or of no use
}

QJsonObject UpdateJobs::state(quint32 address) const
{
    static const char* const Names[] = {"receiving", "running", "done", "failed"};
    const auto found = m_jobs.find(address);
    if (found == m_jobs.end())
        return {{QStringLiteral("state"), QStringLiteral("none")}};
    return {{QStringLiteral("state"), QLatin1String(Names[int(found->second.state)])},
            {QStringLiteral("message"), found->second.message}};
}
