#pragma once

#include <QString>

// The folder of the executable, where every file of the program lives. Each
// file is addressed by appending a relative path to it; nothing is looked up
// in the working directory. Tests point it at a temporary folder.
class ProgramFolder final
{
public:
    ProgramFolder() = default;
    explicit ProgramFolder(const QString &root);

    // The folder of the running executable; for an install shared by every
    // user of the machine, the user's own folder (see UserProgramFolder).
    static ProgramFolder ofExecutable();

    const QString &root() const { return m_root; }
    // root + "/" + relative; relative uses "/" as its separator.
    QString file(QStringView relative) const;

    // True when name can stand as one entry inside a folder of ours: not
    // empty, not "." or "..", and free of path separators. Text read from a
    // file passes this before it becomes part of a path.
    static bool isPlainName(QStringView name);

private:
    QString m_root;
};
