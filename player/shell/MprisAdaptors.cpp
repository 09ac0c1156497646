#include "MprisAdaptors.h"

#include "MprisService.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service), service_(service) {}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("Sonorbox");
}

QString MprisRootAdaptor::desktopEntry() const
{
    return QStringLiteral(SONORBOX_DESKTOP_ID);
}

QStringList MprisRootAdaptor::supportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-mpegurl")};
}

void MprisRootAdaptor::Raise()
{
    service_.raise();
}

void MprisRootAdaptor::Quit()
{
    service_.quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service), service_(service) {}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return service_.playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return service_.metadata();
}

double MprisPlayerAdaptor::volume() const
{
    return service_.volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    service_.setVolume(volume);
}

qlonglong MprisPlayerAdaptor::position() const
{
    return service_.position();
}

void MprisPlayerAdaptor::Next()
{
    service_.next();
}

void MprisPlayerAdaptor::Previous()
{
    service_.previous();
}

void MprisPlayerAdaptor::Pause()
{
    service_.pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    service_.playPause();
}

void MprisPlayerAdaptor::Stop()
{
    service_.stop();
}

void MprisPlayerAdaptor::Play()
{
    service_.play();
}

void MprisPlayerAdaptor::Seek(qlonglong Offset)
{
    service_.seek(Offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
{
    service_.setPosition(TrackId.path(), Position);
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri)
{
    service_.openUri(Uri);
}
