#pragma once
#include <QByteArray>
#include <QString>

namespace k740sim {

// A pseudo-terminal in raw mode whose slave side is published as a symbolic
// link. Only the master side is held; the host opens the slave.
class TPtyLink {
public:
    TPtyLink() = default;
    TPtyLink(const TPtyLink&) = delete;
    TPtyLink& operator=(const TPtyLink&) = delete;
    ~TPtyLink();

    // Creates the folder with mode 0700 if needed, a new terminal and the
    // link (replacing a stale one). A folder that is a symbolic link, belongs
    // to another user or is writable by group or others is refused. On
    // failure returns false with a reason in error.
    bool open(const QString& dir, const QString& name, QString& error);
    // Closes the master side (the host's open slave then fails) and removes the link.
    void close();
    // After the host closed the slave: whether it left the terminal in
    // exclusive mode (a host killed before it could undo its TIOCEXCL), so
    // that nobody but root can open it again.
    bool leftExclusive() const;

    bool isOpen() const { return MasterFd >= 0; }
    int masterFd() const { return MasterFd; }
    const QString& linkPath() const { return LinkPath; }

private:
    int MasterFd = -1;
    QString LinkPath;
    QByteArray SlavePath;
};

} // namespace k740sim
