#pragma once
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

// A scratch program directory for one test, with helpers for its files.
class ProgramDir {
public:
    QString Path() const { return Dir.path() + '/'; }
    QString File(const QString& name) const { return Path() + name; }
    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(File(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray Read(const QString& name) const
    {
        QFile file(File(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A "directory" below a regular file: nothing can be created there, not
    // even by root.
    QString Unwritable() const
    {
        Write("plain-file", "x");
        return File("plain-file/");
    }

private:
    QTemporaryDir Dir;
};

// Permission bits do not stop root.
inline bool RunningAsRoot()
{
    return geteuid() == 0;
}
