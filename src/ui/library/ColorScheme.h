#pragma once
// Light or dark, as the desktop prefers: the colour-scheme setting of the desktop portal
// (org.freedesktop.appearance color-scheme, read over the session bus and followed when it
// changes), else the lightness of the application palette's window colour.

#include <QDBusVariant>
#include <QObject>
#include <QPalette>
#include <QString>

#include <optional>

namespace nolby {

class ColorScheme : public QObject {
    Q_OBJECT
public:
    enum class Scheme { light, dark };

    // Asks the portal without waiting (the palette answers until it replies) and follows its
    // changes. Without a session bus the palette alone decides, and a new palette counts as a
    // change.
    explicit ColorScheme(QObject* parent = nullptr);

    Scheme scheme() const;
    // The portal's value: 1 prefers dark, 2 prefers light, anything else no preference.
    static std::optional<Scheme> fromPortal(uint value);
    // Dark when the palette's window colour is darker than middle grey.
    static Scheme fromPalette(const QPalette& palette);
    // The widgets' palette of a scheme, every role set: the style's own light palette, or
    // our dark one. A widget given it keeps it whatever the application's palette becomes.
    static QPalette palette(Scheme scheme);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void take(const QVariant& value);
    std::optional<Scheme> portal_;
};

}  // namespace nolby
