#include "SongToolTip.h"

#include "SongTags.h"

QString songToolTip(const songtags::SongTags& tags)
{
    const QString artist = QString::fromStdString(tags.artist);
    const QString title = QString::fromStdString(tags.title);
    const QString album = QString::fromStdString(tags.album);
    QString text = artist.isEmpty() || title.isEmpty() ? artist + title : artist + QStringLiteral(" - ") + title;
    if (!album.isEmpty()) text = text.isEmpty() ? album : text + QStringLiteral(" (") + album + QLatin1Char(')');
    return text;
}

QString songToolTip(const std::string& path)
{
    return songToolTip(songtags::readSongTags(path));
}
