#include "ui/library/ColorScheme.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace nolby {

namespace {

const char* const kService = "org.freedesktop.portal.Desktop";
const char* const kPath = "/org/freedesktop/portal/desktop";
const char* const kInterface = "org.freedesktop.portal.Settings";
const char* const kGroup = "org.freedesktop.appearance";
const char* const kKey = "color-scheme";

// The portal wraps its answer in one or two variants.
QVariant unwrapped(QVariant v) {
    for (int i = 0; i < 3 && v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>(); ++i)
        v = v.value<QDBusVariant>().variant();
    return v;
}

}  // namespace

ColorScheme::ColorScheme(QObject* parent) : QObject(parent) {
    if (qApp) qApp->installEventFilter(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.connect(kService, kPath, kInterface, "SettingChanged", this,
                SLOT(settingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Read");
    read << QString(kGroup) << QString(kKey);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, 1000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QVariant> reply = *w;
        if (!reply.isError()) take(reply.value());
        w->deleteLater();
    });
}

ColorScheme::Scheme ColorScheme::scheme() const {
    if (portal_) return *portal_;
    return fromPalette(QApplication::palette());
}

std::optional<ColorScheme::Scheme> ColorScheme::fromPortal(uint value) {
    if (value == 1) return Scheme::dark;
    if (value == 2) return Scheme::light;
    return std::nullopt;
}

ColorScheme::Scheme ColorScheme::fromPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? Scheme::dark : Scheme::light;
}

QPalette ColorScheme::palette(Scheme scheme) {
    QPalette p = QApplication::style() ? QApplication::style()->standardPalette() : QPalette();
    if (scheme == Scheme::dark) {
        const QColor window(0x1e, 0x1e, 0x1e), base(0x2a, 0x2a, 0x2c), text(0xf2, 0xf2, 0xf7);
        const QColor button(0x3a, 0x3a, 0x3c), highlight(0x0a, 0x84, 0xff), dim(0x8e, 0x8e, 0x93);
        p.setColor(QPalette::Window, window);
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Base, base);
        p.setColor(QPalette::AlternateBase, window);
        p.setColor(QPalette::Text, text);
        p.setColor(QPalette::Button, button);
        p.setColor(QPalette::ButtonText, text);
        p.setColor(QPalette::BrightText, Qt::white);
        p.setColor(QPalette::ToolTipBase, base);
        p.setColor(QPalette::ToolTipText, text);
        p.setColor(QPalette::PlaceholderText, dim);
        p.setColor(QPalette::Highlight, highlight);
        p.setColor(QPalette::HighlightedText, Qt::white);
        p.setColor(QPalette::Link, highlight);
        p.setColor(QPalette::Light, button.lighter(130));
        p.setColor(QPalette::Midlight, button.lighter(115));
        p.setColor(QPalette::Mid, button.darker(120));
        p.setColor(QPalette::Dark, window.darker(130));
        p.setColor(QPalette::Shadow, Qt::black);
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, role, dim);
    }
    // Every role counts as set, so nothing is taken from the application's palette.
    p.setResolveMask(~QPalette::ResolveMask(0));
    return p;
}

bool ColorScheme::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && !portal_) emit changed();
    return false;
}

void ColorScheme::settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
    if (group == kGroup && key == kKey) take(value.variant());
}

void ColorScheme::take(const QVariant& value) {
    const QVariant v = unwrapped(value);
    bool ok = false;
    const uint n = v.toUInt(&ok);
    const std::optional<Scheme> next = ok ? fromPortal(n) : std::nullopt;
    if (next == portal_) return;
    portal_ = next;
    emit changed();
}

}  // namespace nolby
