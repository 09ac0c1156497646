#include "MprisBusObject.h"

#include <QDBusConnection>
#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMetaType>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QVariantMap>
#include <cmath>
#include <functional>
#include <optional>

#include "Desktop.h"

namespace {

const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString introspectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");

// The interfaces as the MPRIS 2 standard defines them.
const char* const interfacesXml = R"(  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek">
      <arg name="Offset" type="x" direction="in"/>
    </method>
    <method name="SetPosition">
      <arg name="TrackId" type="o" direction="in"/>
      <arg name="Position" type="x" direction="in"/>
    </method>
    <method name="OpenUri">
      <arg name="Uri" type="s" direction="in"/>
    </method>
    <signal name="Seeked">
      <arg name="Position" type="x"/>
    </signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="readwrite"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="readwrite"/>
    <property name="LoopStatus" type="s" access="readwrite"/>
    <property name="Shuffle" type="b" access="readwrite"/>
    <property name="Position" type="x" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
)";

// Sets a property to a value as the bus carried it: the reason the value is
// refused, or nothing when it was taken.
using PropertyWrite = std::function<std::optional<QString>(MprisService&, const QVariant&)>;

struct Property {
    const QString& interface;
    const char* name;
    std::function<QVariant(const MprisService&)> read;
    // Empty for a property that cannot be set.
    PropertyWrite write = {};
};

// The D-Bus type of a value as the bus carried it.
QString signatureOf(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    const char* signature = QDBusMetaType::typeToSignature(value.metaType());
    return signature ? QString::fromLatin1(signature) : QStringLiteral("?");
}

QString wrongType(const char* name, const char* wanted, const QVariant& value)
{
    return QStringLiteral("%1 takes %2, not a value of the type \"%3\"")
        .arg(QLatin1String(name), QLatin1String(wanted), signatureOf(value));
}

// A D-Bus number of any kind, as a finite double; the type "d" is what the
// properties are, the integer types are taken as their values.
std::optional<double> numberOf(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const double number = value.toDouble();
        if (std::isfinite(number)) return number;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// A property of numbers (type "d"); set takes the number.
PropertyWrite numberWrite(const char* name, std::function<void(MprisService&, double)> set)
{
    return [name, set](MprisService& service, const QVariant& value) -> std::optional<QString> {
        const std::optional<double> number = numberOf(value);
        if (!number) return wrongType(name, "a number (type \"d\")", value);
        set(service, *number);
        return std::nullopt;
    };
}

std::optional<QString> writeLoopStatus(MprisService& service, const QVariant& value)
{
    const char* const wanted = "\"None\", \"Track\" or \"Playlist\" (type \"s\")";
    if (value.metaType().id() != QMetaType::QString) return wrongType("LoopStatus", wanted, value);
    if (service.setLoopStatus(value.toString())) return std::nullopt;
    return QStringLiteral("LoopStatus takes %1, not \"%2\"").arg(QLatin1String(wanted), value.toString());
}

std::optional<QString> writeShuffle(MprisService& service, const QVariant& value)
{
    if (value.metaType().id() != QMetaType::Bool) return wrongType("Shuffle", "true or false (type \"b\")", value);
    service.setShuffle(value.toBool());
    return std::nullopt;
}

const std::vector<Property>& properties()
{
    const auto always = [](bool value) { return [value](const MprisService&) { return QVariant(value); }; };
    const auto oneSpeed = [](const MprisService&) { return QVariant(1.0); };
    static const std::vector<Property> all = {
        {rootInterface, "CanQuit", always(true)},
        {rootInterface, "CanRaise", always(true)},
        {rootInterface, "HasTrackList", always(false)},
        {rootInterface, "Identity", [](const MprisService&) { return QVariant(QStringLiteral("Sonorbox")); }},
        {rootInterface, "DesktopEntry",
         [](const MprisService&) { return QVariant(QStringLiteral(SONORBOX_DESKTOP_ID)); }},
        {rootInterface, "SupportedUriSchemes",
         [](const MprisService&) { return QVariant(QStringList{QStringLiteral("file")}); }},
        {rootInterface, "SupportedMimeTypes",
         [](const MprisService&) {
             return QVariant(QStringList{QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-mpegurl")});
         }},
        {playerInterface, "PlaybackStatus", [](const MprisService& s) { return QVariant(s.playbackStatus()); }},
        // One speed only: a rate asked for changes nothing.
        {playerInterface, "Rate", oneSpeed, numberWrite("Rate", [](MprisService&, double) {})},
        {playerInterface, "MinimumRate", oneSpeed},
        {playerInterface, "MaximumRate", oneSpeed},
        {playerInterface, "Metadata", [](const MprisService& s) { return QVariant(s.metadata()); }},
        {playerInterface, "Volume", [](const MprisService& s) { return QVariant(s.volume()); },
         numberWrite("Volume", [](MprisService& s, double volume) { s.setVolume(volume); })},
        {playerInterface, "LoopStatus", [](const MprisService& s) { return QVariant(s.loopStatus()); },
         writeLoopStatus},
        {playerInterface, "Shuffle", [](const MprisService& s) { return QVariant(s.shuffle()); }, writeShuffle},
        {playerInterface, "Position",
         [](const MprisService& s) { return QVariant(static_cast<qlonglong>(s.position())); }},
        {playerInterface, "CanGoNext", always(true)},
        {playerInterface, "CanGoPrevious", always(true)},
        {playerInterface, "CanPlay", always(true)},
        {playerInterface, "CanPause", always(true)},
        {playerInterface, "CanSeek", always(true)},
        {playerInterface, "CanControl", always(true)},
    };
    return all;
}

bool isOurs(const QString& interface)
{
    return interface == rootInterface || interface == playerInterface;
}

// An empty interface name asks for the first property of that name.
const Property* findProperty(const QString& interface, const QString& name)
{
    for (const Property& property : properties())
        if ((interface.isEmpty() || interface == property.interface) && name == QLatin1String(property.name))
            return &property;
    return nullptr;
}

QDBusMessage noSuchProperty(const QDBusMessage& message, const QString& interface, const QString& name)
{
    if (!interface.isEmpty() && !isOurs(interface))
        return message.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("No interface %1").arg(interface));
    return message.createErrorReply(QDBusError::UnknownProperty, QStringLiteral("No property %1").arg(name));
}

QDBusMessage wrongArguments(const QDBusMessage& message, const char* expected)
{
    return message.createErrorReply(QDBusError::InvalidArgs,
                                    QStringLiteral("%1 takes arguments of the type \"%2\", not \"%3\"")
                                        .arg(message.member(), QLatin1String(expected), message.signature()));
}

} // namespace

QString MprisBusObject::introspect(const QString&) const
{
    return QString::fromLatin1(interfacesXml);
}

bool MprisBusObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    const QString interface = message.interface();
    // The toolkit describes the object from introspect().
    if (interface == introspectableInterface || (interface.isEmpty() && message.member() == "Introspect")) return false;
    const bool forProperties = interface == propertiesInterface ||
                               (interface.isEmpty() && QStringList{"Get", "GetAll", "Set"}.contains(message.member()));
    const QDBusMessage reply = forProperties ? propertiesCall(message) : methodCall(message);
    if (message.isReplyRequired()) connection.send(reply);
    return true;
}

QDBusMessage MprisBusObject::methodCall(const QDBusMessage& message)
{
    const QString interface = message.interface();
    const QString member = message.member();
    const QVariantList arguments = message.arguments();
    const auto named = [&](const QString& of, const char* name) {
        return member == QLatin1String(name) && (interface.isEmpty() || interface == of);
    };
    // Carries out a call whose arguments are of the expected types.
    const auto carry = [&](const char* signature, const std::function<void()>& action) {
        if (message.signature() != QLatin1String(signature)) return wrongArguments(message, signature);
        action();
        return message.createReply();
    };
    using Action = std::pair<const char*, void (MprisService::*)()>;
    for (const auto& [name, action] : {Action{"Raise", &MprisService::raise}, Action{"Quit", &MprisService::quit}})
        if (named(rootInterface, name)) return carry("", [&, action = action] { (service_.*action)(); });
    for (const auto& [name, action] :
         {Action{"Next", &MprisService::next}, Action{"Previous", &MprisService::previous},
          Action{"Pause", &MprisService::pause}, Action{"PlayPause", &MprisService::playPause},
          Action{"Stop", &MprisService::stop}, Action{"Play", &MprisService::play}})
        if (named(playerInterface, name)) return carry("", [&, action = action] { (service_.*action)(); });
    if (named(playerInterface, "Seek")) return carry("x", [&] { service_.seek(arguments.at(0).toLongLong()); });
    if (named(playerInterface, "SetPosition"))
        return carry("ox", [&] {
            service_.setPosition(arguments.at(0).value<QDBusObjectPath>().path(), arguments.at(1).toLongLong());
        });
    if (named(playerInterface, "OpenUri")) {
        if (message.signature() != QLatin1String("s")) return wrongArguments(message, "s");
        const QString uri = arguments.at(0).toString();
        if (!service_.openUri(uri))
            return message.createErrorReply(QDBusError::InvalidArgs,
                                            QStringLiteral("Not a local song or list file: %1").arg(uri));
        return message.createReply();
    }
    if (!interface.isEmpty() && !isOurs(interface))
        return message.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("No interface %1").arg(interface));
    return message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No method %1").arg(member));
}

QDBusMessage MprisBusObject::propertiesCall(const QDBusMessage& message)
{
    const QString member = message.member();
    const QVariantList arguments = message.arguments();
    if (member == QLatin1String("Get")) {
        if (message.signature() != QLatin1String("ss")) return wrongArguments(message, "ss");
        const QString interface = arguments.at(0).toString();
        const QString name = arguments.at(1).toString();
        const Property* property = findProperty(interface, name);
        if (!property) return noSuchProperty(message, interface, name);
        return message.createReply(QVariant::fromValue(QDBusVariant(property->read(service_))));
    }
    if (member == QLatin1String("GetAll")) {
        if (message.signature() != QLatin1String("s")) return wrongArguments(message, "s");
        const QString interface = arguments.at(0).toString();
        if (!interface.isEmpty() && !isOurs(interface)) return noSuchProperty(message, interface, QString());
        QVariantMap all;
        for (const Property& property : properties())
            if (interface.isEmpty() || interface == property.interface)
                all.insert(QLatin1String(property.name), property.read(service_));
        return message.createReply(QVariant(all));
    }
    if (member == QLatin1String("Set")) {
        if (message.signature() != QLatin1String("ssv")) return wrongArguments(message, "ssv");
        return setProperty(message, arguments.at(0).toString(), arguments.at(1).toString(),
                           arguments.at(2).value<QDBusVariant>().variant());
    }
    return message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No method %1").arg(member));
}

QDBusMessage MprisBusObject::setProperty(const QDBusMessage& message, const QString& interface, const QString& name,
                                         const QVariant& value)
{
    const Property* property = findProperty(interface, name);
    if (!property) return noSuchProperty(message, interface, name);
    if (!property->write)
        return message.createErrorReply(QDBusError::PropertyReadOnly, QStringLiteral("%1 is read-only").arg(name));
    if (const std::optional<QString> refused = property->write(service_, value))
        return message.createErrorReply(QDBusError::InvalidArgs, *refused);
    return message.createReply();
}
