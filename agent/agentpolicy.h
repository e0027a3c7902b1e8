#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// The administrator's optional limits on the agent's TCP side, read once at
// start from AGENTPOLICYFILE (a changed file takes a restart). Lines:
//   allow-tcp ADDRESS[/PREFIX]   a host or subnet that may open TCP requests
//   serve PATH                   a file or directory tree file fetch may send
//   refuse PATH                  a file or tree never sent, even inside a served one
// "#" starts a comment. Without "allow-tcp" lines any host may connect, and
// without "serve" lines every file may be sent but the refused ones: a kind
// that appears, even malformed, limits its side to its valid lines, so a typo
// closes rather than opens.
class AgentPolicy
{
public:
    // The policy of the file; no file means no limits.
    static const AgentPolicy& current();
    static AgentPolicy load(const QString& path);
    // Bad lines are logged and ignored.
    static AgentPolicy parse(const QByteArray& text);

    bool limitsTcp() const { return m_limitsTcp; }
    bool limitsServed() const { return m_limitsServed; }
    bool allowsTcpPeer(const QHostAddress& peer) const;
    // realPath: absolute, with no link or ".." left in it.
    bool serves(const QString& realPath) const;

    // The accept hook: true when the peer of the connection may talk to the
    // agent. A refused host is logged once, so a host retrying cannot fill the log.
    bool admitsConnection(int handle) const;
    // Whether the file open as descriptor may be sent, judged by where the
    // descriptor really points, so a link or ".." cannot lead out.
    bool servesOpenFile(int descriptor) const;

    const QList<QPair<QHostAddress, int>>& tcpPeers() const { return m_tcpPeers; }
    const QStringList& served() const { return m_served; }
    const QStringList& refused() const { return m_refused; }

private:
    bool m_limitsTcp = false;
    bool m_limitsServed = false;
    QList<QPair<QHostAddress, int>> m_tcpPeers;
    QStringList m_served;
    QStringList m_refused;
};
