#include "FileNames.h"

namespace glint {

namespace {

constexpr char16_t escapeBase = 0xDC00; // + the byte, 0x80 to 0xFF

// The length of the valid UTF-8 sequence at `at`, or 0 (RFC 3629: no
// overlong forms, no surrogates, nothing past U+10FFFF).
int validSequence(const QByteArray& bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (int i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

bool isEscape(char16_t unit)
{
    return unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF;
}

} // namespace

QString fileNameText(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype run = 0; // start of the valid bytes not yet converted
    qsizetype at = 0;
    while (at < bytes.size()) {
        const int length = validSequence(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(bytes.mid(run, at - run));
        text += QChar(static_cast<char16_t>(escapeBase + static_cast<unsigned char>(bytes[at])));
        run = ++at;
    }
    text += QString::fromUtf8(bytes.mid(run));
    return text;
}

QByteArray fileNameBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (!isEscape(unit)) continue;
        bytes += QStringView(text).mid(run, i - run).toUtf8();
        bytes += static_cast<char>(unit - escapeBase);
        run = i + 1;
    }
    bytes += QStringView(text).mid(run).toUtf8();
    return bytes;
}

QString fileNameShown(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown)
        if (isEscape(c.unicode())) c = QChar::ReplacementCharacter;
    return shown;
}

} // namespace glint
