#pragma once

#include <QByteArray>
#include <QString>

namespace glint {

// File names are bytes; most are UTF-8, some are not (copied from an old
// disk, unpacked from an archive). A name is held as text that gives back its
// very bytes: valid UTF-8 as the characters it encodes, each other byte as
// the lone surrogate U+DC80 + (byte - 0x80), a code unit that valid UTF-8
// never yields. Every path that reaches the file system goes through
// fileNameBytes, so such a file is listed, opened and saved like any other.
QString fileNameText(const QByteArray& bytes);
QByteArray fileNameBytes(const QString& text);

// The name as shown to the user: each byte that is not UTF-8 as U+FFFD.
QString fileNameShown(const QString& text);

} // namespace glint
