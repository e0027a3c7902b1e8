#pragma once

#include <QJsonObject>
#include <QObject>
#include <QTemporaryDir>
#include <QThreadPool>

#include <map>
#include <memory>

// Updates started from the dashboard: the package arrives from the browser
// in pieces (so that no request holds more than a piece in memory) into a
// private temporary directory; then one worker uploads it to the terminal
// and has it installed, as termctl upload and update do.
class UpdateJobs : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 MaxPackageBytes = 512LL * 1024 * 1024;
    static constexpr qint64 MaxPieceBytes = 8 * 1024 * 1024;

    explicit UpdateJobs(QObject* parent = nullptr);
    ~UpdateJobs() override;

    // Appends one piece at offset of the package named name (the browser's
    // file name); offset 0 starts a new package for the terminal.
    bool receive(quint32 address, const QString& name, qint64 offset, const QByteArray& piece,
                 QString& error);
    // Uploads the whole package and installs it, in the background.
    bool install(quint32 address, QString& error);
    // {"state": "none|receiving|running|done|failed", "message": ...}
    QJsonObject state(quint32 address) const;

private:
    enum class State { Receiving, Running, Done, Failed };
    struct Job
    {
        std::unique_ptr<QTemporaryDir> directory;
        QString path;
        qint64 size = 0;
        State state = State::Receiving;
        QString message;
    };

    void finished(quint32 address, bool ok, const QString& message);

    std::map<quint32, Job> m_jobs;
    QThreadPool m_pool;
};
