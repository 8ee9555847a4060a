#pragma once

#include <QByteArray>
#include <QString>

// Mount points of the mount table (/proc/self/mountinfo): the "drive part"
// of a path, by which the viewer knows whether it runs from the medium it
// browses.

// A mount point as the mount table writes it, with its blanks, tabs, line
// breaks and backslashes as three-digit octal escapes, made plain.
QString UnescapeMountPoint(const QByteArray& field);

// The mount point in the mount table `mountInfo` (its whole text) that holds
// the absolute path `path`: the longest mount point that is `path` itself or
// a folder above it. Empty when `path` is not absolute or the table names no
// mount point above it.
QString MountPointIn(const QByteArray& mountInfo, const QString& path);

// The mount point that holds the existing file or folder `path` (links
// followed), read from the mount table at `mountInfoPath`; empty when the
// path does not exist or the table cannot be read.
QString MountPointOf(const QString& path,
                     const QString& mountInfoPath = QStringLiteral("/proc/self/mountinfo"));

// Whether a program whose executable lies on the mount point `programMount`
// runs from the medium of a lost source that lay on `sourceMount`: the two
// are the same mount point, and not the system's root, which no medium that
// can go away is.
bool RunsFromLostMedium(const QString& programMount, const QString& sourceMount);
