#pragma once

#include <QDBusVirtualObject>

class MprisService;

// The player's object on the session bus with the two interfaces of MPRIS 2
// (the desktop's media player interface), "org.mpris.MediaPlayer2" and
// "org.mpris.MediaPlayer2.Player", and their properties. It reads each call
// itself, so that whatever a peer sends is checked before the service is
// asked: a method's arguments of other types, and a property set to a value
// of another type (a volume given as text), are answered InvalidArgs; a
// property that cannot be set, PropertyReadOnly.
class MprisBusObject : public QDBusVirtualObject {
public:
    explicit MprisBusObject(MprisService& service) : service_(service) {}

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusMessage methodCall(const QDBusMessage& message);
    QDBusMessage propertiesCall(const QDBusMessage& message);
    QDBusMessage setProperty(const QDBusMessage& message, const QString& interface, const QString& name,
                             const QVariant& value);

    MprisService& service_;
};
